// Skinned dialogs: the window region cut from the bitmap, the dialog record applied to the window,
// the background fill and the records applied to existing children.
#include "control_test_util.h"
#include "controls/dialogs.h"

#include <QLabel>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

const QColor kKey(210, 10, 10);

int RegionArea(const QRegion& rgn) {
    int nArea = 0;
    for (const QRect& rc : rgn) {
        nArea += rc.width() * rc.height();
    }
    return nArea;
}

struct RegionCase {
    const char* pszName;
    QSize bitmapSize;
    QVector<QRect> keyRuns; ///< key-coloured rectangles painted into the bitmap
    QSize clientSize;
    QVector<QPoint> removed;
    QVector<QPoint> kept;
    int nRemovedCount;
};

const RegionCase kRegionCases[] = {
    {"NoKeyKeepsTheRectangle", {40, 40}, {}, {40, 40}, {}, {{0, 0}, {39, 39}}, 0},
    {"WholeRowRemoved",
     {40, 40},
     {{0, 2, 40, 1}},
     {40, 40},
     {{0, 2}, {20, 2}, {39, 2}},
     {{0, 1}, {0, 3}},
     40},
    {"TwoRunsInOneRow",
     {40, 40},
     {{0, 0, 3, 1}, {30, 0, 10, 1}},
     {40, 40},
     {{0, 0}, {2, 0}, {30, 0}, {39, 0}},
     {{3, 0}, {29, 0}},
     13},
    {"Row34IsTheLastScanned", {40, 40}, {{5, 34, 2, 1}}, {40, 40}, {{5, 34}, {6, 34}}, {{4, 34}}, 2},
    {"Row35Stays", {40, 40}, {{5, 35, 2, 1}, {0, 39, 40, 1}}, {40, 40}, {}, {{5, 35}, {6, 35}, {0, 39}}, 0},
    {"ShortBitmapScansItsRowsOnly", {20, 3}, {{0, 2, 4, 1}}, {40, 40}, {{0, 2}, {3, 2}}, {{4, 2}, {0, 3}}, 4},
    {"RunsBeyondTheClientAddNothing",
     {60, 40},
     {{30, 0, 30, 1}},
     {40, 40},
     {{30, 0}, {39, 0}},
     {{29, 0}},
     10},
};

class RegionTest : public ::testing::TestWithParam<RegionCase> {};

TEST_P(RegionTest, KeyRunsOfTheTopRowsAreCutOut) {
    const RegionCase& c = GetParam();
    QImage bmp(c.bitmapSize, QImage::Format_RGB32);
    bmp.fill(QColor(20, 30, 40));
    {
        QPainter painter(&bmp);
        for (const QRect& rc : c.keyRuns) {
            painter.fillRect(rc, kKey);
        }
    }
    const QRect client(QPoint(0, 0), c.clientSize);
    const QRegion rgn = BuildRegionFromBitmap(bmp, client);
    for (const QPoint& pt : c.removed) {
        EXPECT_FALSE(rgn.contains(pt)) << pt.x() << "," << pt.y();
    }
    for (const QPoint& pt : c.kept) {
        EXPECT_TRUE(rgn.contains(pt)) << pt.x() << "," << pt.y();
    }
    EXPECT_EQ(RegionArea(rgn), c.clientSize.width() * c.clientSize.height() - c.nRemovedCount);
    EXPECT_TRUE(client.contains(rgn.boundingRect()));
}

INSTANTIATE_TEST_SUITE_P(Bitmaps, RegionTest, ::testing::ValuesIn(kRegionCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

TEST(RegionTest, NearKeyColourIsNotTheKey) {
    QImage bmp(10, 10, QImage::Format_RGB32);
    bmp.fill(QColor(210, 10, 11));
    EXPECT_EQ(RegionArea(BuildRegionFromBitmap(bmp, QRect(0, 0, 10, 10))), 100);
}

class NoneBorderDlgTest : public ::testing::Test {
protected:
    ScopedDataRoot m_root;
};

TEST_F(NoneBorderDlgTest, ShippedBitmapCutsExactlyTheCornerPixels) {
    const QString strBmp =
        m_root.Path(QStringLiteral("/KIRUNSearchTools/Picture/SearchDevice_BlackGround.bmp"));
    ASSERT_TRUE(CopyResource(m_root, QStringLiteral(":/BMP/158"),
                             QStringLiteral("/KIRUNSearchTools/Picture/SearchDevice_BlackGround.bmp")));
    CBasicNoneBorderDlg dlg;
    dlg.SetRegionBitmap(strBmp);
    dlg.resize(328, 245);
    dlg.show();

    const QRegion mask = dlg.mask();
    EXPECT_EQ(RegionArea(mask), 328 * 245 - 22);
    // 5, 3, 2 and 1 pixels at both ends of rows 0 to 3.
    const int widths[] = {5, 3, 2, 1};
    for (int y = 0; y < 4; ++y) {
        EXPECT_FALSE(mask.contains(QPoint(widths[y] - 1, y))) << "row " << y;
        EXPECT_TRUE(mask.contains(QPoint(widths[y], y))) << "row " << y;
        EXPECT_FALSE(mask.contains(QPoint(328 - widths[y], y))) << "row " << y;
        EXPECT_TRUE(mask.contains(QPoint(327 - widths[y], y))) << "row " << y;
    }
    EXPECT_TRUE(mask.contains(QPoint(0, 4)));
    EXPECT_TRUE(mask.contains(QPoint(0, 244)));
}

TEST_F(NoneBorderDlgTest, MaskIsRebuiltOnEveryResize) {
    QImage bmp(100, 100, QImage::Format_RGB32);
    bmp.fill(Qt::black);
    bmp.setPixelColor(0, 0, kKey);
    bmp.setPixelColor(5, 35, kKey); // below the scanned rows: stays
    const QString strBmp = m_root.Path(QStringLiteral("/region.bmp"));
    ASSERT_TRUE(SaveImage(bmp, strBmp));

    CBasicNoneBorderDlg dlg;
    dlg.SetRegionBitmap(strBmp);
    dlg.resize(50, 50);
    dlg.show();
    EXPECT_EQ(RegionArea(dlg.mask()), 50 * 50 - 1);
    EXPECT_TRUE(dlg.mask().contains(QPoint(5, 35)));
    dlg.resize(80, 60);
    EXPECT_EQ(RegionArea(dlg.mask()), 80 * 60 - 1);
}

TEST_F(NoneBorderDlgTest, UnreadableBitmapLeavesTheMaskAsItWas) {
    CBasicNoneBorderDlg dlg;
    dlg.resize(50, 50);
    dlg.show();
    dlg.setMask(QRegion(0, 0, 10, 10));
    dlg.SetRegionBitmap(m_root.Path(QStringLiteral("/missing.bmp")));
    dlg.resize(60, 60);
    EXPECT_EQ(dlg.mask(), QRegion(0, 0, 10, 10));
}

/// A dialog with two template-like children, as a dialog without the factory has.
class TemplateDialog : public CBasicDialog {
public:
    TemplateDialog() {
        m_pTitle = new QLabel(this);
        SetDlgCtrlID(m_pTitle, 2102);
        m_pHidden = new QLabel(this);
        SetDlgCtrlID(m_pHidden, 2104);
        m_pUnlisted = new QLabel(QStringLiteral("mine"), this);
        SetDlgCtrlID(m_pUnlisted, 4000);
        m_pUnlisted->setGeometry(1, 2, 3, 4);
    }
    QLabel* m_pTitle;
    QLabel* m_pHidden;
    QLabel* m_pUnlisted;
};

class DialogLayoutTest : public ::testing::Test {
protected:
    QString WriteTestLayout(const DialogSpec& dialog) {
        CtrlSpec title;
        title.nID = 2102;
        title.strClass = QStringLiteral("ShowTextCtrl");
        title.strPos = QStringLiteral("30,4,270,25");
        title.strText = QStringLiteral("<i>Vantro</i> Roamdock");
        title.nFontSize = 21;
        title.strTextColor = QStringLiteral("6,65,105");
        CtrlSpec hidden;
        hidden.nID = 2104;
        hidden.strClass = QStringLiteral("ShowTextImageCtrl");
        hidden.strPos = QStringLiteral("15,32,200,15");
        hidden.nShow = 0;
        CtrlSpec absent;
        absent.nID = 2110;
        absent.strClass = QStringLiteral("StandardButton");
        const QString strPath = m_root.Path(QStringLiteral("/layout.xml"));
        EXPECT_TRUE(WriteLayout(strPath, dialog, {title, hidden, absent}));
        return strPath;
    }
    ScopedDataRoot m_root;
};

TEST_F(DialogLayoutTest, SizeComesFromTheLayoutAtTheCurrentPosition) {
    TemplateDialog dlg;
    dlg.move(100, 80);
    dlg.LoadLayoutFile(WriteTestLayout(DialogSpec{}), 201, QStringLiteral("Standard"));
    EXPECT_EQ(dlg.size(), QSize(328, 245));
    EXPECT_EQ(dlg.pos(), QPoint(100, 80));
    EXPECT_EQ(dlg.m_record.DialogPos.left, 100);
    EXPECT_EQ(dlg.m_record.DialogPos.top, 80);
    EXPECT_EQ(dlg.m_record.DialogPos.right, 428);
    EXPECT_EQ(dlg.m_record.DialogPos.bottom, 325);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Test Dialog"));
    EXPECT_EQ(dlg.m_nPaintMode, 8);
}

TEST_F(DialogLayoutTest, LayoutOriginAddsToTheSize) {
    DialogSpec dialog;
    dialog.strPos = QStringLiteral("10,10,328,245");
    TemplateDialog dlg;
    dlg.LoadLayoutFile(WriteTestLayout(dialog), 201, QStringLiteral("Standard"));
    EXPECT_EQ(dlg.size(), QSize(338, 255));
    EXPECT_FALSE(dlg.testAttribute(Qt::WA_Moved)) << "a dialog never placed stays free to be centred";
}

TEST_F(DialogLayoutTest, MissingLayoutKeepsTheWindowUsable) {
    TemplateDialog dlg;
    dlg.LoadLayoutFile(m_root.Path(QStringLiteral("/nothing.xml")), 201, QStringLiteral("Standard"));
    EXPECT_EQ(dlg.size(), QSize(320, 200));
    EXPECT_FALSE(dlg.m_pTitle->isHidden()) << "children without a record are left alone";
}

TEST_F(DialogLayoutTest, LoadLayoutTurnsSizeTrackingOn) {
    ASSERT_TRUE(
        WriteLayout(m_root.Path(QStringLiteral("/KIRUNSearchTools/WndLayoutInfo.xml")), DialogSpec{}, {}));
    TemplateDialog dlg;
    EXPECT_EQ(dlg.m_bSizeTracking, 0);
    dlg.LoadLayout(QStringLiteral("/KIRUNSearchTools/WndLayoutInfo.xml"), 201, QStringLiteral("Standard"));
    EXPECT_EQ(dlg.m_bSizeTracking, 1);
    EXPECT_EQ(dlg.size(), QSize(328, 245));
}

TEST_F(DialogLayoutTest, RecordsApplyToExistingChildren) {
    TemplateDialog dlg;
    dlg.LoadLayoutFile(WriteTestLayout(DialogSpec{}), 201, QStringLiteral("Standard"));
    EXPECT_EQ(dlg.m_pTitle->geometry(), QRect(30, 4, 270, 25));
    EXPECT_EQ(dlg.m_pTitle->text(), QStringLiteral("<i>Vantro</i> Roamdock"));
    EXPECT_EQ(dlg.m_pTitle->textFormat(), Qt::PlainText);
    EXPECT_EQ(dlg.m_pTitle->font().pixelSize(), 21);
    EXPECT_EQ(dlg.m_pTitle->palette().color(QPalette::WindowText), QColor(6, 65, 105));
    EXPECT_FALSE(dlg.m_pTitle->isHidden());
    EXPECT_TRUE(dlg.m_pHidden->isHidden());
    EXPECT_EQ(dlg.m_pUnlisted->geometry(), QRect(1, 2, 3, 4));
    EXPECT_EQ(dlg.m_pUnlisted->text(), QStringLiteral("mine"));
    EXPECT_EQ(dlg.FontList.size(), 2u);
    // No factory here: no control was made, so the dialog has only its own three children.
    EXPECT_EQ(dlg.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(), 3);
}

struct FillCase {
    const char* pszName;
    QString strColor;
    bool bLayoutColour;
};

const FillCase kFillCases[] = {
    {"LayoutColour", QStringLiteral("10,20,30"), true},
    {"EmptyTextUsesThePalette", QString(), false},
};

class DialogFillTest : public DialogLayoutTest, public ::testing::WithParamInterface<FillCase> {};

TEST_P(DialogFillTest, BackgroundIsTheLayoutFillWhileItNamesOne) {
    DialogSpec dialog;
    dialog.strBGColor = GetParam().strColor;
    CBasicDialog dlg;
    dlg.LoadLayoutFile(WriteTestLayout(dialog), 201, QStringLiteral("Standard"));
    const QColor expected =
        GetParam().bLayoutColour ? QColor(10, 20, 30) : dlg.palette().color(QPalette::Window);
    if (!GetParam().bLayoutColour) {
        EXPECT_FALSE(SameRgb(expected.rgb(), QColor(0, 0, 0))) << "no black fill from an empty colour";
    }
    const QImage image = Render(&dlg);
    EXPECT_TRUE(SameRgb(image.pixel(5, 5), expected));
    EXPECT_TRUE(SameRgb(image.pixel(327, 244), expected));
    EXPECT_EQ(dlg.palette().color(QPalette::Window).rgb(), expected.rgb());
}

INSTANTIATE_TEST_SUITE_P(Colours, DialogFillTest, ::testing::ValuesIn(kFillCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

TEST(DialogWindow, FramelessWindowOf320By200BeforeALayout) {
    CBasicNoneBorderDlg dlg;
    EXPECT_TRUE(dlg.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(dlg.isWindow());
    EXPECT_EQ(dlg.size(), QSize(320, 200));
}

} // namespace

// Lists and headers: the skin's border, the drawn header, the scaled header height and the clicks.
#include "control_test_util.h"
#include "controls/list_ctrls.h"
#include "skin/layout_frame.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QColor kBorder(126, 157, 185);
constexpr COLORREF kBorderRef = 0x00B99D7E; // "126,157,185"

struct ScaleCase {
    const char* pszName;
    int nHeight;
    float fScale;
    int nExpected;
};

const ScaleCase kScaleCases[] = {
    {"Twenty", 20, 0.9f, 17},   {"Seventeen", 17, 0.9f, 15}, {"Thirty", 30, 0.9f, 26},
    {"Unscaled", 20, 1.0f, 20}, {"Zero", 0, 0.9f, 0},
};

class HeaderHeightScaleTest : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(HeaderHeightScaleTest, SinglePrecisionScaleTruncates) {
    EXPECT_EQ(ScaleHeaderHeight(GetParam().nHeight, GetParam().fScale), GetParam().nExpected);
}

INSTANTIATE_TEST_SUITE_P(Heights, HeaderHeightScaleTest, ::testing::ValuesIn(kScaleCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

/// A shown device-style list, 300 x 150, with three columns.
class ListFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_list.resize(300, 150);
        m_list.setColumnCount(3);
        m_list.setHeaderLabels(
            {QStringLiteral("Host Name"), QStringLiteral("IP Address"), QStringLiteral("Type")});
        for (int i = 0; i < 3; ++i) {
            auto* pItem = new QTreeWidgetItem(&m_list);
            pItem->setText(0, QStringLiteral("host%1").arg(i));
            pItem->setText(1, QStringLiteral("10.0.0.%1").arg(i + 1));
        }
    }
    CStandardListCtrl m_list;
};

TEST_F(ListFixture, HeaderHeightIsScaledAndRowsStartBelowIt) {
    m_list.show();
    const int nPlainHeight = m_list.GetHeaderCtrl()->sizeHint().height();
    ASSERT_GT(nPlainHeight, 10);
    m_list.GetHeaderCtrl()->HeaderHeightScale = 0.9f;
    m_list.GetHeaderCtrl()->updateGeometry();
    m_list.resize(300, 151); // a layout pass, as any later resize or column change would cause
    const int nScaled = ScaleHeaderHeight(nPlainHeight, 0.9f);
    EXPECT_LT(nScaled, nPlainHeight);
    EXPECT_EQ(m_list.GetHeaderCtrl()->sizeHint().height(), nScaled);
    EXPECT_EQ(m_list.GetHeaderCtrl()->height(), nScaled);
    EXPECT_EQ(m_list.viewport()->geometry().top(), m_list.contentsRect().top() + nScaled);
}

struct BorderCase {
    const char* pszName;
    int nPaintMode;
    bool bBorder;
};

const BorderCase kBorderCases[] = {
    {"PaintBorder", PaintBorder, true},
    {"NoBorderBit", 0, false},
    {"BorderWithOtherBits", PaintBorder | PaintParentBackground, true},
};

class ListBorderTest : public ListFixture, public ::testing::WithParamInterface<BorderCase> {};

TEST_P(ListBorderTest, OnePixelFrameInTheBorderColourOnlyWithPaintBorder) {
    m_list.SetBorderColor(kBorderRef);
    m_list.m_nPaintMode = GetParam().nPaintMode;
    m_list.UpdateBorderFrame();
    m_list.show();
    const QRect rc = m_list.rect();
    EXPECT_EQ(m_list.contentsRect(), GetParam().bBorder ? rc.adjusted(1, 1, -1, -1) : rc);

    const QImage image = Render(&m_list);
    const QPoint edges[] = {{0, 0}, {150, 0}, {299, 0}, {0, 75}, {299, 75}, {0, 149}, {150, 149}, {299, 149}};
    for (const QPoint& pt : edges) {
        EXPECT_EQ(SameRgb(image.pixel(pt), kBorder), GetParam().bBorder) << pt.x() << "," << pt.y();
    }
    // Inside the frame the rows area is the list's own white, never the border colour.
    EXPECT_FALSE(SameRgb(image.pixel(150, 140), kBorder));
}

INSTANTIATE_TEST_SUITE_P(Modes, ListBorderTest, ::testing::ValuesIn(kBorderCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

/// A header with synthetic pictures: the usable background part in one colour, the right 50 and
/// bottom 5 pixels that must never show in another, and a one-pixel divider in a third.
class HeaderDrawTest : public ListFixture {
protected:
    const QColor kUsable{40, 90, 140};
    const QColor kHidden{250, 0, 0};
    const QColor kDivider{0, 250, 0};
    const QColor kTitle{244, 245, 247};

    void SetUp() override {
        ListFixture::SetUp();
        QImage background(120, 30, QImage::Format_ARGB32);
        background.fill(kHidden);
        for (int y = 0; y < 25; ++y) {
            for (int x = 0; x < 70; ++x) {
                background.setPixelColor(x, y, kUsable);
            }
        }
        QImage divider(1, 12, QImage::Format_ARGB32);
        divider.fill(kDivider);
        ASSERT_TRUE(SaveImage(background, m_root.Path(QStringLiteral("/headerbackground.png"))));
        ASSERT_TRUE(SaveImage(divider, m_root.Path(QStringLiteral("/headerclip.png"))));

        CStandardHeaderCtrl* pHeader = m_list.GetHeaderCtrl();
        pHeader->LoadImageStrip(m_root.Path(QStringLiteral("/headerbackground.png")), 1, 0, 0);
        pHeader->SetHeaderDividerImage(m_root.Path(QStringLiteral("/headerclip.png")));
        m_list.SetHeaderFont(QStringLiteral("DejaVu Sans"), 12);
        m_list.SetHeaderTextColor(QStringLiteral("244,245,247"));
        m_list.setHeaderLabels(
            {QStringLiteral("Hidden"), QStringLiteral("IP Address"), QStringLiteral("Type")});
        pHeader->resizeSection(0, 0);
        pHeader->resizeSection(1, 120);
        pHeader->resizeSection(2, 90);
        m_list.show();
        m_image = Render(pHeader);
    }

    ScopedDataRoot m_root;
    QImage m_image;
};

TEST_F(HeaderDrawTest, BackgroundIsStretchedFromTheUsablePartOnly) {
    ASSERT_GE(m_image.height(), 15);
    const int nBottom = m_image.height() - 1;
    const QPoint samples[] = {
        {60, 1}, {60, nBottom}, {m_image.width() - 1, 1}, {m_image.width() - 1, nBottom}};
    for (const QPoint& pt : samples) {
        EXPECT_TRUE(SameRgb(m_image.pixel(pt), kUsable)) << pt.x() << "," << pt.y();
    }
    for (int x = 0; x < m_image.width(); ++x) {
        EXPECT_FALSE(SameRgb(m_image.pixel(x, nBottom), kHidden)) << x;
    }
}

TEST_F(HeaderDrawTest, DividerSitsAtEachColumnsRightFourPixelsDown) {
    EXPECT_TRUE(SameRgb(m_image.pixel(120, 4), kDivider));
    EXPECT_TRUE(SameRgb(m_image.pixel(120, 4 + 11 < m_image.height() ? 15 : m_image.height() - 1), kDivider));
    EXPECT_FALSE(SameRgb(m_image.pixel(120, 3), kDivider));
    EXPECT_TRUE(SameRgb(m_image.pixel(210, 4), kDivider));
    EXPECT_FALSE(SameRgb(m_image.pixel(119, 6), kDivider));
    EXPECT_FALSE(SameRgb(m_image.pixel(121, 6), kDivider));
    // The zero-width first column draws neither divider nor title.
    EXPECT_FALSE(SameRgb(m_image.pixel(0, 6), kDivider));
}

TEST_F(HeaderDrawTest, TitlesAreCentredInTheirColumns) {
    const QRect rcColumn1(0, 0, 120, m_image.height());
    const QRect rcTitle1 = InkBounds(m_image, kUsable, rcColumn1.adjusted(0, 0, -1, 0));
    ASSERT_FALSE(rcTitle1.isEmpty());
    EXPECT_LE(std::abs(rcTitle1.left() - (119 - rcTitle1.right())), 3);
    const QRect rcTitle2 = InkBounds(m_image, kUsable, QRect(121, 0, 89, m_image.height()));
    ASSERT_FALSE(rcTitle2.isEmpty());
    EXPECT_LE(std::abs((rcTitle2.left() - 120) - (209 - rcTitle2.right())), 3);
    // Vertically centred in the band from top + 3 down.
    EXPECT_LE(std::abs((rcTitle1.top() - 3) - (m_image.height() - 1 - rcTitle1.bottom())), 3);
    bool bTitleColour = false;
    for (int x = rcTitle1.left(); x <= rcTitle1.right(); ++x) {
        for (int y = rcTitle1.top(); y <= rcTitle1.bottom(); ++y) {
            bTitleColour = bTitleColour || SameRgb(m_image.pixel(x, y), kTitle);
        }
    }
    EXPECT_TRUE(bTitleColour) << "titles use the header's text colour";
}

TEST_F(HeaderDrawTest, MissingPicturesStillDrawTheTitles) {
    CStandardHeaderCtrl* pHeader = m_list.GetHeaderCtrl();
    pHeader->LoadImageStrip(m_root.Path(QStringLiteral("/missing.png")), 1, 0, 0);
    pHeader->SetHeaderDividerImage(m_root.Path(QStringLiteral("/missing.png")));
    pHeader->m_nPaintMode = PaintFill;
    pHeader->SetFillColor(0x00000000);
    const QImage image = Render(pHeader);
    EXPECT_FALSE(InkBounds(image, Qt::black, QRect(0, 0, 120, image.height())).isEmpty());
    EXPECT_FALSE(SameRgb(image.pixel(120, 6), kDivider));
}

struct HeaderColorCase {
    const char* pszName;
    QString strColor;
    QRgb expected;
};

const HeaderColorCase kHeaderColorCases[] = {
    {"Valid", QStringLiteral("6,65,105"), 0xFF064169},
    {"TwoNumbersKeepsTheOld", QStringLiteral("6,65"), 0xFF010203},
    {"EmptyKeepsTheOld", QString(), 0xFF010203},
};

class HeaderTextColorTest : public ::testing::TestWithParam<HeaderColorCase> {};

TEST_P(HeaderTextColorTest, ParsedLikeALayoutColour) {
    CStandardListCtrl list;
    list.GetHeaderCtrl()->SetCaptionColor(0x00030201);
    list.SetHeaderTextColor(GetParam().strColor);
    EXPECT_EQ(list.GetHeaderCtrl()->m_clrCaption, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, HeaderTextColorTest, ::testing::ValuesIn(kHeaderColorCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

TEST(HeaderFont, SetHeaderFontGivesThePixelSize) {
    CStandardListCtrl list;
    list.SetHeaderFont(QStringLiteral("DejaVu Sans"), 12);
    ASSERT_TRUE(list.GetHeaderCtrl()->m_captionFont.has_value());
    EXPECT_EQ(list.GetHeaderCtrl()->m_captionFont->pixelSize(), 12);
    EXPECT_EQ(list.GetHeaderCtrl()->m_captionFont->family(), QStringLiteral("DejaVu Sans"));
}

class ListClickTest : public ListFixture {
protected:
    void SetUp() override {
        ListFixture::SetUp();
        SetDlgCtrlID(&m_list, 2105);
        m_list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_list));
    }
    QPoint RowPoint(int nRow) const { return m_list.visualItemRect(m_list.topLevelItem(nRow)).center(); }
    QPoint EmptyPoint() const { return QPoint(150, m_list.viewport()->height() - 5); }
};

TEST_F(ListClickTest, ClickOnARowReportsWithTheRowAlreadySelected) {
    int nSelectedAtSignal = -2;
    QObject::connect(&m_list, &CBasicListCtrl::listClicked, [&](int nCtrlID) {
        EXPECT_EQ(nCtrlID, 2105);
        const auto selected = m_list.selectedItems();
        nSelectedAtSignal = selected.isEmpty() ? -1 : m_list.indexOfTopLevelItem(selected.first());
    });
    QTest::mouseClick(m_list.viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(1));
    EXPECT_EQ(nSelectedAtSignal, 1);
}

TEST_F(ListClickTest, ClickOnEmptySpaceReportsAndClearsTheSelection) {
    QTest::mouseClick(m_list.viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(0));
    ASSERT_EQ(m_list.selectedItems().size(), 1);
    QSignalSpy spy(&m_list, &CBasicListCtrl::listClicked);
    QTest::mouseClick(m_list.viewport(), Qt::LeftButton, Qt::NoModifier, EmptyPoint());
    EXPECT_EQ(spy.count(), 1);
    EXPECT_TRUE(m_list.selectedItems().isEmpty());
}

TEST_F(ListClickTest, DoubleClickReportsTheId) {
    QSignalSpy spy(&m_list, &CBasicListCtrl::listDoubleClicked);
    QTest::mouseDClick(m_list.viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(2));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 2105);
}

TEST_F(ListClickTest, RightClickIsNotAListClick) {
    QSignalSpy spy(&m_list, &CBasicListCtrl::listClicked);
    QTest::mouseClick(m_list.viewport(), Qt::RightButton, Qt::NoModifier, RowPoint(0));
    EXPECT_EQ(spy.count(), 0);
}

/// Records what the drawn list asks of its subclass.
class RecordingDrawList : public CBasicDrawListCtrl {
public:
    void DrawItems(QImage& offscreen) override {
        m_sizeSeen = offscreen.size();
        m_bWasWhite = SameRgb(offscreen.pixel(offscreen.width() / 2, offscreen.height() / 2), Qt::white);
    }
    QSize m_sizeSeen;
    bool m_bWasWhite = false;
};

TEST(DrawList, RowsAreaIsWhiteThenDrawnBySubclass) {
    RecordingDrawList list;
    list.setColumnCount(1);
    new QTreeWidgetItem(&list, {QStringLiteral("row")});
    list.resize(200, 100);
    list.show();
    const QImage image = Render(list.viewport());
    EXPECT_EQ(list.m_sizeSeen, list.viewport()->size());
    EXPECT_TRUE(list.m_bWasWhite);
    EXPECT_TRUE(InkBounds(image, Qt::white, image.rect()).isEmpty()) << "Qt's rows are not drawn";
    EXPECT_EQ(list.m_rcLastClient, list.viewport()->rect());
}

} // namespace

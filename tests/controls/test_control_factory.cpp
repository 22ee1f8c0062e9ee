// The control factory: which controls a layout makes, in which order, where, and how configured.
#include "control_test_util.h"
#include "controls/buttons.h"
#include "controls/dialogs.h"
#include "controls/list_ctrls.h"
#include "controls/text_ctrls.h"
#include "skin/control_factory.h"

#include <QPainter>
#include <QPointer>
#include <gtest/gtest.h>

#include <set>

namespace {

std::set<int> Keys(const LayoutControlMap& map) {
    std::set<int> keys;
    for (const auto& [nCtrlID, pCtrl] : map) {
        if (pCtrl) {
            keys.insert(nCtrlID);
        }
    }
    return keys;
}

class EnglishLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteShippedSkin(m_root));
        m_dlg.LoadLayout(QStringLiteral("/KIRUNSearchTools/WndLayoutInfo.xml"), 201,
                         QStringLiteral("Standard"));
    }
    ScopedDataRoot m_root;
    FactoryDialog m_dlg;
};

TEST_F(EnglishLayoutTest, NineControlsInTheirMapsInFactoryOrder) {
    EXPECT_EQ(Keys(m_dlg.ButtonMap), (std::set<int>{2103, 2107, 2108, 2109}));
    EXPECT_EQ(Keys(m_dlg.StaticMap), (std::set<int>{2101, 2102, 2104, 2106}));
    EXPECT_EQ(Keys(m_dlg.ListMap), (std::set<int>{2105}));
    EXPECT_EQ(m_dlg.ChildIds(), (QVector<int>{2103, 2107, 2108, 2109, 2102, 2101, 2104, 2106, 2105}));
}

struct PlacedCase {
    int nCtrlID;
    const char* pszClass;
    QRect rc;
};

const PlacedCase kPlacedCases[] = {
    {2101, "ShowImageCtrl", {7, 7, 16, 16}},        {2102, "ShowTextCtrl", {30, 4, 270, 25}},
    {2103, "StandardButton", {300, 10, 11, 11}},    {2104, "ShowTextImageCtrl", {15, 32, 200, 15}},
    {2105, "StandardListCtrl", {10, 50, 308, 141}}, {2106, "ShowTextImageCtrl", {10, 194, 280, 15}},
    {2107, "StandardButton", {18, 210, 79, 23}},    {2108, "StandardButton", {127, 210, 79, 23}},
    {2109, "StandardButton", {228, 210, 79, 23}},
};

class EnglishPlacementTest : public EnglishLayoutTest, public ::testing::WithParamInterface<PlacedCase> {};

TEST_P(EnglishPlacementTest, ControlOfItsClassAtTheLayoutsRectangleAndShown) {
    const PlacedCase& c = GetParam();
    QWidget* pCtrl = m_dlg.FindButtonCtrl(c.nCtrlID);
    if (pCtrl == nullptr) {
        pCtrl = m_dlg.FindStaticCtrl(c.nCtrlID);
    }
    if (pCtrl == nullptr) {
        pCtrl = m_dlg.FindListCtrl(c.nCtrlID);
    }
    ASSERT_NE(pCtrl, nullptr);
    EXPECT_EQ(pCtrl->objectName(), QString::fromLatin1(c.pszClass));
    EXPECT_EQ(pCtrl->parentWidget(), &m_dlg);
    EXPECT_EQ(pCtrl->geometry(), c.rc);
    EXPECT_TRUE(pCtrl->isVisibleTo(&m_dlg));
    EXPECT_EQ(QString::fromLatin1(pCtrl->metaObject()->className()), QStringLiteral("C") + c.pszClass);
    auto* pFrame = dynamic_cast<CBasicPropertyFrame*>(pCtrl);
    ASSERT_NE(pFrame, nullptr);
    EXPECT_EQ(pFrame->m_clrFill, 0xFFFFFFFFu);
    EXPECT_EQ(pFrame->m_clrBorder, 0xFF7E9DB9u);
    EXPECT_EQ(pFrame->m_nPaintMode, c.nCtrlID == 2105 ? PaintBorder : PaintParentBackground);
}

INSTANTIATE_TEST_SUITE_P(Controls, EnglishPlacementTest, ::testing::ValuesIn(kPlacedCases),
                         [](const auto& info) { return std::to_string(info.param.nCtrlID); });

TEST_F(EnglishLayoutTest, ButtonsCarryStripCaptionFontAndColour) {
    auto* pLogIn = qobject_cast<CStandardButton*>(m_dlg.FindButtonCtrl(2107));
    ASSERT_NE(pLogIn, nullptr);
    EXPECT_EQ(pLogIn->m_nCellCount, 4);
    EXPECT_EQ(pLogIn->m_nCellWidth, 79);
    EXPECT_EQ(pLogIn->m_nImageHeight, 23);
    ASSERT_TRUE(pLogIn->m_strCaption.has_value());
    EXPECT_EQ(*pLogIn->m_strCaption, QStringLiteral("Log In"));
    EXPECT_EQ(pLogIn->m_nCaptionX, 0);
    EXPECT_EQ(pLogIn->m_nCaptionY, 6);
    ASSERT_TRUE(pLogIn->m_captionFont.has_value());
    EXPECT_EQ(pLogIn->m_captionFont->pixelSize(), 12);
    EXPECT_EQ(pLogIn->m_clrCaption, 0xFFF4F5F7u);

    // The close button has no text, yet it still gets its (empty) caption, font and colour.
    auto* pClose = qobject_cast<CStandardButton*>(m_dlg.FindButtonCtrl(2103));
    ASSERT_NE(pClose, nullptr);
    ASSERT_TRUE(pClose->m_strCaption.has_value());
    EXPECT_TRUE(pClose->m_strCaption->isEmpty());
    EXPECT_TRUE(pClose->m_captionFont.has_value());
    EXPECT_EQ(pClose->m_nCellWidth, 11);
}

TEST_F(EnglishLayoutTest, StaticControlsTakeOnlyWhatTheirClassShows) {
    auto* pLogo = qobject_cast<CShowImageCtrl*>(m_dlg.FindStaticCtrl(2101));
    ASSERT_NE(pLogo, nullptr);
    EXPECT_FALSE(pLogo->m_strCaption.has_value()) << "an image control gets no caption";
    EXPECT_EQ(pLogo->m_nImageWidth, 16);

    auto* pTitle = qobject_cast<CShowTextCtrl*>(m_dlg.FindStaticCtrl(2102));
    ASSERT_NE(pTitle, nullptr);
    EXPECT_FALSE(pTitle->m_image.has_value()) << "a text control gets no image strip";
    ASSERT_TRUE(pTitle->m_strCaption.has_value());
    EXPECT_EQ(*pTitle->m_strCaption, QStringLiteral("Vantro Roamdock"));
    EXPECT_EQ(pTitle->m_captionFont->pixelSize(), 21);

    auto* pStatus = qobject_cast<CShowTextImageCtrl*>(m_dlg.FindStaticCtrl(2106));
    ASSERT_NE(pStatus, nullptr);
    EXPECT_EQ(pStatus->m_nImageWidth, 224);
    EXPECT_EQ(pStatus->m_nCaptionX, 15);
    EXPECT_EQ(pStatus->m_nCaptionY, 1);
}

TEST_F(EnglishLayoutTest, DeviceListGetsItsFontTextColourAndBorder) {
    auto* pList = qobject_cast<CStandardListCtrl*>(m_dlg.FindListCtrl(2105));
    ASSERT_NE(pList, nullptr);
    EXPECT_EQ(pList->font().pixelSize(), 13);
    EXPECT_EQ(pList->font().family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(pList->palette().color(QPalette::Text), QColor(6, 65, 105));
    EXPECT_FALSE(pList->isHeaderHidden());
    EXPECT_EQ(pList->contentsRect(), pList->rect().adjusted(1, 1, -1, -1));
    EXPECT_EQ(m_dlg.FontList.size(), 1u) << "the list's font belongs to the layout frame";
}

TEST_F(EnglishLayoutTest, LoadingTwiceLeavesOneSet) {
    const QPointer<QWidget> pFirstClose = m_dlg.FindButtonCtrl(2103);
    m_dlg.LoadLayout(QStringLiteral("/KIRUNSearchTools/WndLayoutInfo.xml"), 201, QStringLiteral("Standard"));
    EXPECT_TRUE(pFirstClose.isNull());
    EXPECT_EQ(m_dlg.ChildIds().size(), 9);
    EXPECT_EQ(m_dlg.ButtonMap.size() + m_dlg.StaticMap.size() + m_dlg.ListMap.size(), 9u);
    EXPECT_EQ(m_dlg.FontList.size(), 1u);
}

TEST_F(EnglishLayoutTest, TransparentControlsShowTheDialogPictureUnderThem) {
    m_dlg.show();
    const QImage dialog = Render(&m_dlg);
    const QImage background(
        m_root.Path(QStringLiteral("/KIRUNSearchTools/Picture/SearchDevice_BlackGround.png")));
    ASSERT_FALSE(background.isNull());
    // Right end of the list caption 2104 (15,32,200,15): no text there, only the captured background.
    const QPoint pt(210, 40);
    EXPECT_EQ(dialog.pixel(pt) & 0xFFFFFFu, background.pixel(pt) & 0xFFFFFFu);
}

class CustomLayoutTest : public ::testing::Test {
protected:
    void Load(const QVector<CtrlSpec>& ctrls) {
        const QString strPath = m_root.Path(QStringLiteral("/layout.xml"));
        ASSERT_TRUE(WriteLayout(strPath, DialogSpec{}, ctrls));
        m_dlg.LoadLayoutFile(strPath, 201, QStringLiteral("Standard"));
    }
    ScopedDataRoot m_root;
    FactoryDialog m_dlg;
};

TEST_F(CustomLayoutTest, OnlyTheNineExactClassNamesCreateControls) {
    Load({MakeCtrl(1, "standardbutton"), MakeCtrl(2, "FancyCtrl"), MakeCtrl(3, ""),
          MakeCtrl(4, "StandardListctrl"), MakeCtrl(5, "StandardButton")});
    EXPECT_EQ(m_dlg.ChildIds(), (QVector<int>{5}));
    EXPECT_EQ(m_dlg.ListMap.size(), 0u);
}

TEST_F(CustomLayoutTest, EveryClassMakesItsOwnControlInClassOrder) {
    Load({MakeCtrl(10, "StandardListCtrl"), MakeCtrl(11, "ShowTextImageCtrl"), MakeCtrl(12, "ShowImageCtrl"),
          MakeCtrl(13, "ShowTextCtrl"), MakeCtrl(14, "DriftButton"), MakeCtrl(15, "CheckBoxButton"),
          MakeCtrl(16, "RadioBoxButton"), MakeCtrl(17, "StandardButton")});
    EXPECT_EQ(m_dlg.ChildIds(), (QVector<int>{17, 16, 15, 14, 13, 12, 11, 10}));
    EXPECT_NE(qobject_cast<CRadioBoxButton*>(m_dlg.FindButtonCtrl(16)), nullptr);
    EXPECT_NE(qobject_cast<CCheckBoxButton*>(m_dlg.FindButtonCtrl(15)), nullptr);
    EXPECT_NE(qobject_cast<CDriftButton*>(m_dlg.FindButtonCtrl(14)), nullptr);
}

TEST_F(CustomLayoutTest, ShowCommandZeroHidesDespiteVisibleStyle) {
    CtrlSpec hidden = MakeCtrl(20, "StandardButton");
    hidden.nShow = 0;
    CtrlSpec shownWithoutStyle = MakeCtrl(21, "ShowTextCtrl");
    shownWithoutStyle.strStyle = QStringLiteral("WS_CHILD");
    Load({hidden, shownWithoutStyle});
    ASSERT_NE(m_dlg.FindButtonCtrl(20), nullptr);
    EXPECT_TRUE(m_dlg.FindButtonCtrl(20)->isHidden());
    m_dlg.show();
    EXPECT_FALSE(m_dlg.FindButtonCtrl(20)->isVisible());
    EXPECT_TRUE(m_dlg.FindStaticCtrl(21)->isVisible());
}

TEST_F(CustomLayoutTest, DriftButtonGetsItsDescriptionAsToolTipEvenWhenEmpty) {
    CtrlSpec empty = MakeCtrl(30, "DriftButton");
    CtrlSpec described = MakeCtrl(31, "DriftButton");
    described.strDiscrip = QStringLiteral("Close <b>now</b>");
    CtrlSpec standard = MakeCtrl(32, "StandardButton");
    standard.strDiscrip = QStringLiteral("not a tip");
    Load({empty, described, standard});
    auto* pEmpty = qobject_cast<CDriftButton*>(m_dlg.FindButtonCtrl(30));
    auto* pDescribed = qobject_cast<CDriftButton*>(m_dlg.FindButtonCtrl(31));
    auto* pStandard = qobject_cast<CStandardButton*>(m_dlg.FindButtonCtrl(32));
    ASSERT_TRUE(pEmpty && pDescribed && pStandard);
    EXPECT_TRUE(pEmpty->m_strToolTip.isEmpty());
    EXPECT_EQ(pDescribed->m_strToolTip, QStringLiteral("Close <b>now</b>"));
    EXPECT_TRUE(pDescribed->toolTip().contains(QStringLiteral("&lt;b&gt;"))) << "shown as plain text";
    EXPECT_TRUE(pStandard->toolTip().isEmpty());
}

TEST_F(CustomLayoutTest, ListWithoutReportStyleHasNoHeader) {
    CtrlSpec list = MakeCtrl(40, "StandardListCtrl");
    list.strStyle = QStringLiteral("WS_CHILD|WS_VISIBLE");
    list.nPaintMode = 0;
    Load({list});
    auto* pList = qobject_cast<CStandardListCtrl*>(m_dlg.FindListCtrl(40));
    ASSERT_NE(pList, nullptr);
    EXPECT_TRUE(pList->isHeaderHidden());
    EXPECT_EQ(pList->contentsRect(), pList->rect()) << "no border without PaintBorder";
}

TEST(FactoryWithoutParent, ControlsAreMadeAndMappedButNeverShown) {
    ScopedDataRoot root;
    CBasicLayoutFrame frame;
    CtrlSpec button;
    button.nID = 50;
    button.strClass = QStringLiteral("StandardButton");
    CtrlSpec list;
    list.nID = 51;
    list.strClass = QStringLiteral("StandardListCtrl");
    const QString strPath = root.Path(QStringLiteral("/layout.xml"));
    ASSERT_TRUE(WriteLayout(strPath, DialogSpec{}, {button, list}));
    frame.ReadLayout(strPath, 201, QStringLiteral("Standard"));
    CreateLayoutControls(frame, nullptr);
    ASSERT_NE(frame.FindButtonCtrl(50), nullptr);
    ASSERT_NE(frame.FindListCtrl(51), nullptr);
    EXPECT_FALSE(frame.FindButtonCtrl(50)->isVisible());
    EXPECT_FALSE(frame.FindListCtrl(51)->isVisible());
    frame.ReleaseControls();
}

} // namespace

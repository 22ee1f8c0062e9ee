// Skinned buttons: the strip cell each state selects, caption placement, check values, clicks.
#include "control_test_util.h"
#include "controls/buttons.h"
#include "skin/layout_frame.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFontMetricsF>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

// Eight distinguishable cell colours and a fill colour none of them shares.
const QVector<QColor> kCellColors = {QColor(200, 0, 0),   QColor(0, 200, 0),   QColor(0, 0, 200),
                                     QColor(200, 200, 0), QColor(0, 200, 200), QColor(200, 0, 200),
                                     QColor(90, 60, 30),  QColor(30, 60, 90)};
const QColor kFill(255, 255, 255);
constexpr int kCellWidth = 10;
constexpr int kCellHeight = 8;

enum class Kind { Standard, Radio, CheckBox };

std::unique_ptr<CBasicButton> MakeButton(Kind kind) {
    switch (kind) {
    case Kind::Radio:
        return std::make_unique<CRadioBoxButton>();
    case Kind::CheckBox:
        return std::make_unique<CCheckBoxButton>();
    default:
        return std::make_unique<CStandardButton>();
    }
}

void SendEnter(QWidget* pWnd) {
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), pWnd->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(pWnd, &enter);
}

class ButtonFixture : public ::testing::Test {
protected:
    /// A button 20 x 12 whose strip of `nCells` cells lies in a file, filled white around the cell.
    std::unique_ptr<CBasicButton> MakeSkinnedButton(Kind kind, int nCells) {
        const QString strPath = m_root.Path(QStringLiteral("/strip%1.png").arg(nCells));
        EXPECT_TRUE(SaveImage(MakeStrip(kCellColors.mid(0, nCells), kCellWidth, kCellHeight), strPath));
        auto pButton = MakeButton(kind);
        pButton->m_nPaintMode = PaintFill;
        pButton->SetFillColor(0x00FFFFFF);
        pButton->LoadImageStrip(strPath, nCells, 0, 0);
        pButton->resize(20, 12);
        return pButton;
    }

    ScopedDataRoot m_root;
};

struct CellCase {
    const char* pszName;
    Kind kind;
    int nCells;
    bool bChecked;
    bool bDisabled;
    bool bPressed;
    bool bHovered;
    int nExpectedCell; ///< -1: no cell, the fill shows
};

const CellCase kCellCases[] = {
    {"Four_Normal", Kind::Standard, 4, false, false, false, false, 0},
    {"Four_Hovered", Kind::Standard, 4, false, false, false, true, 1},
    {"Four_PressedAndHovered", Kind::Standard, 4, false, false, true, true, 2},
    {"Four_DisabledOverPressed", Kind::Standard, 4, false, true, true, true, 3},
    {"Four_CheckedIgnored", Kind::Standard, 4, true, false, false, false, 0},
    {"Five_CheckedWins", Kind::Standard, 5, true, false, false, true, 4},
    {"Five_CheckedEvenDisabled", Kind::Standard, 5, true, true, false, false, 4},
    {"Five_UncheckedPressed", Kind::Standard, 5, false, false, true, false, 2},
    {"Two_Checked", Kind::Radio, 2, true, false, true, true, 1},
    {"Two_Unchecked", Kind::Radio, 2, false, true, false, false, 0},
    {"One_NoCell", Kind::Standard, 1, false, false, false, false, -1},
    {"Three_NoCell", Kind::Standard, 3, false, false, false, true, -1},
    {"Radio_FourDisabled", Kind::Radio, 4, false, true, false, false, 3},
    {"CheckBox_TwoChecked", Kind::CheckBox, 2, true, false, false, false, 1},
    {"CheckBox_EightUnchecked", Kind::CheckBox, 8, false, false, false, false, 0},
    {"CheckBox_EightUncheckedHovered", Kind::CheckBox, 8, false, false, false, true, 1},
    {"CheckBox_EightUncheckedPressed", Kind::CheckBox, 8, false, false, true, true, 2},
    {"CheckBox_EightUncheckedDisabled", Kind::CheckBox, 8, false, true, true, false, 3},
    {"CheckBox_EightChecked", Kind::CheckBox, 8, true, false, false, false, 4},
    {"CheckBox_EightCheckedHovered", Kind::CheckBox, 8, true, false, false, true, 5},
    {"CheckBox_EightCheckedPressed", Kind::CheckBox, 8, true, false, true, false, 6},
    {"CheckBox_EightCheckedDisabled", Kind::CheckBox, 8, true, true, true, true, 7},
    {"CheckBox_FourNoCell", Kind::CheckBox, 4, false, false, false, false, -1},
    {"CheckBox_FiveNoCell", Kind::CheckBox, 5, true, false, false, false, -1},
};

class ButtonCellTest : public ButtonFixture, public ::testing::WithParamInterface<CellCase> {};

TEST_P(ButtonCellTest, ShowsTheCellItsStateSelects) {
    const CellCase& c = GetParam();
    auto pButton = MakeSkinnedButton(c.kind, c.nCells);
    if (c.bHovered) {
        SendEnter(pButton.get());
    }
    pButton->setCheck(c.bChecked ? 1 : 0);
    pButton->setDown(c.bPressed);
    pButton->setEnabled(!c.bDisabled);

    EXPECT_EQ(pButton->SelectImageCell(), c.nExpectedCell);
    const QImage image = Render(pButton.get());
    const QColor expected = c.nExpectedCell < 0 ? kFill : kCellColors[c.nExpectedCell];
    EXPECT_TRUE(SameRgb(image.pixel(1, 1), expected)) << "pixel " << std::hex << image.pixel(1, 1);
    EXPECT_TRUE(SameRgb(image.pixel(kCellWidth - 1, kCellHeight - 1), expected));
    // The cell keeps its natural size in the top-left corner; the rest of the button is the fill.
    EXPECT_TRUE(SameRgb(image.pixel(kCellWidth + 2, 2), kFill));
    EXPECT_TRUE(SameRgb(image.pixel(2, kCellHeight + 2), kFill));
}

INSTANTIATE_TEST_SUITE_P(Strips, ButtonCellTest, ::testing::ValuesIn(kCellCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

TEST_F(ButtonFixture, HoverFollowsEnterAndLeave) {
    auto pButton = MakeSkinnedButton(Kind::Standard, 4);
    SendEnter(pButton.get());
    EXPECT_EQ(pButton->m_bHover, 1);
    EXPECT_TRUE(SameRgb(Render(pButton.get()).pixel(1, 1), kCellColors[1]));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(pButton.get(), &leave);
    EXPECT_EQ(pButton->m_bHover, 0);
    EXPECT_TRUE(SameRgb(Render(pButton.get()).pixel(1, 1), kCellColors[0]));
}

struct CheckValueCase {
    const char* pszName;
    int nValue;
    int nExpected;
};

const CheckValueCase kCheckValueCases[] = {
    {"Zero", 0, 0}, {"One", 1, 1}, {"Indeterminate", 2, 1}, {"Three", 3, 0}, {"Negative", -1, 0},
};

class CheckValueTest : public ::testing::TestWithParam<CheckValueCase> {};

TEST_P(CheckValueTest, OneOrTwoCheckAnythingElseUnchecks) {
    CStandardButton button;
    button.setCheck(1);
    button.setCheck(GetParam().nValue);
    EXPECT_EQ(button.check(), GetParam().nExpected);
}

INSTANTIATE_TEST_SUITE_P(Values, CheckValueTest, ::testing::ValuesIn(kCheckValueCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

// Caption placement: the caption's ink is compared between renders, so font details cancel out.
class ButtonCaptionTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 79;
    static constexpr int kHeight = 23;

    static QRect CaptionInk(Kind kind, int nOffsetX, int nOffsetY, bool bPressed) {
        auto pButton = MakeButton(kind);
        pButton->m_nPaintMode = PaintFill;
        pButton->SetFillColor(0x00FFFFFF);
        pButton->SetCaption(QStringLiteral("Log In"), nOffsetX, nOffsetY);
        pButton->SetCaptionFont(QStringLiteral("DejaVu Sans"), 12);
        pButton->SetCaptionColor(0x00000000);
        pButton->resize(kWidth, kHeight);
        pButton->setDown(bPressed);
        const QImage image = Render(pButton.get());
        return InkBounds(image, kFill, image.rect());
    }
};

TEST_F(ButtonCaptionTest, ZeroOffsetCentresOnThatAxis) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    const QSizeF extent = QFontMetricsF(font).boundingRect(QRectF(), 0, QStringLiteral("Log In")).size();
    const int nCentreX = (kWidth - static_cast<int>(extent.width())) / 2;
    const int nCentreY = (kHeight - static_cast<int>(extent.height())) / 2;

    const QRect rcCentred = CaptionInk(Kind::Standard, 0, 0, false);
    ASSERT_FALSE(rcCentred.isEmpty());
    EXPECT_EQ(rcCentred, CaptionInk(Kind::Standard, nCentreX, nCentreY, false));
    EXPECT_LE(std::abs(rcCentred.left() - (kWidth - 1 - rcCentred.right())), 3);
    // Only the zero axis is centred: an x offset of 5 keeps the vertical centring.
    EXPECT_EQ(CaptionInk(Kind::Standard, 5, 0, false), CaptionInk(Kind::Standard, 5, nCentreY, false));
}

TEST_F(ButtonCaptionTest, OffsetPlacesTheCaption) {
    const QRect rcNear = CaptionInk(Kind::Standard, 1, 1, false);
    const QRect rcFar = CaptionInk(Kind::Standard, 9, 6, false);
    ASSERT_FALSE(rcNear.isEmpty());
    EXPECT_EQ(rcFar, rcNear.translated(8, 5));
    EXPECT_LE(rcNear.left(), 3);
}

struct PressShiftCase {
    const char* pszName;
    Kind kind;
    int nOffsetX;
    int nOffsetY;
    QPoint ptShift;
};

const PressShiftCase kPressShiftCases[] = {
    {"StandardCentred", Kind::Standard, 0, 0, QPoint(1, 1)},
    {"StandardAtOffset", Kind::Standard, 0, 6, QPoint(1, 1)},
    {"RadioAtOffset", Kind::Radio, 4, 3, QPoint(1, 1)},
    {"CheckBoxStays", Kind::CheckBox, 4, 3, QPoint(0, 0)},
};

class ButtonPressShiftTest : public ButtonCaptionTest,
                             public ::testing::WithParamInterface<PressShiftCase> {};

TEST_P(ButtonPressShiftTest, PressedCaptionMovesDownRightByOne) {
    const PressShiftCase& c = GetParam();
    const QRect rcUp = CaptionInk(c.kind, c.nOffsetX, c.nOffsetY, false);
    ASSERT_FALSE(rcUp.isEmpty());
    EXPECT_EQ(CaptionInk(c.kind, c.nOffsetX, c.nOffsetY, true), rcUp.translated(c.ptShift));
}

INSTANTIATE_TEST_SUITE_P(Kinds, ButtonPressShiftTest, ::testing::ValuesIn(kPressShiftCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

TEST(ButtonCaption, NoCaptionOrNoFontDrawsNoText) {
    CStandardButton button;
    button.m_nPaintMode = PaintFill;
    button.SetFillColor(0x00FFFFFF);
    button.SetCaption(QStringLiteral("Log In"), 0, 0);
    button.SetCaptionFont(QStringLiteral("DejaVu Sans"), 0); // no usable font
    button.resize(79, 23);
    const QImage image = Render(&button);
    EXPECT_TRUE(InkBounds(image, kFill, image.rect()).isEmpty());
}

// Clicks: what the parent is told, and the state it finds when it is told.
class ButtonClickTest : public ::testing::Test {
protected:
    template <typename T> T* AddButton(int nCtrlID, QRect rc) {
        auto* pButton = new T(&m_parent);
        SetDlgCtrlID(pButton, nCtrlID);
        pButton->setGeometry(rc);
        return pButton;
    }
    void SetUp() override {
        m_parent.resize(300, 100);
        m_parent.show();
    }
    QWidget m_parent;
};

TEST_F(ButtonClickTest, StandardAndDriftButtonsReportTheirId) {
    auto* pStandard = AddButton<CStandardButton>(2107, QRect(0, 0, 50, 20));
    auto* pDrift = AddButton<CDriftButton>(2110, QRect(60, 0, 50, 20));
    QSignalSpy standardSpy(pStandard, &CBasicButton::commandClicked);
    QSignalSpy driftSpy(pDrift, &CBasicButton::commandClicked);
    QTest::mouseClick(pStandard, Qt::LeftButton);
    QTest::mouseClick(pDrift, Qt::LeftButton);
    ASSERT_EQ(standardSpy.count(), 1);
    EXPECT_EQ(standardSpy.at(0).at(0).toInt(), 2107);
    ASSERT_EQ(driftSpy.count(), 1);
    EXPECT_EQ(driftSpy.at(0).at(0).toInt(), 2110);
}

TEST_F(ButtonClickTest, CheckBoxTogglesBeforeItReports) {
    auto* pCheck = AddButton<CCheckBoxButton>(3001, QRect(0, 0, 50, 20));
    QVector<int> seenStates;
    QObject::connect(pCheck, &CBasicButton::commandClicked, [&](int nCtrlID) {
        EXPECT_EQ(nCtrlID, 3001);
        seenStates.push_back(pCheck->check());
    });
    QTest::mouseClick(pCheck, Qt::LeftButton);
    QTest::mouseClick(pCheck, Qt::LeftButton);
    EXPECT_EQ(seenStates, (QVector<int>{1, 0}));
    EXPECT_EQ(pCheck->check(), 0);
}

TEST_F(ButtonClickTest, RadioChecksItselfAndUnchecksItsSiblings) {
    auto* pRadio = AddButton<CRadioBoxButton>(3002, QRect(0, 0, 50, 20));
    auto* pOtherRadio = AddButton<CRadioBoxButton>(3003, QRect(60, 0, 50, 20));
    auto* pCheck = AddButton<CCheckBoxButton>(3004, QRect(120, 0, 50, 20));
    QWidget elsewhere;
    auto* pForeign = new CRadioBoxButton(&elsewhere);
    pOtherRadio->setCheck(1);
    pCheck->setCheck(1);
    pForeign->setCheck(1);
    QSignalSpy radioSpy(pRadio, &CBasicButton::radioChecked);
    QSignalSpy commandSpy(pRadio, &CBasicButton::commandClicked);

    QTest::mouseClick(pRadio, Qt::LeftButton);

    EXPECT_EQ(pRadio->check(), 1);
    EXPECT_EQ(pOtherRadio->check(), 0);
    EXPECT_EQ(pCheck->check(), 0);
    EXPECT_EQ(pForeign->check(), 1) << "a button of another parent is not in the group";
    ASSERT_EQ(radioSpy.count(), 1);
    EXPECT_EQ(radioSpy.at(0).at(0).toInt(), 3002);
    EXPECT_EQ(commandSpy.count(), 0);
}

TEST_F(ButtonClickTest, RadioWithIdZeroChangesStateButReportsNothing) {
    auto* pRadio = AddButton<CRadioBoxButton>(0, QRect(0, 0, 50, 20));
    auto* pOther = AddButton<CRadioBoxButton>(3003, QRect(60, 0, 50, 20));
    pOther->setCheck(1);
    QSignalSpy radioSpy(pRadio, &CBasicButton::radioChecked);
    QTest::mouseClick(pRadio, Qt::LeftButton);
    EXPECT_EQ(pRadio->check(), 1);
    EXPECT_EQ(pOther->check(), 0);
    EXPECT_EQ(radioSpy.count(), 0);
}

TEST_F(ButtonClickTest, DisabledButtonReportsNothing) {
    auto* pButton = AddButton<CStandardButton>(2108, QRect(0, 0, 50, 20));
    pButton->setEnabled(false);
    QSignalSpy spy(pButton, &CBasicButton::commandClicked);
    QTest::mouseClick(pButton, Qt::LeftButton);
    EXPECT_EQ(spy.count(), 0);
}

TEST(ButtonCursor, EverySkinnedButtonShowsTheHand) {
    for (Kind kind : {Kind::Standard, Kind::Radio, Kind::CheckBox}) {
        EXPECT_EQ(MakeButton(kind)->cursor().shape(), Qt::PointingHandCursor);
    }
}

} // namespace

// The pop-up text of a truncated cell: when it shows, where, with what, and everything that hides it.
// The tip timers are run by their ids, so no test waits the real 500 or 5000 ms, except one that
// checks that the real delay timer reaches the same code.
#include "test_task_list_fixture.h"

#include <QFontMetricsF>
#include <QTest>

namespace {

const QString kLongFirst = QStringLiteral("A rather long task name that cannot fit");
const QString kLongSecond = QStringLiteral("Another long description that is cut");

class TaskTipTest : public TaskListFixture {
protected:
    void SetUp() override {
        m_list.SetCaptionFont(QStringLiteral("DejaVu Sans"), 12);
        Build(3, {80, 80});
        m_list.topLevelItem(0)->setText(0, kLongFirst);
        m_list.topLevelItem(0)->setText(1, QStringLiteral("short"));
        m_list.topLevelItem(1)->setText(0, kLongSecond);
    }
    QWidget* Tip() { return m_list.m_pTip; }
    /// Rest on row 0's long cell until the delay has run.
    void ShowOnFirstCell() {
        Move(m_ptFirst);
        m_list.OnTimer(TipDelayTimer);
        ASSERT_TRUE(Tip()->isVisible());
    }
    const QPoint m_ptFirst = RowPoint(0, 30);
};

TEST_F(TaskTipTest, RestOnTruncatedCellShowsTheWholeTextBelowThePointer) {
    Move(m_ptFirst);
    EXPECT_TRUE(m_list.IsTipTimerActive(TipDelayTimer));
    EXPECT_FALSE(Tip()->isVisible()) << "not before the delay";
    m_list.OnTimer(TipDelayTimer);
    EXPECT_FALSE(m_list.IsTipTimerActive(TipDelayTimer));
    ASSERT_TRUE(Tip()->isVisible());
    ASSERT_TRUE(m_list.m_pTip->m_strCaption.has_value());
    EXPECT_EQ(*m_list.m_pTip->m_strCaption, kLongFirst);
    EXPECT_EQ(m_list.m_pTip->m_nCaptionX, 3);
    EXPECT_EQ(m_list.m_pTip->m_nCaptionY, 3);
    EXPECT_EQ(Tip()->geometry(), QRect(m_ptFirst + QPoint(0, 21), m_list.m_pTip->MeasureTextExtent()));
    EXPECT_TRUE(m_list.IsTipTimerActive(TipHideTimer));
    EXPECT_TRUE(m_list.IsTipTimerActive(TipLeaveTimer));
    EXPECT_EQ(m_list.m_bTipVisible, 1);
}

TEST_F(TaskTipTest, TextThatFitsShowsNoTipButRunsTheCycle) {
    Move(RowPoint(0, 120));
    m_list.OnTimer(TipDelayTimer);
    EXPECT_FALSE(Tip()->isVisible());
    EXPECT_EQ(m_list.m_bTipVisible, 1);
    EXPECT_TRUE(m_list.IsTipTimerActive(TipHideTimer));
}

TEST_F(TaskTipTest, LeavingBeforeTheDelayShowsNothing) {
    Move(m_ptFirst);
    Leave();
    m_list.OnTimer(TipDelayTimer);
    EXPECT_FALSE(Tip()->isVisible());
    EXPECT_EQ(m_list.m_bTipVisible, 0);
}

TEST_F(TaskTipTest, SameCellDoesNotShowItsTipAgain) {
    ShowOnFirstCell();
    m_list.OnTimer(TipHideTimer);
    ASSERT_FALSE(Tip()->isVisible());
    Move(m_ptFirst + QPoint(3, 0));
    EXPECT_TRUE(m_list.IsTipTimerActive(TipDelayTimer));
    m_list.OnTimer(TipDelayTimer);
    EXPECT_FALSE(Tip()->isVisible());
}

TEST_F(TaskTipTest, AnotherCellShowsItsOwnTipAfterTheDelay) {
    ShowOnFirstCell();
    m_list.OnTimer(TipHideTimer);
    const QPoint ptSecond = RowPoint(1, 40);
    Move(ptSecond);
    m_list.OnTimer(TipDelayTimer);
    ASSERT_TRUE(Tip()->isVisible());
    EXPECT_EQ(*m_list.m_pTip->m_strCaption, kLongSecond);
    EXPECT_EQ(Tip()->pos(), ptSecond + QPoint(0, 21));
}

TEST_F(TaskTipTest, MovingWithinTheShownCellKeepsTheTip) {
    ShowOnFirstCell();
    Move(m_ptFirst + QPoint(5, 2));
    EXPECT_TRUE(Tip()->isVisible());
    EXPECT_TRUE(m_list.IsTipTimerActive(TipHideTimer));
    EXPECT_FALSE(m_list.IsTipTimerActive(TipDelayTimer));
    m_list.OnTimer(TipLeaveTimer);
    EXPECT_TRUE(Tip()->isVisible()) << "the pointer is still over the rows";
}

TEST_F(TaskTipTest, LeavingKeepsTheTipUntilTheLeaveTimerLooks) {
    ShowOnFirstCell();
    Leave();
    EXPECT_TRUE(Tip()->isVisible());
    m_list.OnTimer(TipLeaveTimer);
    EXPECT_FALSE(Tip()->isVisible());
}

enum class HideAction { HideTimer, Wheel, MoveToAnotherCell, MoveOffTheColumns, MoveBelowTheRows };

struct HideCase {
    const char* pszName;
    HideAction action;
};

const HideCase kHideCases[] = {
    {"AfterFiveSeconds", HideAction::HideTimer},
    {"OnWheel", HideAction::Wheel},
    {"OnMovingToAnotherCell", HideAction::MoveToAnotherCell},
    {"OnMovingRightOfTheColumns", HideAction::MoveOffTheColumns},
    {"OnMovingBelowTheRows", HideAction::MoveBelowTheRows},
};

class TipHideTest : public TaskTipTest, public ::testing::WithParamInterface<HideCase> {};

TEST_P(TipHideTest, ShownTipHidesAndItsTimersStop) {
    ShowOnFirstCell();
    switch (GetParam().action) {
    case HideAction::HideTimer:
        m_list.OnTimer(TipHideTimer);
        break;
    case HideAction::Wheel:
        Wheel(m_ptFirst, 120);
        break;
    case HideAction::MoveToAnotherCell:
        Move(RowPoint(0, 120));
        break;
    case HideAction::MoveOffTheColumns:
        Move(RowPoint(0, 300));
        break;
    case HideAction::MoveBelowTheRows:
        Move(QPoint(30, 300));
        break;
    }
    EXPECT_FALSE(Tip()->isVisible());
    EXPECT_EQ(m_list.m_bTipVisible, 0);
    EXPECT_FALSE(m_list.IsTipTimerActive(TipHideTimer));
    EXPECT_FALSE(m_list.IsTipTimerActive(TipLeaveTimer));
}

INSTANTIATE_TEST_SUITE_P(Actions, TipHideTest, ::testing::ValuesIn(kHideCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

TEST_F(TaskTipTest, RealDelayTimerShowsTheTip) {
    Move(m_ptFirst);
    QTRY_VERIFY_WITH_TIMEOUT(Tip()->isVisible(), 5000);
    EXPECT_EQ(*m_list.m_pTip->m_strCaption, kLongFirst);
}

struct OverflowCase {
    const char* pszName;
    const char* pszText;
    bool bOverflows;
};

const OverflowCase kOverflowCases[] = {
    {"ShortText", "short", false},
    {"Empty", "", false},
    {"SeveralWords", "A rather long task name", true},
    {"OneLongWord", "Supercalifragilisticexpialidocious", true},
    {"LineBreak", "a\nb", true},
};

class CellOverflowTest : public TaskListFixture, public ::testing::WithParamInterface<OverflowCase> {};

TEST_P(CellOverflowTest, NeedsAnotherLineAtTheColumnsWidth) {
    m_list.SetCaptionFont(QStringLiteral("DejaVu Sans"), 12);
    Build(1, {80});
    m_list.topLevelItem(0)->setText(0, QString::fromLatin1(GetParam().pszText));
    EXPECT_EQ(m_list.CellTextOverflows(0, 0), GetParam().bOverflows);
}

INSTANTIATE_TEST_SUITE_P(Texts, CellOverflowTest, ::testing::ValuesIn(kOverflowCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

struct ElideCase {
    const char* pszName;
    const char* pszText;
    int nWidth;
    const char* pszExpected; ///< "…" is appended where the text is cut
};

const ElideCase kElideCases[] = {
    {"FitsUnchanged", "two words", 200, "two words"},
    {"CutAfterAWholeWord", "two words here", 70, "two\u2026"},
    {"SingleLongWordCutWithin", "Supercalifragilistic", 60, nullptr},
    {"SecondLineDropped", "first\nsecond", 200, "first\u2026"},
};

class ElideTest : public ::testing::TestWithParam<ElideCase> {};

TEST_P(ElideTest, OneLineWithinTheWidth) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    const QFontMetricsF metrics(font);
    const ElideCase& c = GetParam();
    const QString strResult = ElideTextAtWord(QString::fromUtf8(c.pszText), metrics, c.nWidth);
    EXPECT_LE(metrics.horizontalAdvance(strResult), c.nWidth);
    if (c.pszExpected != nullptr) {
        EXPECT_EQ(strResult, QString::fromUtf8(c.pszExpected));
    } else {
        EXPECT_TRUE(strResult.endsWith(QChar(0x2026)));
        EXPECT_GT(strResult.size(), 1) << "as many characters as fit";
        EXPECT_TRUE(QString::fromUtf8(c.pszText).startsWith(strResult.chopped(1)));
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, ElideTest, ::testing::ValuesIn(kElideCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

struct MulDivCase {
    const char* pszName;
    int a, b, c, nExpected;
};

const MulDivCase kMulDivCases[] = {
    {"RoundsDown", 42, 60, 100, 25},       {"HalfRoundsUp", 5, 50, 100, 3},
    {"NegativeHalfAway", -5, 50, 100, -3}, {"Exact", 50, 60, 100, 30},
    {"ZeroDenominator", 1, 1, 0, -1},      {"NoOverflowInside", 100000, 100000, 100000, 100000},
};

class MulDivTest : public ::testing::TestWithParam<MulDivCase> {};

TEST_P(MulDivTest, RoundedQuotient) {
    const MulDivCase& c = GetParam();
    EXPECT_EQ(MulDivRound(c.a, c.b, c.c), c.nExpected);
}

INSTANTIATE_TEST_SUITE_P(Values, MulDivTest, ::testing::ValuesIn(kMulDivCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

} // namespace

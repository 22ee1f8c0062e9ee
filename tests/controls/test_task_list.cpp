// The task list: its creation by the factory, row and column hit tests, its own scroll bars,
// scrolling, selection by click, Shift, Ctrl and rubber band, and the right-button signal.
#include "control_test_util.h"
#include "controls/dialogs.h"
#include "skin/control_factory.h"
#include "test_task_list_fixture.h"

#include <QSignalSpy>

namespace {

TEST(TaskListFactory, CreatedInListMapAfterTheOtherEightClasses) {
    ScopedDataRoot root;
    ASSERT_TRUE(SaveImage(
        MakeStrip({Qt::red, Qt::green, Qt::blue, Qt::cyan, Qt::magenta, Qt::yellow, Qt::gray}, 12, 12),
        root.Path(QStringLiteral("/icons.png"))));
    // The task list has the smallest id: it still comes last, as its class runs last.
    CtrlSpec task = MakeCtrl(1, "ShowTaskListCtrl");
    task.strPos = QStringLiteral("10,40,300,150");
    task.strBGPath = QStringLiteral("\\icons.png");
    task.nCells = 7;
    task.nPaintMode = PaintBorder;
    const QString strPath = root.Path(QStringLiteral("/layout.xml"));
    ASSERT_TRUE(WriteLayout(strPath, DialogSpec{},
                            {task, MakeCtrl(2, "StandardListCtrl"), MakeCtrl(3, "ShowTextImageCtrl"),
                             MakeCtrl(4, "ShowImageCtrl"), MakeCtrl(5, "ShowTextCtrl"),
                             MakeCtrl(6, "DriftButton"), MakeCtrl(7, "CheckBoxButton"),
                             MakeCtrl(8, "RadioBoxButton"), MakeCtrl(9, "StandardButton")}));
    FactoryDialog dlg;
    dlg.LoadLayoutFile(strPath, 201, QStringLiteral("Standard"));

    EXPECT_EQ(dlg.ChildIds(), (QVector<int>{9, 8, 7, 6, 5, 4, 3, 2, 1}));
    ASSERT_EQ(dlg.ListMap.size(), 2u);
    auto* pList = qobject_cast<CShowTaskListCtrl*>(dlg.FindListCtrl(1));
    ASSERT_NE(pList, nullptr);
    EXPECT_EQ(pList->objectName(), QStringLiteral("ShowTaskListCtrl"));
    EXPECT_EQ(pList->parentWidget(), &dlg);
    EXPECT_EQ(pList->geometry(), QRect(10, 40, 300, 150));
    EXPECT_TRUE(pList->isVisibleTo(&dlg));
    EXPECT_EQ(pList->m_clrFill, 0xFFFFFFFFu);
    EXPECT_EQ(pList->m_clrBorder, 0xFF7E9DB9u);
    EXPECT_EQ(pList->m_nPaintMode, PaintBorder);
    EXPECT_EQ(pList->contentsRect(), pList->rect().adjusted(1, 1, -1, -1)) << "one-pixel border";
    EXPECT_EQ(pList->m_nCellCount, 7);
    EXPECT_EQ(pList->m_nCellWidth, 12);
    EXPECT_EQ(pList->m_nImageHeight, 12);
}

TEST(TaskListConstruction, MembersStartAtTheirInitialValues) {
    CShowTaskListCtrl list;
    EXPECT_EQ(list.m_nRowHeight, 30);
    EXPECT_EQ(list.m_nSelectedRowHeight, 30);
    EXPECT_EQ(list.m_nHeaderHeight, 20);
    EXPECT_EQ(list.m_nVScrollBarWidth, 16);
    EXPECT_EQ(list.m_nHScrollBarHeight, 16);
    EXPECT_EQ(list.m_nAnchorRow, -1);
    EXPECT_EQ(list.m_bBandActive, 0);
    EXPECT_EQ(list.m_bTipVisible, 0);
    EXPECT_EQ(list.m_nHoverRow, -1);
    EXPECT_EQ(list.m_nTipAnchorX, -1);
    EXPECT_EQ(list.m_progressFont.family(), QStringLiteral("Arial"));
    EXPECT_EQ(list.m_progressFont.pixelSize(), 11);
    EXPECT_TRUE(list.m_progressBackground.isNull());
    EXPECT_TRUE(list.m_progressFill.isNull());
    EXPECT_EQ(QRect(list.m_nProgressX, list.m_nProgressY, list.m_nProgressWidth, list.m_nProgressHeight),
              QRect(0, 0, 0, 0));
    EXPECT_EQ(list.m_clrSelectedFill, 0xFFE8F5FFu);
    EXPECT_EQ(list.m_clrSeparator, 0xFFF4F4F6u);
    EXPECT_EQ(list.m_clrBandFill, 0x96DAE9FDu);
    EXPECT_EQ(list.m_clrBandOutline, 0x96ADCFF8u);

    // Own children: the two bars and the tip, hidden, with their ids; the tip in the tip colours.
    EXPECT_EQ(GetDlgCtrlID(list.m_pVScrollBar), 1001);
    EXPECT_EQ(GetDlgCtrlID(list.m_pHScrollBar), 1002);
    EXPECT_EQ(GetDlgCtrlID(list.m_pTip), 1003);
    EXPECT_TRUE(list.m_pVScrollBar->isHidden());
    EXPECT_TRUE(list.m_pHScrollBar->isHidden());
    EXPECT_TRUE(list.m_pTip->isHidden());
    EXPECT_EQ(list.m_pTip->m_nPaintMode, PaintFill | PaintBorder);
    EXPECT_EQ(list.m_pTip->m_clrFill, 0xFFFEF5BDu);
    EXPECT_EQ(list.m_pTip->m_clrCaption, 0xFF9B6912u);
    EXPECT_EQ(list.header(), list.GetHeaderCtrl());
}

class TaskListGeometryTest : public TaskListFixture {};

TEST_F(TaskListGeometryTest, HeaderLiesOverTheTopOfTheClientArea) {
    Build(5, {100, 100});
    // Rows count from the client top plus the header height, so the header must sit inside it.
    EXPECT_EQ(Viewport()->geometry(), m_list.rect());
    EXPECT_EQ(m_list.GetHeaderCtrl()->geometry(), QRect(0, 0, 400, kHeaderHeight));
    EXPECT_TRUE(m_list.GetHeaderCtrl()->isVisible());
}

struct RowHitCase {
    const char* pszName;
    int nSel;       ///< the only selected row, or -1
    int nSelHeight; ///< height of that row
    int nVPos;
    int y;
    int nExpected;
};

// Ten rows of 30 below a 20-pixel header; the selected row, when there is one, is 50 high.
const RowHitCase kRowHitCases[] = {
    {"FirstPixelOfFirstRow", -1, 30, 0, 20, 0},
    {"LastPixelOfFirstRow", -1, 30, 0, 49, 0},
    {"FirstPixelOfSecondRow", -1, 30, 0, 50, 1},
    {"ScrolledView", -1, 30, 45, 20, 1},
    {"ScrolledViewNextRow", -1, 30, 45, 35, 2},
    {"LastRow", -1, 30, 0, 319, 9},
    {"BelowLastRow", -1, 30, 0, 320, -1},
    {"FarAboveTheRows", -1, 30, 0, -50, -1},
    {"SelectedAboveTallRow", 3, 50, 0, 109, 2},
    {"SelectedTallRowTop", 3, 50, 0, 110, 3},
    {"SelectedTallRowBottom", 3, 50, 0, 159, 3},
    {"SelectedFirstRowBelowTallRow", 3, 50, 0, 160, 4},
    {"SelectedSecondRowBelowTallRow", 3, 50, 0, 190, 5},
    {"SelectedLastRow", 3, 50, 0, 339, 9},
    {"SelectedBelowLastRow", 3, 50, 0, 340, -1},
    {"SelectedScrolled", 3, 50, 20, 140, 4},
    {"SelectedFirstRowIsTall", 0, 50, 0, 69, 0},
    {"SelectedFirstRowIsTallNext", 0, 50, 0, 70, 1},
    {"SelectedSameHeight", 3, 30, 0, 140, 4},
};

class RowHitTest : public TaskListFixture, public ::testing::WithParamInterface<RowHitCase> {};

TEST_P(RowHitTest, RowUnderY) {
    const RowHitCase& c = GetParam();
    Build(10, {100, 100}, QSize(400, 200));
    m_list.m_nSelectedRowHeight = c.nSelHeight;
    if (c.nSel >= 0) {
        m_list.SelectSingle(c.nSel);
    }
    ASSERT_FALSE(m_list.m_pVScrollBar->isHidden());
    m_list.m_pVScrollBar->setValue(c.nVPos);
    ASSERT_EQ(m_list.m_pVScrollBar->value(), c.nVPos);
    EXPECT_EQ(m_list.HitTestRow(c.y), c.nExpected);
}

INSTANTIATE_TEST_SUITE_P(Rows, RowHitTest, ::testing::ValuesIn(kRowHitCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

struct ColumnHitCase {
    const char* pszName;
    int nHPos;
    int x;
    int nExpected;
};

// Columns 300, 0 and 250 wide (400-pixel client): the zero-width column is never hit.
const ColumnHitCase kColumnHitCases[] = {
    {"LeftEdge", 0, 0, 0},           {"LastPixelOfFirst", 0, 299, 0}, {"ZeroWidthSkipped", 0, 300, 2},
    {"LastPixelOfThird", 0, 549, 2}, {"PastAllColumns", 0, 550, -1},  {"LeftOfAll", 0, -1, -1},
    {"Scrolled", 30, 269, 0},        {"ScrolledNext", 30, 270, 2},
};

class ColumnHitTest : public TaskListFixture, public ::testing::WithParamInterface<ColumnHitCase> {};

TEST_P(ColumnHitTest, ColumnUnderX) {
    Build(3, {300, 0, 250});
    ASSERT_FALSE(m_list.m_pHScrollBar->isHidden());
    m_list.ScrollHorizontally(GetParam().nHPos);
    ASSERT_EQ(m_list.m_pHScrollBar->value(), GetParam().nHPos);
    EXPECT_EQ(m_list.HitTestColumn(GetParam().x), GetParam().nExpected);
}

INSTANTIATE_TEST_SUITE_P(Columns, ColumnHitTest, ::testing::ValuesIn(kColumnHitCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

struct ScrollBarCase {
    const char* pszName;
    int nRows;       ///< 11, 10, 9: rows need the bar (1), need it only below a horizontal bar (2), never (3)
    int nThirdWidth; ///< with 200: 401, 400, 384 wide: columns need the bar (1), only beside a vertical bar
                     ///< (2), never (3)
    bool bVertical;
    bool bHorizontal;
};

// Client 400 x 330: the rows area is 310 high, 294 above a horizontal bar; 384 wide beside a vertical bar.
const ScrollBarCase kScrollBarCases[] = {
    {"RowsNeed_ColumnsNeed", 11, 201, true, true},
    {"RowsNeed_ColumnsNeedBesideBar", 11, 200, true, true},
    {"RowsNeed_ColumnsFit", 11, 184, true, false},
    {"RowsNeedBelowBar_ColumnsNeed", 10, 201, true, true},
    {"RowsNeedBelowBar_ColumnsNeedBesideBar", 10, 200, false, false},
    {"RowsNeedBelowBar_ColumnsFit", 10, 184, false, false},
    {"RowsFit_ColumnsNeed", 9, 201, false, true},
    {"RowsFit_ColumnsNeedBesideBar", 9, 200, false, false},
    {"RowsFit_ColumnsFit", 9, 184, false, false},
};

class ScrollBarVisibilityTest : public TaskListFixture,
                                public ::testing::WithParamInterface<ScrollBarCase> {};

TEST_P(ScrollBarVisibilityTest, BarsShownPlacedAndRanged) {
    const ScrollBarCase& c = GetParam();
    Build(c.nRows, {200, 0, c.nThirdWidth});
    const QScrollBar* pV = m_list.m_pVScrollBar;
    const QScrollBar* pH = m_list.m_pHScrollBar;
    EXPECT_EQ(!pV->isHidden(), c.bVertical);
    EXPECT_EQ(!pH->isHidden(), c.bHorizontal);
    if (c.bVertical) {
        EXPECT_EQ(pV->geometry(), QRect(384, kHeaderHeight, 16, 310 - (c.bHorizontal ? 16 : 0)));
    }
    if (c.bHorizontal) {
        EXPECT_EQ(pH->geometry(), QRect(0, 314, 400 - (c.bVertical ? 16 : 0), 16));
    }
    // The view can scroll until the last page: total less the page (less a bar's room, always).
    EXPECT_EQ(pV->maximum(), std::max(c.nRows * kRowHeight - 294, 0));
    EXPECT_EQ(pH->maximum(), std::max(200 + c.nThirdWidth - 384, 0));
    EXPECT_EQ(pV->value(), 0);
    EXPECT_EQ(pH->value(), 0);
}

INSTANTIATE_TEST_SUITE_P(Needs, ScrollBarVisibilityTest, ::testing::ValuesIn(kScrollBarCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

class TaskListScrollTest : public TaskListFixture {};

TEST_F(TaskListScrollTest, ListWithoutItemsHidesBothBars) {
    Build(30, {300, 300});
    ASSERT_FALSE(m_list.m_pVScrollBar->isHidden());
    ASSERT_FALSE(m_list.m_pHScrollBar->isHidden());
    m_list.ScrollVertically(100);
    m_list.clear();
    EXPECT_TRUE(m_list.m_pVScrollBar->isHidden());
    EXPECT_TRUE(m_list.m_pHScrollBar->isHidden());
    EXPECT_EQ(m_list.m_pVScrollBar->value(), 0);
    m_list.resize(300, 200);
    EXPECT_TRUE(m_list.m_pVScrollBar->isHidden());
    EXPECT_TRUE(m_list.m_pHScrollBar->isHidden());
}

TEST_F(TaskListScrollTest, ResizeResetsBothPositionsAndTheHeaderOffset) {
    Build(30, {300, 300});
    m_list.ScrollVertically(100);
    m_list.ScrollHorizontally(50);
    ASSERT_EQ(m_list.m_pVScrollBar->value(), 100);
    ASSERT_EQ(m_list.m_pHScrollBar->value(), 50);
    EXPECT_EQ(m_list.GetHeaderCtrl()->m_nHorzOffset, 50);
    m_list.resize(390, 320);
    EXPECT_EQ(m_list.m_pVScrollBar->value(), 0);
    EXPECT_EQ(m_list.m_pHScrollBar->value(), 0);
    EXPECT_EQ(m_list.GetHeaderCtrl()->m_nHorzOffset, 0) << "titles stay over their columns";
}

TEST_F(TaskListScrollTest, RowsAddedAfterSizingBringTheBarAndKeepThePosition) {
    Build(2, {100});
    ASSERT_TRUE(m_list.m_pVScrollBar->isHidden());
    AddRows(20);
    EXPECT_FALSE(m_list.m_pVScrollBar->isHidden()) << "the new rows must be reachable";
    m_list.ScrollVertically(100);
    AddRows(1);
    EXPECT_EQ(m_list.m_pVScrollBar->value(), 100);
    EXPECT_EQ(m_list.m_pVScrollBar->maximum(), 23 * kRowHeight - 294);
}

TEST_F(TaskListScrollTest, WheelNotchMovesTheViewByItsDeltaWithinTheRange) {
    Build(20, {100}); // 600 rows high, page 294: positions 0 to 306
    m_list.ScrollVertically(200);
    Wheel(RowPoint(3), 120);
    EXPECT_EQ(m_list.m_pVScrollBar->value(), 80) << "forward moves the view up";
    Wheel(RowPoint(3), 120);
    EXPECT_EQ(m_list.m_pVScrollBar->value(), 0) << "not below the minimum";
    Wheel(RowPoint(3), -120);
    EXPECT_EQ(m_list.m_pVScrollBar->value(), 120);
    for (int i = 0; i < 5; ++i) {
        Wheel(RowPoint(3), -120);
    }
    EXPECT_EQ(m_list.m_pVScrollBar->value(), 306) << "not beyond the last page";
    EXPECT_EQ(m_list.HitTestRow(kHeaderHeight), 306 / kRowHeight);
}

TEST_F(TaskListScrollTest, WheelScrollsColumnsWhenOnlyTheHorizontalBarShows) {
    Build(3, {300, 300});
    ASSERT_TRUE(m_list.m_pVScrollBar->isHidden());
    Wheel(RowPoint(1), -120);
    EXPECT_EQ(m_list.m_pHScrollBar->value(), 120);
    EXPECT_EQ(m_list.GetHeaderCtrl()->m_nHorzOffset, 120);
    EXPECT_EQ(m_list.HitTestColumn(179), 0);
    EXPECT_EQ(m_list.HitTestColumn(180), 1);
}

TEST_F(TaskListScrollTest, OwnBarCommandsDriveTheView) {
    Build(30, {300, 300});
    m_list.m_pVScrollBar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(m_list.m_pVScrollBar->value(), 1) << "a line is one pixel";
    m_list.m_pVScrollBar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(m_list.m_pVScrollBar->value(), 1 + 294);
    m_list.m_pVScrollBar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(m_list.m_pVScrollBar->value(), 30 * kRowHeight - 294);
    EXPECT_EQ(m_list.HitTestRow(kHeaderHeight), (30 * kRowHeight - 294) / kRowHeight);

    m_list.m_pHScrollBar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(m_list.m_pHScrollBar->value(), 600 - 384);
    EXPECT_EQ(m_list.GetHeaderCtrl()->m_nHorzOffset, 600 - 384) << "the header follows the columns";
}

/// One user action on the list.
struct SelectionStep {
    enum Kind { Left, Right, PressEmpty, Band } kind;
    int nRow; ///< row clicked (-1: the empty space below the rows); for Band the y the band is dragged to
    Qt::KeyboardModifiers modifiers;
};

struct SelectionCase {
    const char* pszName;
    std::vector<SelectionStep> steps;
    std::set<int> selected;
    int nAnchor;
    int bBandActive;
};

using S = SelectionStep;
constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;

// Eight rows (20 to 260); the space below them, down to 330, is empty.
const SelectionCase kSelectionCases[] = {
    {"ClickSelectsOnlyThatRow", {{S::Left, 2, kNone}, {S::Left, 5, kNone}}, {5}, 5, 0},
    {"ShiftWithoutAnchorSelectsJustTheRow", {{S::Left, 3, kShift}}, {3}, 3, 0},
    {"ShiftWithAnchorSelectsTheRange", {{S::Left, 2, kNone}, {S::Left, 5, kShift}}, {2, 3, 4, 5}, 2, 0},
    {"ShiftAgainKeepsTheAnchor",
     {{S::Left, 2, kNone}, {S::Left, 5, kShift}, {S::Left, 0, kShift}},
     {0, 1, 2},
     2,
     0},
    {"CtrlTogglesAndMovesTheAnchor",
     {{S::Left, 1, kNone}, {S::Left, 3, kCtrl}, {S::Left, 1, kCtrl}},
     {3},
     1,
     0},
    {"ShiftAfterCtrlRangesFromToggledRow",
     {{S::Left, 1, kNone}, {S::Left, 4, kCtrl}, {S::Left, 6, kShift}},
     {4, 5, 6},
     4,
     0},
    {"ClickBelowRowsClearsAndStartsBand", {{S::Left, 2, kNone}, {S::PressEmpty, -1, kNone}}, {}, 2, 1},
    {"BandReleaseSelectsFromTopEdgeToEnd", {{S::Band, 185, kNone}}, {5, 6, 7}, -1, 0},
    {"BandTopAboveARowsBottomTakesThatRow", {{S::Band, 48, kNone}}, {0, 1, 2, 3, 4, 5, 6, 7}, -1, 0},
    {"BandTopOnARowsBottomStartsBelowIt", {{S::Band, 49, kNone}}, {1, 2, 3, 4, 5, 6, 7}, -1, 0},
    {"BandBelowRowsSelectsNothing", {{S::Band, 300, kNone}}, {}, -1, 0},
    {"BandAboveRowsIsClampedToTheHeader", {{S::Band, -40, kNone}}, {0, 1, 2, 3, 4, 5, 6, 7}, -1, 0},
    {"RightPressWithCtrlChangesNothing",
     {{S::Left, 2, kNone}, {S::Left, 4, kCtrl}, {S::Right, 6, kCtrl}},
     {2, 4},
     4,
     0},
    {"RightPressWithShiftChangesNothing", {{S::Left, 2, kNone}, {S::Right, -1, kShift}}, {2}, 2, 0},
    {"RightPressOnSelectedRowKeepsSelection",
     {{S::Left, 2, kNone}, {S::Left, 4, kCtrl}, {S::Right, 2, kNone}},
     {2, 4},
     4,
     0},
    {"RightPressOnOtherRowSelectsIt", {{S::Left, 2, kNone}, {S::Right, 6, kNone}}, {6}, 6, 0},
    {"RightPressBelowRowsClears", {{S::Left, 2, kNone}, {S::Right, -1, kNone}}, {}, 2, 0},
};

class SelectionTest : public TaskListFixture, public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(SelectionTest, ResultingSelectionAnchorAndBand) {
    Build(8, {100, 100});
    const QPoint ptEmpty(200, 300);
    for (const SelectionStep& step : GetParam().steps) {
        const QPoint pt = step.nRow < 0 ? ptEmpty : RowPoint(step.nRow);
        switch (step.kind) {
        case S::Left:
            Click(pt, Qt::LeftButton, step.modifiers);
            break;
        case S::Right:
            Click(pt, Qt::RightButton, step.modifiers);
            break;
        case S::PressEmpty:
            Mouse(QEvent::MouseButtonPress, ptEmpty, Qt::LeftButton, step.modifiers);
            break;
        case S::Band:
            Mouse(QEvent::MouseButtonPress, ptEmpty, Qt::LeftButton);
            Mouse(QEvent::MouseMove, QPoint(50, step.nRow), Qt::NoButton);
            Mouse(QEvent::MouseButtonRelease, QPoint(50, step.nRow), Qt::LeftButton);
            break;
        }
    }
    EXPECT_EQ(SelectedRows(), GetParam().selected);
    EXPECT_EQ(m_list.m_nAnchorRow, GetParam().nAnchor);
    EXPECT_EQ(m_list.m_bBandActive, GetParam().bBandActive);
}

INSTANTIATE_TEST_SUITE_P(Clicks, SelectionTest, ::testing::ValuesIn(kSelectionCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

TEST_F(TaskListGeometryTest, ClickOnScrolledViewSelectsTheRowShownThere) {
    Build(20, {100});
    m_list.ScrollVertically(95);
    Click(QPoint(30, kHeaderHeight + 10), Qt::LeftButton); // content y 105: row 3
    EXPECT_EQ(SelectedRows(), (std::set<int>{3}));
}

TEST_F(TaskListGeometryTest, TallSingleSelectionShiftsTheRowsBelowIt) {
    Build(6, {100});
    m_list.m_nSelectedRowHeight = 50;
    Click(RowPoint(1), Qt::LeftButton);
    EXPECT_EQ(m_list.RowContentTop(2, m_list.SingleSelectedRow()), 80);
    EXPECT_EQ(m_list.HitTestRow(kHeaderHeight + 79), 1);
    EXPECT_EQ(m_list.HitTestRow(kHeaderHeight + 80), 2);
    // A second selected row ends the single selection: every row is 30 high again.
    Click(RowPoint(0), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(m_list.SingleSelectedRow(), -1);
    EXPECT_EQ(m_list.HitTestRow(kHeaderHeight + 79), 2);
}

TEST_F(TaskListGeometryTest, StaleAnchorAfterRowsRemovedActsAsNone) {
    Build(8, {100});
    Click(RowPoint(7), Qt::LeftButton);
    delete m_list.takeTopLevelItem(7);
    delete m_list.takeTopLevelItem(6);
    Click(RowPoint(2), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(SelectedRows(), (std::set<int>{2}));
    EXPECT_EQ(m_list.m_nAnchorRow, 2);
}

TEST_F(TaskListGeometryTest, RightButtonUpSignalsTheParentWithTheControlId) {
    Build(4, {100});
    SetDlgCtrlID(&m_list, 4321);
    QSignalSpy spy(&m_list, &CShowTaskListCtrl::taskListRightButtonUp);
    Click(RowPoint(1), Qt::LeftButton);
    EXPECT_EQ(spy.count(), 0);
    Click(RowPoint(1), Qt::RightButton);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 4321);
    // Sent on every release, with or without keys held and over empty space too.
    Click(QPoint(200, 300), Qt::RightButton, Qt::ControlModifier);
    EXPECT_EQ(spy.count(), 2);
}

} // namespace

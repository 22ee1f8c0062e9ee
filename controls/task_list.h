#pragma once
// A report list of tasks drawn entirely by the skin: status icons, progress cells, selection
// highlighting, rubber-band selection, its own scroll bars and a pop-up text for truncated cells.
// Items, subitems, columns and the selection state stay in the tree widget's model.

#include "controls/list_ctrls.h"
#include "controls/text_ctrls.h"

#include <QBasicTimer>
#include <QFont>
#include <QImage>
#include <QRect>

class QScrollBar;

/// Subitems whose text the drawing reads.
enum TaskSubItem {
    TaskStatusSubItem = 2,   ///< status letter
    TaskProgressSubItem = 5, ///< progress value used when the status is "J"
    TaskPercentSubItem = 6,  ///< drawn as a progress cell when its text ends in "%"
    TaskExtraSubItem = 14,   ///< extra status text
    TaskFlagSubItem = 16,    ///< "1" changes the icon of status "R"
};

/// Child ids of the list's own windows.
enum TaskListChildID {
    IDC_TASK_VSCROLL = 1001,
    IDC_TASK_HSCROLL = 1002,
    IDC_TASK_TIP = 1003,
};

/// Ids of the tip timers and their periods.
enum TaskTipTimer {
    TipDelayTimer = 1, ///< pointer rested long enough: show the tip
    TipHideTimer = 2,  ///< tip shown long enough: hide it
    TipLeaveTimer = 3, ///< pointer checked for having left the rows
};
constexpr int kTipDelayMs = 500;
constexpr int kTipHideMs = 5000;
constexpr int kTipLeaveMs = 100;

/// Cell of the status icon strip for a row, or -1 for no icon.
int StatusIconCell(const QString& strStatus, const QString& strFlag, const QString& strExtra);

/// `nNumber` * `nNumerator` / `nDenominator` in 64 bits, rounded half away from zero; -1 when
/// the denominator is 0.
int MulDivRound(int nNumber, int nNumerator, int nDenominator);

/// The text as one line of at most `fWidth` pixels: whole when it fits, else cut after the last
/// whole word that fits with an ellipsis (within a single word when none does).
QString ElideTextAtWord(const QString& strText, const QFontMetricsF& metrics, qreal fWidth);

/// The task list's header: a vertical gradient under dividers and centred titles, shifted by the
/// list's horizontal scroll position.
class CShowTaskHeaderCtrl : public CBasicHeaderCtrl {
    Q_OBJECT
public:
    explicit CShowTaskHeaderCtrl(Qt::Orientation orientation = Qt::Horizontal, QWidget* pParent = nullptr);
    ~CShowTaskHeaderCtrl() override;

    void DrawHeaderItems(QImage& offscreen) override;

    static constexpr QRgb kGradientTop = 0xFFA9BED3;
    static constexpr QRgb kGradientBottom = 0xFFD9EAF6;

    QImage m_divider; ///< none: nothing draws a divider unless it is given one
    int m_nDividerWidth = 0;
    int m_nDividerHeight = 0;
    int m_nHorzOffset = 0; ///< the list's horizontal scroll position
    int m_bHover = 0;

protected:
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void leaveEvent(QEvent* pEvent) override;
};

class CShowTaskListCtrl : public CBasicDrawListCtrl {
    Q_OBJECT
public:
    explicit CShowTaskListCtrl(QWidget* pParent = nullptr);
    ~CShowTaskListCtrl() override;

    CShowTaskHeaderCtrl* GetHeaderCtrl() const { return m_pHeader; }

    /// Frame layers, the rows, then the header's copy of the picture under it.
    void DrawContent(QImage& offscreen) override;
    /// Rows area fill, then per row its background, cells and status icon, then the band. Rows
    /// wholly outside the area being painted are skipped; they would leave no trace there.
    void DrawItems(QImage& offscreen) override;
    /// Scroll bars (both back at position 0), rows repaint, then the new client rectangle is kept.
    void OnClientResized(int nType, int cx, int cy) override;

    /// Row under client y (x plays no part), or -1.
    int HitTestRow(int y) const;
    /// Column under client x, or -1.
    int HitTestColumn(int x) const;
    /// Repaints the rows area: the client area below the header, less the visible bars.
    void InvalidateRows();
    /// Decides and places both bars for the current size, items and columns. Positions go back to
    /// 0, unless `bKeepPositions`, which keeps them within the new ranges (used when the content
    /// changes under an unchanged size).
    void UpdateScrollBars(bool bKeepPositions = false);
    void ScrollVertically(int nDelta);
    void ScrollHorizontally(int nDelta);

    void SelectSingle(int nRow);
    void ToggleSelection(int nRow);
    void SelectRange(int nRow);
    /// The only selected row, or -1 when none or several are selected.
    int SingleSelectedRow() const;
    /// Top of row `nRow` in content coordinates, and its height, for the current selection.
    int RowContentTop(int nRow, int nSingleSel) const;
    int RowHeightOf(int nRow, int nSingleSel) const;
    /// The band spanned by its start and `pt` clamped to the rows area's extent.
    QRect BandRect(const QPoint& pt) const;

    /// The text a cell shows: for a "J" row the progress column reads subitem 5 and "%".
    QString CellDisplayText(int nRow, int nColumn) const;
    /// True when the cell's text would need two or more lines at its column's width.
    bool CellTextOverflows(int nRow, int nColumn) const;
    void ShowCellTip(int x, int y);
    void HideCellTip();
    /// Runs the tip timer with that id (1, 2 or 3) as if it had fired.
    void OnTimer(int nIDEvent);
    bool IsTipTimerActive(int nIDEvent) const;

    CShowTaskHeaderCtrl* m_pHeader;
    CShowTextCtrl* m_pTip;
    int m_bTipVisible = 0; ///< a tip cycle is running
    int m_bTipShownForCell = 0;
    int m_nHoverRow = -1;
    int m_nHoverColumn = -1;
    int m_nTipAnchorX = -1;
    int m_nTipAnchorY = -1;
    QScrollBar* m_pVScrollBar;
    QScrollBar* m_pHScrollBar;
    int m_nRowHeight = 30;
    int m_nSelectedRowHeight = 30;
    int m_nHeaderHeight = 20;
    int m_nVScrollBarWidth = 16;
    int m_nHScrollBarHeight = 16;
    int m_nPointerX = -1;
    int m_nPointerY = -1;
    int m_bMouseTracking = 0;
    QFont m_progressFont;
    QImage m_progressBackground;
    QImage m_progressFill;
    int m_nProgressX = 0;
    int m_nProgressY = 0;
    int m_nProgressWidth = 0;
    int m_nProgressHeight = 0;
    QRgb m_clrSelectedFill = 0xFFE8F5FF;
    QRgb m_clrSeparator = 0xFFF4F4F6;
    QRgb m_clrBandFill = 0x96DAE9FD;
    QRgb m_clrBandOutline = 0x96ADCFF8;
    QRgb m_clrTipBackground = 0xFFFEF5BD;
    QRgb m_clrTipText = 0xFF9B6912;
    int m_nAnchorRow = -1;
    int m_nBandStartX = -1;
    int m_nBandStartY = -1;
    int m_bBandActive = 0;

signals:
    /// The right button was released over the list.
    void taskListRightButtonUp(int nCtrlID);

protected:
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    bool viewportEvent(QEvent* pEvent) override;
    void paintEvent(QPaintEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void wheelEvent(QWheelEvent* pEvent) override;
    void timerEvent(QTimerEvent* pEvent) override;

private:
    void OnLeftButtonDown(const QPoint& pt, Qt::KeyboardModifiers modifiers);
    void OnRightButtonDown(const QPoint& pt, Qt::KeyboardModifiers modifiers);
    void OnMouseLeave();
    void TrackCellTip(const QPoint& pt);
    void FinishBand(const QPoint& pt);
    void OnContentChanged();
    void SelectRows(int nFirst, int nLast, bool bClearOthers);
    void DrawRow(QPainter& graphics, int nRow, int nTop, int nHeight, const QVector<int>& columnLefts);
    void DrawProgressCell(QPainter& graphics, const QString& strText, const QRect& rcCell);
    /// Vertical extent of a row's drawing around its top, beyond the row itself.
    int RowInkAbove() const;
    int RowInkBelow(int nHeight) const;
    QVector<int> ColumnLefts(int nHPos) const;
    QBasicTimer* TipTimer(int nIDEvent);

    QBasicTimer m_tipDelayTimer;
    QBasicTimer m_tipHideTimer;
    QBasicTimer m_tipLeaveTimer;
    QRect m_rcPaint; ///< area of the paint in progress; null outside a paint (the whole picture)
};

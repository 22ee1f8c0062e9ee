#include "controls/task_list.h"

#include "controls/base_ctrl.h"
#include "skin/layout_frame.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimerEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

/// Cells draw their text in a band this far below the row top and this high.
constexpr int kCellTextTop = 8;
constexpr qreal kCellTextHeight = 16.0;
/// The status icon sits this far right of the row's left edge and below its top.
constexpr int kIconLeft = 10;
constexpr int kIconTop = 6;
/// The tip opens this far below the pointer, its text this far inside its box.
constexpr int kTipBelowPointer = 21;
constexpr int kTipTextOffset = 3;

} // namespace

int StatusIconCell(const QString& strStatus, const QString& strFlag, const QString& strExtra) {
    if (strStatus == QLatin1String("R")) {
        return strFlag == QLatin1String("1") ? 4 : 0;
    }
    if (strStatus == QLatin1String("W")) {
        return 2;
    }
    if (strStatus == QLatin1String("S")) {
        return 1;
    }
    if (strStatus == QLatin1String("C")) {
        return 5;
    }
    if (strStatus == QLatin1String("P")) {
        return 6;
    }
    if (strStatus == QLatin1String("E")) {
        return 3;
    }
    if (strStatus == QLatin1String("J")) {
        return 4;
    }
    if (strStatus == QLatin1String("D")) {
        return 3;
    }
    return strExtra.isEmpty() ? -1 : 3;
}

int MulDivRound(int nNumber, int nNumerator, int nDenominator) {
    if (nDenominator == 0) {
        return -1;
    }
    const qint64 nProduct = static_cast<qint64>(nNumber) * nNumerator;
    qint64 nResult = nProduct / nDenominator;
    const qint64 nRemainder = nProduct % nDenominator;
    if (2 * std::llabs(nRemainder) >= std::llabs(static_cast<qint64>(nDenominator))) {
        nResult += ((nProduct < 0) != (nDenominator < 0)) ? -1 : 1;
    }
    if (nResult > std::numeric_limits<int>::max() || nResult < std::numeric_limits<int>::min()) {
        return -1;
    }
    return static_cast<int>(nResult);
}

QString ElideTextAtWord(const QString& strText, const QFontMetricsF& metrics, qreal fWidth) {
    // The cell shows one line: a text with a line break is cut after its first line.
    qsizetype nBreak = 0;
    while (nBreak < strText.size() && strText[nBreak] != QLatin1Char('\n') &&
           strText[nBreak] != QLatin1Char('\r')) {
        ++nBreak;
    }
    const bool bMoreLines = nBreak < strText.size();
    const QString strLine = strText.left(nBreak);
    if (!bMoreLines && metrics.horizontalAdvance(strLine) <= fWidth) {
        return strLine;
    }
    const QString strEllipsis(QChar(0x2026));
    auto fits = [&](const QString& strPrefix) {
        return metrics.horizontalAdvance(strPrefix + strEllipsis) <= fWidth;
    };
    auto rightTrimmed = [](QString str) {
        while (!str.isEmpty() && str.back().isSpace()) {
            str.chop(1);
        }
        return str;
    };
    // Longest run of whole words first: the whole first line, then up to each space going back.
    QVector<qsizetype> wordEnds;
    if (bMoreLines) {
        wordEnds.push_back(strLine.size());
    }
    for (qsizetype nSpace = strLine.lastIndexOf(QLatin1Char(' ')); nSpace > 0;
         nSpace = strLine.lastIndexOf(QLatin1Char(' '), nSpace - 1)) {
        wordEnds.push_back(nSpace);
    }
    for (qsizetype nEnd : wordEnds) {
        const QString strPrefix = rightTrimmed(strLine.left(nEnd));
        if (!strPrefix.isEmpty() && fits(strPrefix)) {
            return strPrefix + strEllipsis;
        }
    }
    // Not even the first word fits: cut within it, as many characters as fit.
    qsizetype nLow = 0;
    qsizetype nHigh = strLine.size();
    while (nLow < nHigh) {
        const qsizetype nMid = (nLow + nHigh + 1) / 2;
        if (fits(strLine.left(nMid))) {
            nLow = nMid;
        } else {
            nHigh = nMid - 1;
        }
    }
    return strLine.left(nLow) + strEllipsis;
}

CShowTaskHeaderCtrl::CShowTaskHeaderCtrl(Qt::Orientation orientation, QWidget* pParent)
    : CBasicHeaderCtrl(orientation, pParent) {}

CShowTaskHeaderCtrl::~CShowTaskHeaderCtrl() = default;

void CShowTaskHeaderCtrl::DrawHeaderItems(QImage& offscreen) {
    QPainter graphics(&offscreen);
    const QRect rcClient = offscreen.rect();
    QLinearGradient gradient(0, rcClient.top(), 0, rcClient.top() + rcClient.height());
    gradient.setColorAt(0, QColor::fromRgba(kGradientTop));
    gradient.setColorAt(1, QColor::fromRgba(kGradientBottom));
    gradient.setSpread(QGradient::RepeatSpread);
    graphics.fillRect(rcClient, gradient);

    if (model() == nullptr) {
        return;
    }
    graphics.setPen(QColor::fromRgba(m_clrCaption));
    if (m_captionFont) {
        graphics.setFont(*m_captionFont);
    }
    const int nTop = rcClient.top();
    const int nBottom = rcClient.top() + rcClient.height();
    for (int nItem = 0; nItem < count(); ++nItem) {
        const int nWidth = isSectionHidden(nItem) ? 0 : sectionSize(nItem);
        if (nWidth == 0) {
            continue;
        }
        const int nLeft = sectionPosition(nItem) - m_nHorzOffset;
        if (!m_divider.isNull()) {
            graphics.drawImage(QPoint(nLeft + nWidth, nTop - 1), m_divider);
        }
        const QString strTitle = model()->headerData(nItem, orientation(), Qt::DisplayRole).toString();
        graphics.drawText(QRectF(nLeft, nTop + 3, nWidth, nBottom - nTop - 3), Qt::AlignCenter, strTitle);
    }
}

void CShowTaskHeaderCtrl::mouseMoveEvent(QMouseEvent* pEvent) {
    m_bHover = 1;
    CBasicHeaderCtrl::mouseMoveEvent(pEvent);
}

void CShowTaskHeaderCtrl::leaveEvent(QEvent* pEvent) {
    m_bHover = 0;
    viewport()->update();
    CBasicHeaderCtrl::leaveEvent(pEvent);
}

CShowTaskListCtrl::CShowTaskListCtrl(QWidget* pParent) : CBasicDrawListCtrl(pParent) {
    m_progressFont = QFont(QStringLiteral("Arial"));
    m_progressFont.setPixelSize(11);
    m_progressFont.setWeight(QFont::Normal);
    m_progressFont.setStyle(QFont::StyleNormal);

    // The list's own bars are never shown; its two bars below scroll the drawn rows instead.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setMouseTracking(true);

    m_pVScrollBar = new QScrollBar(Qt::Vertical, viewport());
    SetDlgCtrlID(m_pVScrollBar, IDC_TASK_VSCROLL);
    m_pVScrollBar->setSingleStep(1);
    m_pVScrollBar->setGeometry(
        QRect(viewport()->width() - m_nVScrollBarWidth, 0, m_nVScrollBarWidth, viewport()->height()));
    m_pVScrollBar->hide();
    m_pHScrollBar = new QScrollBar(Qt::Horizontal, viewport());
    SetDlgCtrlID(m_pHScrollBar, IDC_TASK_HSCROLL);
    m_pHScrollBar->setSingleStep(1);
    m_pHScrollBar->setGeometry(
        QRect(0, viewport()->height() - m_nHScrollBarHeight, viewport()->width(), m_nHScrollBarHeight));
    m_pHScrollBar->hide();
    connect(m_pVScrollBar, &QScrollBar::valueChanged, this, [this](int) { InvalidateRows(); });
    connect(m_pHScrollBar, &QScrollBar::valueChanged, this, [this](int) { ScrollHorizontally(0); });

    m_pTip = new CShowTextCtrl(viewport());
    m_pTip->m_nPaintMode = PaintFill | PaintBorder;
    m_pTip->m_clrFill = m_clrTipBackground;
    m_pTip->m_clrCaption = m_clrTipText;
    m_pTip->setObjectName(QStringLiteral("ShowTextCtrl"));
    SetDlgCtrlID(m_pTip, IDC_TASK_TIP);
    m_pTip->setGeometry(0, 0, 10, 10);
    // The pointer keeps talking to the list while it passes over the tip.
    m_pTip->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_pTip->hide();

    m_pHeader = new CShowTaskHeaderCtrl(Qt::Horizontal, this);
    setHeader(m_pHeader);
    m_pHeader->setStretchLastSection(false);
    m_pHeader->setSectionsMovable(false);
    updateGeometries();

    // Content changes keep the bars' ranges right; Qt's own repaints use its row geometry, not ours.
    QAbstractItemModel* pModel = model();
    connect(pModel, &QAbstractItemModel::rowsInserted, this, [this] { OnContentChanged(); });
    connect(pModel, &QAbstractItemModel::rowsRemoved, this, [this] { OnContentChanged(); });
    connect(pModel, &QAbstractItemModel::columnsInserted, this, [this] { OnContentChanged(); });
    connect(pModel, &QAbstractItemModel::columnsRemoved, this, [this] { OnContentChanged(); });
    connect(pModel, &QAbstractItemModel::modelReset, this, [this] { OnContentChanged(); });
    connect(pModel, &QAbstractItemModel::layoutChanged, this, [this] { OnContentChanged(); });
    connect(pModel, &QAbstractItemModel::dataChanged, this, [this] { InvalidateRows(); });
    connect(m_pHeader, &QHeaderView::sectionResized, this, [this] { OnContentChanged(); });
    connect(m_pHeader, &QHeaderView::sectionCountChanged, this, [this] { OnContentChanged(); });
}

CShowTaskListCtrl::~CShowTaskListCtrl() {
    // The model is cleared while the children are already gone: none of its signals may reach us.
    disconnect(model(), nullptr, this, nullptr);
    disconnect(m_pHeader, nullptr, this, nullptr);
    disconnect(m_pVScrollBar, nullptr, this, nullptr);
    disconnect(m_pHScrollBar, nullptr, this, nullptr);
}

void CShowTaskListCtrl::updateGeometries() {
    // The rows area is the whole client area with the header laid over its top, as the row
    // geometry counts rows from the client top plus the header height; the tree's own header
    // placement, which would shrink the viewport instead, is left out.
    QAbstractItemView::updateGeometries();
    if (m_pHeader == nullptr) {
        return;
    }
    if (viewportMargins() != QMargins()) {
        setViewportMargins(0, 0, 0, 0);
    }
    const QRect rcViewport = viewport()->geometry();
    m_pHeader->setGeometry(rcViewport.left(), rcViewport.top(), rcViewport.width(), m_nHeaderHeight);
    QMetaObject::invokeMethod(m_pHeader, "updateGeometries");
}

void CShowTaskListCtrl::scrollContentsBy(int /*dx*/, int /*dy*/) {
    // Scrolling is done by the list's own bars; the tree's would move the drawn picture and the
    // child bars with it.
}

void CShowTaskListCtrl::scrollTo(const QModelIndex& index, ScrollHint /*hint*/) {
    // Keyboard moves bring the current row into view with the list's own vertical bar.
    if (!index.isValid() || index.parent().isValid() || m_pVScrollBar->isHidden()) {
        return;
    }
    const int nSel = SingleSelectedRow();
    const int nTop = RowContentTop(index.row(), nSel);
    const int nBottom = nTop + RowHeightOf(index.row(), nSel);
    const int nPos = m_pVScrollBar->value();
    const int nPage = m_pVScrollBar->pageStep();
    if (nTop < nPos) {
        ScrollVertically(nTop - nPos);
    } else if (nBottom > nPos + nPage) {
        ScrollVertically(std::min(nTop, nBottom - nPage) - nPos);
    }
}

void CShowTaskListCtrl::selectionChanged(const QItemSelection& /*selected*/,
                                         const QItemSelection& /*deselected*/) {
    // A single selection may change the rows' total height.
    UpdateScrollBars(true);
    InvalidateRows();
}

bool CShowTaskListCtrl::viewportEvent(QEvent* pEvent) {
    if (pEvent->type() == QEvent::Leave) {
        OnMouseLeave();
    }
    return CBasicDrawListCtrl::viewportEvent(pEvent);
}

void CShowTaskListCtrl::paintEvent(QPaintEvent* pEvent) {
    m_rcPaint = pEvent->rect();
    CBasicDrawListCtrl::paintEvent(pEvent);
    m_rcPaint = QRect();
}

void CShowTaskListCtrl::DrawContent(QImage& offscreen) {
    {
        QPainter graphics(&offscreen);
        DrawProperties(parentWidget(), viewport(), graphics);
    }
    DrawItems(offscreen);
    // Only a paint that covers the header's area has fresh pixels there to copy.
    const QRect rcHeader(0, 0, offscreen.width(), m_nHeaderHeight);
    if (m_rcPaint.isNull() || m_rcPaint.contains(rcHeader)) {
        m_pHeader->CaptureBackground(offscreen, m_pHeader, viewport());
    }
}

QVector<int> CShowTaskListCtrl::ColumnLefts(int nHPos) const {
    const int nColumns = columnCount();
    QVector<int> lefts(nColumns + 1);
    int x = -nHPos;
    for (int j = 0; j < nColumns; ++j) {
        lefts[j] = x;
        x += m_pHeader->isSectionHidden(j) ? 0 : m_pHeader->sectionSize(j);
    }
    lefts[nColumns] = x;
    return lefts;
}

int CShowTaskListCtrl::RowInkAbove() const {
    // The separator lies one pixel above the row; a progress bar may be placed higher still.
    return std::max(1, -m_nProgressY);
}

int CShowTaskListCtrl::RowInkBelow(int nHeight) const {
    int nBelow = std::max(nHeight, kCellTextTop + static_cast<int>(kCellTextHeight));
    if (m_image && !m_image->isNull()) {
        nBelow = std::max(nBelow, kIconTop + m_nImageHeight);
    }
    return std::max(nBelow, m_nProgressY + m_nProgressHeight);
}

void CShowTaskListCtrl::DrawItems(QImage& offscreen) {
    QPainter graphics(&offscreen);
    graphics.setRenderHint(QPainter::Antialiasing, false);
    const QRect rcClient = offscreen.rect();
    const int nVPos = m_pVScrollBar->value();
    const int nHPos = m_pHScrollBar->value();
    graphics.fillRect(QRect(rcClient.left(), rcClient.top() + m_nHeaderHeight, rcClient.width(),
                            rcClient.height() - m_nHeaderHeight),
                      QColor::fromRgba(m_clrFill));

    const QRect rcPaint = m_rcPaint.isNull() ? rcClient : m_rcPaint;
    const QVector<int> columnLefts = ColumnLefts(nHPos);
    const int nSel = SingleSelectedRow();
    const int nInkAbove = RowInkAbove();
    const int nCount = topLevelItemCount();
    for (int i = 0; i < nCount; ++i) {
        const int nTop = rcClient.top() + m_nHeaderHeight - nVPos + RowContentTop(i, nSel);
        const int nHeight = RowHeightOf(i, nSel);
        if (nTop - nInkAbove > rcPaint.bottom()) {
            break;
        }
        if (nTop + RowInkBelow(nHeight) - 1 < rcPaint.top()) {
            continue;
        }
        DrawRow(graphics, i, nTop, nHeight, columnLefts);
    }

    if (m_bBandActive != 0) {
        const QRect rcBand = BandRect(QPoint(m_nPointerX, m_nPointerY));
        graphics.fillRect(rcBand, QColor::fromRgba(m_clrBandFill));
        graphics.setPen(QPen(QColor::fromRgba(m_clrBandOutline), 1.0));
        graphics.setBrush(Qt::NoBrush);
        graphics.drawRect(rcBand);
    }
}

void CShowTaskListCtrl::DrawRow(QPainter& graphics, int nRow, int nTop, int nHeight,
                                const QVector<int>& columnLefts) {
    const QTreeWidgetItem* pItem = topLevelItem(nRow);
    const int nWidth = graphics.device()->width();
    if (selectionModel()->isSelected(model()->index(nRow, 0))) {
        graphics.fillRect(QRect(0, nTop, nWidth, nHeight), QColor::fromRgba(m_clrSelectedFill));
    }
    graphics.setPen(QPen(QColor::fromRgba(m_clrSeparator), 1.0));
    graphics.drawLine(0, nTop - 1, nWidth, nTop - 1);

    if (m_captionFont) {
        graphics.setFont(*m_captionFont);
        const QFontMetricsF metrics(*m_captionFont);
        const QColor clrCaption = QColor::fromRgba(m_clrCaption);
        for (int j = 0; j + 1 < columnLefts.size(); ++j) {
            const int nLeft = columnLefts[j];
            const int nColumnWidth = columnLefts[j + 1] - nLeft;
            if (nColumnWidth == 0) {
                continue;
            }
            // A cell far off either side leaves no pixel in the picture.
            const int nInkRight = nLeft + std::max(nColumnWidth, m_nProgressX + m_nProgressWidth);
            if (nInkRight <= 0 || nLeft >= nWidth) {
                continue;
            }
            const QString strText = CellDisplayText(nRow, j);
            if (j == TaskPercentSubItem && strText.endsWith(QLatin1Char('%'))) {
                DrawProgressCell(graphics, strText, QRect(nLeft, nTop, nColumnWidth, nHeight));
                graphics.setFont(*m_captionFont);
                continue;
            }
            graphics.setPen(clrCaption);
            graphics.drawText(QRectF(nLeft, nTop + kCellTextTop, nColumnWidth, kCellTextHeight),
                              Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                              ElideTextAtWord(strText, metrics, nColumnWidth));
        }
    }

    const int nCell = StatusIconCell(pItem->text(TaskStatusSubItem), pItem->text(TaskFlagSubItem),
                                     pItem->text(TaskExtraSubItem));
    if (nCell >= 0 && m_image && !m_image->isNull() && m_nCellWidth > 0) {
        const int nHPos = m_pHScrollBar->value();
        graphics.drawImage(QRect(kIconLeft - nHPos, nTop + kIconTop, m_nCellWidth, m_nImageHeight), *m_image,
                           QRect(nCell * m_nCellWidth, 0, m_nCellWidth, m_nImageHeight));
    }
}

void CShowTaskListCtrl::DrawProgressCell(QPainter& graphics, const QString& strText, const QRect& rcCell) {
    const int nCellWidth = rcCell.width();
    if (m_nProgressX >= nCellWidth) {
        return;
    }
    // The bar is placed relative to the cell as it shows on screen, so it scrolls with its column.
    const int x = rcCell.left() + m_nProgressX;
    const int y = rcCell.top() + m_nProgressY;
    const int nBarWidth = std::min(m_nProgressWidth, nCellWidth - m_nProgressX);
    if (!m_progressBackground.isNull() && nBarWidth > 0 && m_nProgressHeight > 0) {
        graphics.drawImage(QRect(x, y, nBarWidth, m_nProgressHeight), m_progressBackground,
                           QRect(0, 0, nBarWidth, m_nProgressHeight));
        if (!m_progressFill.isNull()) {
            // Never wider than the bar, never negative: "150%" or "-5%" stay inside it.
            const int nFillWidth =
                std::clamp(MulDivRound(ParseIntText(strText), m_nProgressWidth, 100), 0, nBarWidth);
            if (nFillWidth > 0) {
                graphics.drawImage(QRect(x, y, nFillWidth, m_nProgressHeight), m_progressFill,
                                   QRect(0, 0, nFillWidth, m_nProgressHeight));
            }
        }
    }
    // Without a bar rectangle the text is centred in the whole cell rather than on its corner.
    const bool bHasBar = m_nProgressWidth > 0 && m_nProgressHeight > 0;
    const QRectF rcText = bHasBar ? QRectF(x, y, m_nProgressWidth, m_nProgressHeight) : QRectF(rcCell);
    graphics.setFont(m_progressFont);
    graphics.setPen(QColor::fromRgba(m_clrCaption));
    graphics.drawText(rcText, Qt::AlignCenter | Qt::TextSingleLine, strText);
}

void CShowTaskListCtrl::OnClientResized(int /*nType*/, int /*cx*/, int /*cy*/) {
    UpdateScrollBars();
    InvalidateRows();
    m_rcLastClient = viewport()->rect();
}

void CShowTaskListCtrl::OnContentChanged() {
    UpdateScrollBars(true);
    InvalidateRows();
}

int CShowTaskListCtrl::SingleSelectedRow() const {
    if (selectionModel() == nullptr) {
        return -1;
    }
    int nRow = -1;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        if (range.parent().isValid()) {
            continue;
        }
        if (range.top() != range.bottom() || (nRow >= 0 && nRow != range.top())) {
            return -1;
        }
        nRow = range.top();
    }
    return nRow;
}

int CShowTaskListCtrl::RowContentTop(int nRow, int nSingleSel) const {
    if (nSingleSel < 0 || nRow <= nSingleSel) {
        return nRow * m_nRowHeight;
    }
    return m_nSelectedRowHeight + (nRow - 1) * m_nRowHeight;
}

int CShowTaskListCtrl::RowHeightOf(int nRow, int nSingleSel) const {
    return nRow == nSingleSel ? m_nSelectedRowHeight : m_nRowHeight;
}

int CShowTaskListCtrl::HitTestRow(int y) const {
    const int yContent = y + m_pVScrollBar->value() - m_nHeaderHeight;
    const int nSel = SingleSelectedRow();
    int nRow;
    if (nSel >= 0) {
        if (yContent >= m_nSelectedRowHeight + m_nRowHeight * nSel) {
            nRow = (m_nRowHeight + yContent - m_nSelectedRowHeight) / m_nRowHeight;
        } else if (yContent < m_nRowHeight * nSel) {
            nRow = yContent / m_nRowHeight;
        } else {
            nRow = nSel;
        }
    } else {
        nRow = yContent / m_nRowHeight;
    }
    // A point far above the rows would otherwise give a negative row that passes for a real one.
    if (nRow < 0 || nRow >= topLevelItemCount()) {
        return -1;
    }
    return nRow;
}

int CShowTaskListCtrl::HitTestColumn(int x) const {
    const QVector<int> lefts = ColumnLefts(m_pHScrollBar->value());
    for (int j = 0; j + 1 < lefts.size(); ++j) {
        if (x >= lefts[j] && x < lefts[j + 1]) {
            return j;
        }
    }
    return -1;
}

void CShowTaskListCtrl::InvalidateRows() {
    QRect rcRows = viewport()->rect();
    rcRows.setTop(rcRows.top() + m_nHeaderHeight);
    if (!m_pVScrollBar->isHidden()) {
        rcRows.setRight(rcRows.right() - m_nVScrollBarWidth);
    }
    if (!m_pHScrollBar->isHidden()) {
        rcRows.setBottom(rcRows.bottom() - m_nHScrollBarHeight);
    }
    viewport()->update(rcRows);
}

void CShowTaskListCtrl::UpdateScrollBars(bool bKeepPositions) {
    const int nCount = topLevelItemCount();
    const int nClientWidth = viewport()->width();
    const int nClientHeight = viewport()->height();
    if (nCount == 0) {
        // Nothing stays scrolled once there is nothing to scroll.
        m_pVScrollBar->setRange(0, 0);
        m_pHScrollBar->setRange(0, 0);
        m_pVScrollBar->hide();
        m_pHScrollBar->hide();
        return;
    }

    const int nSel = SingleSelectedRow();
    const int nTotal = nSel >= 0 ? (nCount - 1) * m_nRowHeight + m_nSelectedRowHeight : nCount * m_nRowHeight;
    int nNeedV = 3;
    if (nClientHeight - m_nHeaderHeight < nTotal) {
        nNeedV = 1;
    } else if (nClientHeight - m_nHScrollBarHeight - m_nHeaderHeight < nTotal) {
        nNeedV = 2;
    }
    const QVector<int> lefts = ColumnLefts(0);
    const int nSum = lefts.back();
    int nNeedH = 2;
    if (nClientWidth < nSum) {
        nNeedH = 1;
    } else if (nClientWidth - m_nVScrollBarWidth >= nSum) {
        nNeedH = 3;
    }
    // Rows: need V; columns: need H.
    static constexpr bool kShowV[3][3] = {{true, true, true}, {true, false, false}, {false, false, false}};
    static constexpr bool kShowH[3][3] = {{true, true, false}, {true, false, false}, {true, false, false}};
    const bool bShowV = kShowV[nNeedV - 1][nNeedH - 1];
    const bool bShowH = kShowH[nNeedV - 1][nNeedH - 1];

    const int nVPage = nClientHeight - m_nHScrollBarHeight - m_nHeaderHeight;
    const int nHPage = nClientWidth - m_nVScrollBarWidth;
    // The bars stop where the last page begins, so their value is always a valid top-left.
    m_pVScrollBar->setPageStep(std::max(nVPage, 1));
    m_pVScrollBar->setRange(0, std::max(nTotal - nVPage, 0));
    m_pHScrollBar->setPageStep(std::max(nHPage, 1));
    m_pHScrollBar->setRange(0, std::max(nSum - nHPage, 0));
    if (!bKeepPositions || !bShowV) {
        m_pVScrollBar->setValue(0);
    }
    if (!bKeepPositions || !bShowH) {
        m_pHScrollBar->setValue(0);
    }
    m_pVScrollBar->setVisible(bShowV);
    m_pHScrollBar->setVisible(bShowH);

    m_pVScrollBar->setGeometry(nClientWidth - m_nVScrollBarWidth, m_nHeaderHeight, m_nVScrollBarWidth,
                               nClientHeight - m_nHeaderHeight - (bShowH ? m_nHScrollBarHeight : 0));
    m_pHScrollBar->setGeometry(0, nClientHeight - m_nHScrollBarHeight,
                               nClientWidth - (bShowV ? m_nVScrollBarWidth : 0), m_nHScrollBarHeight);
}

void CShowTaskListCtrl::ScrollVertically(int nDelta) {
    const int nPos =
        std::clamp(m_pVScrollBar->value() + nDelta, m_pVScrollBar->minimum(), m_pVScrollBar->maximum());
    m_pVScrollBar->setValue(nPos);
    InvalidateRows();
}

void CShowTaskListCtrl::ScrollHorizontally(int nDelta) {
    const int nPos =
        std::clamp(m_pHScrollBar->value() + nDelta, m_pHScrollBar->minimum(), m_pHScrollBar->maximum());
    m_pHScrollBar->setValue(nPos);
    const int nValue = m_pHScrollBar->value();
    m_pHeader->m_nHorzOffset = nValue;
    // The header's own offset follows too, so that its resize handles stay on the drawn dividers.
    m_pHeader->setOffset(nValue);
    m_pHeader->viewport()->update();
    InvalidateRows();
}

void CShowTaskListCtrl::SelectRows(int nFirst, int nLast, bool bClearOthers) {
    const QItemSelection selection(model()->index(nFirst, 0),
                                   model()->index(nLast, std::max(columnCount() - 1, 0)));
    selectionModel()->select(
        selection, (bClearOthers ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Select) |
                       QItemSelectionModel::Rows);
}

void CShowTaskListCtrl::SelectSingle(int nRow) {
    if (nRow < 0) {
        selectionModel()->clearSelection();
        return;
    }
    SelectRows(nRow, nRow, true);
    m_nAnchorRow = nRow;
    // Keyboard moves continue from the clicked row; the click itself does not scroll.
    const QSignalBlocker blocker(selectionModel());
    selectionModel()->setCurrentIndex(model()->index(nRow, 0), QItemSelectionModel::NoUpdate);
}

void CShowTaskListCtrl::ToggleSelection(int nRow) {
    selectionModel()->select(model()->index(nRow, 0),
                             QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
    m_nAnchorRow = nRow;
}

void CShowTaskListCtrl::SelectRange(int nRow) {
    // An anchor left behind by removed rows counts as none.
    if (m_nAnchorRow < 0 || m_nAnchorRow >= topLevelItemCount()) {
        m_nAnchorRow = nRow;
    }
    SelectRows(std::min(nRow, m_nAnchorRow), std::max(nRow, m_nAnchorRow), true);
}

QRect CShowTaskListCtrl::BandRect(const QPoint& pt) const {
    const int x = std::clamp(pt.x(), 0, viewport()->width());
    const int y = std::clamp(pt.y(), m_nHeaderHeight, std::max(viewport()->height(), m_nHeaderHeight));
    return QRect(std::min(x, m_nBandStartX), std::min(y, m_nBandStartY), std::abs(x - m_nBandStartX),
                 std::abs(y - m_nBandStartY));
}

void CShowTaskListCtrl::OnLeftButtonDown(const QPoint& pt, Qt::KeyboardModifiers modifiers) {
    m_nPointerX = pt.x();
    m_nPointerY = pt.y();
    const int nRow = HitTestRow(pt.y());
    if (nRow < 0) {
        selectionModel()->clearSelection();
        InvalidateRows();
        m_bBandActive = 1;
        m_nBandStartX = pt.x();
        m_nBandStartY = pt.y();
        return;
    }
    m_bBandActive = 0;
    if (modifiers & Qt::ShiftModifier) {
        SelectRange(nRow);
    } else if (modifiers & Qt::ControlModifier) {
        ToggleSelection(nRow);
    } else {
        SelectSingle(nRow);
    }
    InvalidateRows();
}

void CShowTaskListCtrl::FinishBand(const QPoint& pt) {
    m_bBandActive = 0;
    const QRect rcBand = BandRect(pt);
    // First row whose bottom edge lies below the band's top, counted from the rows' top on screen.
    const int yContent = rcBand.top() - (m_nHeaderHeight - m_pVScrollBar->value());
    const int nFirst = std::max((yContent + 1) / m_nRowHeight, 0);
    const int nCount = topLevelItemCount();
    if (nFirst < nCount) {
        SelectRows(nFirst, nCount - 1, false);
    }
    InvalidateRows();
}

void CShowTaskListCtrl::OnRightButtonDown(const QPoint& pt, Qt::KeyboardModifiers modifiers) {
    if (modifiers & (Qt::ShiftModifier | Qt::ControlModifier)) {
        return;
    }
    const int nRow = HitTestRow(pt.y());
    if (nRow < 0) {
        selectionModel()->clearSelection();
        InvalidateRows();
    } else if (!selectionModel()->isSelected(model()->index(nRow, 0))) {
        SelectSingle(nRow);
        InvalidateRows();
    }
}

void CShowTaskListCtrl::mousePressEvent(QMouseEvent* pEvent) {
    const QPoint pt = pEvent->position().toPoint();
    if (pEvent->button() == Qt::LeftButton) {
        OnLeftButtonDown(pt, pEvent->modifiers());
    } else if (pEvent->button() == Qt::RightButton) {
        OnRightButtonDown(pt, pEvent->modifiers());
    }
    pEvent->accept();
}

void CShowTaskListCtrl::mouseDoubleClickEvent(QMouseEvent* pEvent) {
    // The second press of a double click selects like any press.
    mousePressEvent(pEvent);
    if (pEvent->button() == Qt::LeftButton) {
        emit listDoubleClicked(GetDlgCtrlID(this));
    }
}

void CShowTaskListCtrl::mouseReleaseEvent(QMouseEvent* pEvent) {
    // The press grabbed the pointer implicitly; the release ends that grab.
    if (pEvent->button() == Qt::LeftButton) {
        if (m_bBandActive != 0) {
            FinishBand(pEvent->position().toPoint());
        }
        emit listClicked(GetDlgCtrlID(this));
    } else if (pEvent->button() == Qt::RightButton) {
        emit taskListRightButtonUp(GetDlgCtrlID(this));
    }
    pEvent->accept();
}

void CShowTaskListCtrl::mouseMoveEvent(QMouseEvent* pEvent) {
    const QPoint pt = pEvent->position().toPoint();
    m_nPointerX = pt.x();
    m_nPointerY = pt.y();
    if (m_bMouseTracking == 0) {
        m_bMouseTracking = 1;
    }
    TrackCellTip(pt);
    InvalidateRows();
    pEvent->accept();
}

void CShowTaskListCtrl::OnMouseLeave() {
    m_nPointerX = -1;
    m_nPointerY = -1;
    m_nTipAnchorX = -1;
    m_nTipAnchorY = -1;
    m_bMouseTracking = 0;
    InvalidateRows();
}

void CShowTaskListCtrl::wheelEvent(QWheelEvent* pEvent) {
    const int nDelta = pEvent->angleDelta().y();
    if (!m_pVScrollBar->isHidden()) {
        ScrollVertically(-nDelta);
    } else if (!m_pHScrollBar->isHidden()) {
        ScrollHorizontally(-nDelta);
    }
    HideCellTip();
    pEvent->accept();
}

void CShowTaskListCtrl::TrackCellTip(const QPoint& pt) {
    const int nRow = HitTestRow(pt.y());
    const int nColumn = HitTestColumn(pt.x());
    if (nRow >= 0 && nColumn >= 0) {
        if (nRow != m_nHoverRow || nColumn != m_nHoverColumn) {
            m_nHoverRow = nRow;
            m_nHoverColumn = nColumn;
            m_bTipShownForCell = 0;
            HideCellTip();
        }
        if (m_bTipVisible != 0) {
            m_tipHideTimer.start(kTipHideMs, this);
        } else {
            m_nTipAnchorX = pt.x();
            m_nTipAnchorY = pt.y();
            m_tipDelayTimer.start(kTipDelayMs, this);
        }
    } else if (m_bTipVisible != 0) {
        m_bTipShownForCell = 0;
        HideCellTip();
    }
}

QString CShowTaskListCtrl::CellDisplayText(int nRow, int nColumn) const {
    const QTreeWidgetItem* pItem = topLevelItem(nRow);
    if (pItem == nullptr) {
        return QString();
    }
    if (nColumn == TaskPercentSubItem && pItem->text(TaskStatusSubItem) == QLatin1String("J")) {
        return pItem->text(TaskProgressSubItem) + QLatin1Char('%');
    }
    return pItem->text(nColumn);
}

bool CShowTaskListCtrl::CellTextOverflows(int nRow, int nColumn) const {
    if (!m_captionFont || nColumn < 0 || nColumn >= columnCount()) {
        return false;
    }
    const QString strText = CellDisplayText(nRow, nColumn);
    if (strText.isEmpty()) {
        return false;
    }
    const int nWidth = m_pHeader->isSectionHidden(nColumn) ? 0 : m_pHeader->sectionSize(nColumn);
    const QFontMetricsF metrics(*m_captionFont);
    const QRectF rcText = metrics.boundingRect(QRectF(0, 0, nWidth, 0), Qt::TextWordWrap, strText);
    // A single word wider than the column cannot wrap in Qt, yet it is cut off just the same.
    return rcText.height() >= 2 * metrics.height() || rcText.width() > nWidth;
}

void CShowTaskListCtrl::ShowCellTip(int x, int y) {
    const int nRow = HitTestRow(y);
    const int nColumn = HitTestColumn(x);
    if (nRow < 0 || nColumn < 0 || !CellTextOverflows(nRow, nColumn)) {
        return;
    }
    m_pTip->SetCaption(CellDisplayText(nRow, nColumn), kTipTextOffset, kTipTextOffset);
    const QSize size = m_pTip->MeasureTextExtent();
    m_pTip->setGeometry(x, y + kTipBelowPointer, size.width(), size.height());
    m_pTip->show();
    m_pTip->raise();
    m_pTip->update();
}

void CShowTaskListCtrl::HideCellTip() {
    m_bTipVisible = 0;
    m_tipLeaveTimer.stop();
    m_tipHideTimer.stop();
    m_pTip->hide();
    InvalidateRows();
}

QBasicTimer* CShowTaskListCtrl::TipTimer(int nIDEvent) {
    switch (nIDEvent) {
    case TipDelayTimer:
        return &m_tipDelayTimer;
    case TipHideTimer:
        return &m_tipHideTimer;
    case TipLeaveTimer:
        return &m_tipLeaveTimer;
    default:
        return nullptr;
    }
}

bool CShowTaskListCtrl::IsTipTimerActive(int nIDEvent) const {
    switch (nIDEvent) {
    case TipDelayTimer:
        return m_tipDelayTimer.isActive();
    case TipHideTimer:
        return m_tipHideTimer.isActive();
    case TipLeaveTimer:
        return m_tipLeaveTimer.isActive();
    default:
        return false;
    }
}

void CShowTaskListCtrl::OnTimer(int nIDEvent) {
    switch (nIDEvent) {
    case TipDelayTimer: {
        m_tipDelayTimer.stop();
        // The pointer must not have moved (or left, which clears both) since the delay began.
        const bool bAnchored = m_nTipAnchorX != -1 || m_nTipAnchorY != -1;
        if (bAnchored && m_nPointerX == m_nTipAnchorX && m_nPointerY == m_nTipAnchorY &&
            m_bTipShownForCell == 0) {
            m_bTipVisible = 1;
            m_bTipShownForCell = 1;
            ShowCellTip(m_nTipAnchorX, m_nTipAnchorY);
            m_tipHideTimer.start(kTipHideMs, this);
            m_tipLeaveTimer.start(kTipLeaveMs, this);
        }
        break;
    }
    case TipHideTimer:
        HideCellTip();
        break;
    case TipLeaveTimer: {
        const bool bOutside = m_nPointerX == -1 && m_nPointerY == -1;
        if (bOutside || HitTestRow(m_nPointerY) < 0) {
            HideCellTip();
        }
        break;
    }
    default:
        break;
    }
}

void CShowTaskListCtrl::timerEvent(QTimerEvent* pEvent) {
    for (int nIDEvent : {TipDelayTimer, TipHideTimer, TipLeaveTimer}) {
        if (pEvent->timerId() == TipTimer(nIDEvent)->timerId()) {
            OnTimer(nIDEvent);
            return;
        }
    }
    CBasicDrawListCtrl::timerEvent(pEvent);
}

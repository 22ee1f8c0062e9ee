#include "controls/list_ctrls.h"

#include "controls/base_ctrl.h"
#include "skin/layout_frame.h"

#include <QMouseEvent>
#include <QPainter>

int ScaleHeaderHeight(int nHeight, float fScale) {
    return static_cast<int>(static_cast<double>(fScale) * nHeight);
}

CBasicListCtrl::CBasicListCtrl(QWidget* pParent) : QTreeWidget(pParent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setFrameShape(QFrame::NoFrame);
}

CBasicListCtrl::~CBasicListCtrl() = default;

void CBasicListCtrl::UpdateBorderFrame() {
    if ((m_nPaintMode & PaintBorder) != 0) {
        // A plain one-pixel box keeps the header, rows and scroll bars inside the border.
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
        setMidLineWidth(0);
    } else {
        setFrameStyle(QFrame::NoFrame);
    }
    update();
}

bool CBasicListCtrl::event(QEvent* pEvent) {
    if (pEvent->type() == QEvent::Polish) {
        UpdateBorderFrame();
    }
    const bool bResult = QTreeWidget::event(pEvent);
    if (pEvent->type() == QEvent::Paint && (m_nPaintMode & PaintBorder) != 0) {
        // The style drew the frame in its own colour; the skin's border colour goes over it.
        QPainter graphics(this);
        graphics.setPen(QPen(QColor::fromRgba(m_clrBorder), 1.0));
        graphics.setBrush(Qt::NoBrush);
        graphics.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    return bResult;
}

void CBasicListCtrl::mouseReleaseEvent(QMouseEvent* pEvent) {
    QTreeWidget::mouseReleaseEvent(pEvent);
    if (pEvent->button() == Qt::LeftButton) {
        emit listClicked(GetDlgCtrlID(this));
    }
}

void CBasicListCtrl::mouseDoubleClickEvent(QMouseEvent* pEvent) {
    QTreeWidget::mouseDoubleClickEvent(pEvent);
    if (pEvent->button() == Qt::LeftButton) {
        emit listDoubleClicked(GetDlgCtrlID(this));
    }
}

CBasicDrawListCtrl::CBasicDrawListCtrl(QWidget* pParent) : CBasicListCtrl(pParent) {
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
}

CBasicDrawListCtrl::~CBasicDrawListCtrl() = default;

void CBasicDrawListCtrl::DrawContent(QImage& offscreen) {
    {
        QPainter graphics(&offscreen);
        graphics.setRenderHint(QPainter::Antialiasing, true);
        graphics.fillRect(offscreen.rect(), QColor::fromRgba(0xFFFFFFFF));
    }
    DrawItems(offscreen);
}

void CBasicDrawListCtrl::DrawItems(QImage& /*offscreen*/) {}

void CBasicDrawListCtrl::OnClientResized(int /*nType*/, int /*cx*/, int /*cy*/) {
    m_rcLastClient = viewport()->rect();
}

void CBasicDrawListCtrl::paintEvent(QPaintEvent* /*pEvent*/) {
    PaintOffscreen(viewport(), [this](QImage& offscreen) { DrawContent(offscreen); });
}

void CBasicDrawListCtrl::resizeEvent(QResizeEvent* pEvent) {
    CBasicListCtrl::resizeEvent(pEvent);
    OnClientResized(SizeRestored, viewport()->width(), viewport()->height());
}

CBasicHeaderCtrl::CBasicHeaderCtrl(Qt::Orientation orientation, QWidget* pParent)
    : QHeaderView(orientation, pParent) {
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
}

CBasicHeaderCtrl::~CBasicHeaderCtrl() = default;

void CBasicHeaderCtrl::DrawContent(QImage& offscreen) {
    {
        QPainter graphics(&offscreen);
        DrawProperties(parentWidget(), this, graphics);
    }
    DrawHeaderItems(offscreen);
}

void CBasicHeaderCtrl::DrawHeaderItems(QImage& /*offscreen*/) {}

QSize CBasicHeaderCtrl::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    if (orientation() == Qt::Horizontal) {
        size.setHeight(ScaleHeaderHeight(size.height(), HeaderHeightScale));
    }
    return size;
}

void CBasicHeaderCtrl::paintEvent(QPaintEvent* /*pEvent*/) {
    PaintOffscreen(viewport(), [this](QImage& offscreen) { DrawContent(offscreen); });
}

CStandardHeaderCtrl::CStandardHeaderCtrl(Qt::Orientation orientation, QWidget* pParent)
    : CBasicHeaderCtrl(orientation, pParent) {}

CStandardHeaderCtrl::~CStandardHeaderCtrl() = default;

void CStandardHeaderCtrl::DrawHeaderItems(QImage& offscreen) {
    QPainter graphics(&offscreen);
    const QRect rcClient = offscreen.rect();

    // The image's right 50 and bottom 5 pixels are never shown; cut them off before stretching so
    // that smoothing cannot pull them in either.
    const int nSourceWidth = m_nImageWidth - 50;
    const int nSourceHeight = m_nImageHeight - 5;
    if (m_image && !m_image->isNull() && nSourceWidth > 0 && nSourceHeight > 0) {
        graphics.save();
        graphics.setRenderHint(QPainter::SmoothPixmapTransform, true);
        graphics.drawImage(QRectF(rcClient), m_image->copy(0, 0, nSourceWidth, nSourceHeight));
        graphics.restore();
    }

    if (model() == nullptr) {
        return;
    }
    graphics.setPen(QColor::fromRgba(m_clrCaption));
    if (m_captionFont) {
        graphics.setFont(*m_captionFont);
    }
    for (int nItem = 0; nItem < count(); ++nItem) {
        const int nLeft = sectionViewportPosition(nItem);
        const int nWidth = isSectionHidden(nItem) ? 0 : sectionSize(nItem);
        if (nWidth == 0) {
            continue;
        }
        const int nRight = nLeft + nWidth;
        const int nTop = rcClient.top();
        const int nBottom = rcClient.bottom() + 1;
        if (!m_divider.isNull()) {
            graphics.drawImage(QPoint(nRight, nTop + 4), m_divider);
        }
        const QString strTitle = model()->headerData(nItem, orientation(), Qt::DisplayRole).toString();
        graphics.drawText(QRectF(nLeft, nTop + 3, nWidth, nBottom - nTop - 3),
                          Qt::AlignCenter | Qt::TextWordWrap, strTitle);
    }
}

void CStandardHeaderCtrl::SetHeaderDividerImage(const QString& strPath) {
    m_divider = QImage(strPath);
    m_nDividerWidth = m_divider.width();
    m_nDividerHeight = m_divider.height();
    viewport()->update();
}

void CStandardHeaderCtrl::mouseMoveEvent(QMouseEvent* pEvent) {
    m_bHover = 1;
    CBasicHeaderCtrl::mouseMoveEvent(pEvent);
}

void CStandardHeaderCtrl::leaveEvent(QEvent* pEvent) {
    m_bHover = 0;
    viewport()->update();
    CBasicHeaderCtrl::leaveEvent(pEvent);
}

CStandardListCtrl::CStandardListCtrl(QWidget* pParent)
    : CBasicListCtrl(pParent), m_pHeader(new CStandardHeaderCtrl(Qt::Horizontal, this)) {
    setHeader(m_pHeader);
    // Columns keep the widths their owner gives them and stay in place, as in a report list.
    m_pHeader->setStretchLastSection(false);
    m_pHeader->setSectionsMovable(false);
}

CStandardListCtrl::~CStandardListCtrl() = default;

CStandardHeaderCtrl* CStandardListCtrl::GetHeaderCtrl() const {
    return m_pHeader;
}

void CStandardListCtrl::SetHeaderFont(const QString& strFace, int nSize) {
    m_pHeader->SetCaptionFont(strFace, nSize);
    m_pHeader->viewport()->update();
}

void CStandardListCtrl::SetHeaderTextColor(const QString& strColor) {
    // No valid colour reaches above 24 bits, so this value survives only a malformed text.
    constexpr COLORREF kUnparsed = 0xFFFFFFFFu;
    COLORREF color = kUnparsed;
    ParseColorText(strColor, color);
    if (color != kUnparsed) {
        m_pHeader->SetCaptionColor(color);
        m_pHeader->viewport()->update();
    }
}

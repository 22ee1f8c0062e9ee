#include "controls/base_ctrl.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

void PaintOffscreen(QWidget* pWnd, const std::function<void(QImage&)>& draw) {
    const QSize size = pWnd->size();
    if (size.isEmpty()) {
        return;
    }
    QImage offscreen(size, QImage::Format_ARGB32_Premultiplied);
    // A draw step is meant to cover every pixel; what it leaves shows black, never stale pixels.
    offscreen.fill(Qt::black);
    draw(offscreen);
    QPainter painter(pWnd);
    painter.drawImage(0, 0, offscreen);
}

bool IsInParentCaptionBand(const QWidget* pWnd, const QPoint& ptClient) {
    const QWidget* pParent = pWnd->parentWidget();
    if (pParent == nullptr) {
        return false;
    }
    return pWnd->mapTo(pParent, ptClient).y() < kCaptionBandHeight;
}

bool StartWindowMove(QWidget* pWnd) {
    QWindow* pHandle = pWnd->window()->windowHandle();
    return pHandle != nullptr && pHandle->startSystemMove();
}

CBasicCtrl::CBasicCtrl(QWidget* pParent) : QWidget(pParent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

CBasicCtrl::~CBasicCtrl() = default;

void CBasicCtrl::DrawContent(QImage& /*offscreen*/) {}

void CBasicCtrl::OnClientResized(int /*nType*/, int cx, int cy) {
    if (m_bSizeTracking != 0) {
        OnSizeDelta(cx - m_rcLastClient.width(), cy - m_rcLastClient.height());
    }
    m_rcLastClient = rect();
}

void CBasicCtrl::paintEvent(QPaintEvent* /*pEvent*/) {
    PaintOffscreen(this, [this](QImage& offscreen) { DrawContent(offscreen); });
}

void CBasicCtrl::resizeEvent(QResizeEvent* pEvent) {
    QWidget::resizeEvent(pEvent);
    OnClientResized(SizeRestored, width(), height());
}

void CBasicCtrl::mousePressEvent(QMouseEvent* pEvent) {
    if (pEvent->button() == Qt::LeftButton && IsInParentCaptionBand(this, pEvent->position().toPoint())) {
        StartWindowMove(parentWidget());
    }
    // Handled here: the parent must not see the press again and start a second move.
    pEvent->accept();
}

void CBasicCtrl::enterEvent(QEnterEvent* pEvent) {
    m_bHover = 1;
    QWidget::enterEvent(pEvent);
}

void CBasicCtrl::leaveEvent(QEvent* pEvent) {
    m_bHover = 0;
    update();
    QWidget::leaveEvent(pEvent);
}

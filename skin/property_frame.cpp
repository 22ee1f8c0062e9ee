#include "skin/property_frame.h"

#include <QPainter>
#include <QPen>
#include <QTextDocument>
#include <QWidget>

namespace {

/// Top-left corner of `pWnd` in `pParent`'s client coordinates; works for any pair of widgets.
QPoint PositionInParent(const QWidget* pWnd, const QWidget* pParent) {
    if (pWnd->parentWidget() == pParent)
        return pWnd->pos();
    return pParent->mapFromGlobal(pWnd->mapToGlobal(QPoint(0, 0)));
}

/// The pixels of `image` under the logical rectangle `rect`, at the image's own pixel ratio.
QImage CopyLogicalRect(const QImage& image, const QRect& rect) {
    const qreal dRatio = image.devicePixelRatio();
    const QRect source(qRound(rect.x() * dRatio), qRound(rect.y() * dRatio), qRound(rect.width() * dRatio),
                       qRound(rect.height() * dRatio));
    QImage copy = image.copy(source);
    copy.setDevicePixelRatio(dRatio);
    return copy;
}

QFont MakeCaptionFont(const QString& strFace, int nSize) {
    QFont font(strFace);
    font.setPixelSize(nSize);
    font.setWeight(QFont::Normal);
    font.setStyle(QFont::StyleNormal);
    return font;
}

} // namespace

CBasicPropertyFrame::CBasicPropertyFrame() : m_captionFont(MakeCaptionFont(QStringLiteral("宋体"), 12)) {}

CBasicPropertyFrame::~CBasicPropertyFrame() = default;

void CBasicPropertyFrame::DrawProperties(QWidget* pParent, QWidget* pSelf, QPainter& graphics) {
    if ((m_nPaintMode & PaintParentBackground) && pParent && pSelf) {
        const QRect rcWindow(PositionInParent(pSelf, pParent), pSelf->size());
        if (m_bgCapture.isNull() && !rcWindow.isEmpty()) {
            // The parent alone, without its children: drawing children would paint this window again.
            QImage parentPaint(rcWindow.size(), QImage::Format_ARGB32_Premultiplied);
            if (!parentPaint.isNull()) {
                parentPaint.fill(Qt::transparent);
                pParent->render(&parentPaint, QPoint(0, 0), QRegion(rcWindow), QWidget::DrawWindowBackground);
                m_bgCapture = parentPaint;
            }
        }
        graphics.drawImage(QRectF(0, 0, rcWindow.width(), rcWindow.height()), m_bgCapture,
                           QRectF(0, 0, rcWindow.width() * m_bgCapture.devicePixelRatio(),
                                  rcWindow.height() * m_bgCapture.devicePixelRatio()));
    }
    if (!pSelf)
        return;
    const QRect rcClient = pSelf->rect();
    if (m_nPaintMode & PaintFill)
        graphics.fillRect(rcClient, QColor::fromRgba(m_clrFill));
    if ((m_nPaintMode & PaintBorder) && rcClient.width() > 0 && rcClient.height() > 0) {
        graphics.save();
        graphics.setRenderHint(QPainter::Antialiasing, false);
        graphics.setPen(QPen(QColor::fromRgba(m_clrBorder), 1.0));
        graphics.setBrush(Qt::NoBrush);
        // A 1-px pen strokes one pixel beyond width and height, so this stays inside the client area.
        graphics.drawRect(QRect(rcClient.topLeft(), QSize(rcClient.width() - 1, rcClient.height() - 1)));
        graphics.restore();
    }
    if ((m_nPaintMode & PaintImage) && m_image && !m_image->isNull()) {
        const QRect rcImage(0, 0, m_image->width(), m_image->height());
        graphics.drawImage(rcImage, *m_image, rcImage);
    }
}

void CBasicPropertyFrame::MoveAnchored(QWidget* pWnd, int dx, int dy, int nHorzMode, int nVertMode) {
    if (!pWnd)
        return;
    const QRect rcOld = pWnd->geometry();
    int nLeft = rcOld.x();
    int nTop = rcOld.y();
    int nRight = rcOld.x() + rcOld.width();
    int nBottom = rcOld.y() + rcOld.height();
    const bool bKnownVert = nVertMode >= 1 && nVertMode <= 3;
    if (!bKnownVert || nHorzMode < 1 || nHorzMode > 3)
        return;
    if (nHorzMode == 2)
        nLeft += dx;
    if (nHorzMode == 2 || nHorzMode == 3)
        nRight += dx;
    if (nVertMode == 2)
        nTop += dy;
    if (nVertMode == 2 || nVertMode == 3)
        nBottom += dy;
    pWnd->setGeometry(nLeft, nTop, nRight - nLeft, nBottom - nTop);
    pWnd->update();
}

void CBasicPropertyFrame::OnSizeDelta(int, int) {}

void CBasicPropertyFrame::LoadImageStrip(const QString& strPath, int nCellCount, int nOriginX, int nOriginY) {
    m_image.reset();
    m_nImageX = nOriginX;
    m_nImageY = nOriginY;
    // A path that names nothing loadable (an empty text, a folder) gives an image without pixels.
    m_image.emplace(strPath);
    SetImageCellCount(nCellCount);
}

void CBasicPropertyFrame::SetImageCellCount(int nCellCount) {
    if (!m_image)
        return;
    m_nImageWidth = m_image->width();
    m_nImageHeight = m_image->height();
    // The count is never below 1: a negative count would give a negative cell width.
    m_nCellCount = nCellCount < 1 ? 1 : nCellCount;
    m_nCellWidth = m_nImageWidth / m_nCellCount;
}

void CBasicPropertyFrame::SetFillColor(COLORREF color) {
    m_clrFill = ColorRefToArgb(color);
}

void CBasicPropertyFrame::SetBorderColor(COLORREF color) {
    m_clrBorder = ColorRefToArgb(color);
}

void CBasicPropertyFrame::SetCaptionColor(COLORREF color) {
    m_clrCaption = ColorRefToArgb(color);
}

void CBasicPropertyFrame::SetCaption(const QString& strText, int nOffsetX, int nOffsetY) {
    m_strCaption = strText;
    m_nCaptionX = nOffsetX;
    m_nCaptionY = nOffsetY;
}

void CBasicPropertyFrame::SetCaptionFont(const QString& strFace, int nSize) {
    m_captionFont.reset();
    // A size that is not positive makes no usable font: the caption then draws nothing.
    if (nSize <= 0)
        return;
    m_captionFont = MakeCaptionFont(strFace, nSize);
}

void CBasicPropertyFrame::CreateToolTip(QWidget* pWnd, const QString& strText) {
    if (!pWnd)
        return;
    m_strToolTip = strText;
    // Qt guesses rich text for tool tips; escaping keeps layout text literal.
    pWnd->setToolTip(strText.isEmpty() ? QString() : Qt::convertFromPlainText(strText, Qt::WhiteSpacePre));
}

void CBasicPropertyFrame::CaptureBackground(const QImage& parentPaint, QWidget* pWnd, QWidget* pParent) {
    if (!pWnd || !pParent)
        return;
    m_bgCapture = CopyLogicalRect(parentPaint, QRect(PositionInParent(pWnd, pParent), pWnd->size()));
}

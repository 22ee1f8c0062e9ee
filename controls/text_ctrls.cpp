#include "controls/text_ctrls.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetricsF>
#include <QPainter>

namespace {

/// What a screen reader sees of a text control: static text named by its caption, read when asked.
class CTextCtrlAccessible : public QAccessibleWidget {
public:
    explicit CTextCtrlAccessible(CBasicCtrl* pCtrl) : QAccessibleWidget(pCtrl, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            const QString strName = widget()->accessibleName();
            return strName.isEmpty() ? static_cast<CBasicCtrl*>(widget())->m_strCaption.value_or(QString())
                                     : strName;
        }
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* CreateTextCtrlAccessible(const QString& /*strClass*/, QObject* pObject) {
    if (qobject_cast<CShowTextCtrl*>(pObject) || qobject_cast<CShowTextImageCtrl*>(pObject)) {
        return new CTextCtrlAccessible(static_cast<CBasicCtrl*>(pObject));
    }
    return nullptr;
}

void InstallTextCtrlAccessible() {
    static const bool s_bInstalled = (QAccessible::installFactory(CreateTextCtrlAccessible), true);
    Q_UNUSED(s_bInstalled);
}

/// Tells a listening screen reader when the caption it read has changed (the status line counts
/// down this way), as a label does; checked when the new caption is drawn, since captions are set
/// without a hook.
void NotifyCaptionChange(QWidget* pWnd, const std::optional<QString>& strCaption, QString& strAnnounced) {
    const QString strNow = strCaption.value_or(QString());
    if (strNow == strAnnounced) {
        return;
    }
    strAnnounced = strNow;
    if (pWnd->accessibleName().isEmpty()) {
        QAccessibleEvent event(pWnd, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

/// Text layout flags for a wrap width; a width of 0 or less sets no limit.
int WrapFlags(qreal fWidth) {
    return fWidth > 0 ? Qt::TextWordWrap : 0;
}

/// The current cell of the frame's strip at the image origin, unscaled.
void DrawImageCell(CBasicPropertyFrame& frame, QPainter& graphics) {
    if (frame.m_nCellWidth == 0 || frame.m_nImageHeight == 0) {
        frame.SetImageCellCount(frame.m_nCellCount);
    }
    if (!frame.m_image || frame.m_image->isNull()) {
        return;
    }
    graphics.drawImage(
        QRect(frame.m_nImageX, frame.m_nImageY, frame.m_nCellWidth, frame.m_nImageHeight), *frame.m_image,
        QRect(frame.m_nCurrentCell * frame.m_nCellWidth, 0, frame.m_nCellWidth, frame.m_nImageHeight));
}

/// The caption from its offset (-1 standing for 1), wrapped at the client width less twice x.
void DrawWrappedCaption(const CBasicPropertyFrame& frame, QPainter& graphics, int nClientWidth) {
    if (!frame.m_strCaption || !frame.m_captionFont) {
        return;
    }
    const int x = frame.m_nCaptionX == -1 ? 1 : frame.m_nCaptionX;
    const int y = frame.m_nCaptionY == -1 ? 1 : frame.m_nCaptionY;
    const qreal fWrapWidth = nClientWidth - 2 * x;
    const int nFlags = WrapFlags(fWrapWidth);
    const QRectF rcLayout(x, y, qMax<qreal>(fWrapWidth, 0), 0);
    const QRectF rcBound =
        QFontMetricsF(*frame.m_captionFont).boundingRect(rcLayout, nFlags, *frame.m_strCaption);
    // Drawn in the measured layout width, so the lines break exactly where they were measured.
    const QRectF rcDraw(x, y, nFlags != 0 ? rcLayout.width() : rcBound.width(), rcBound.height());
    graphics.save();
    graphics.setFont(*frame.m_captionFont);
    graphics.setPen(QColor::fromRgba(frame.m_clrCaption));
    graphics.drawText(rcDraw, nFlags | Qt::TextDontClip, *frame.m_strCaption);
    graphics.restore();
}

} // namespace

CShowTextCtrl::CShowTextCtrl(QWidget* pParent) : CBasicCtrl(pParent) {
    InstallTextCtrlAccessible();
}

void CShowTextCtrl::DrawContent(QImage& offscreen) {
    QPainter graphics(&offscreen);
    DrawProperties(parentWidget(), this, graphics);
    DrawWrappedCaption(*this, graphics, width());
    NotifyCaptionChange(this, m_strCaption, m_strAnnouncedCaption);
}

QSize CShowTextCtrl::MeasureTextExtent() const {
    const int x = m_nCaptionX;
    const int y = m_nCaptionY;
    QSizeF extent;
    if (m_strCaption && m_captionFont) {
        const qreal fWrapWidth = 250 - 2 * x;
        extent = QFontMetricsF(*m_captionFont)
                     .boundingRect(QRectF(x, y, qMax<qreal>(fWrapWidth, 0), 0), WrapFlags(fWrapWidth),
                                   *m_strCaption)
                     .size();
    }
    return QSize(static_cast<int>(2 * x + extent.width() + 1.0), static_cast<int>(y + extent.height()));
}

CShowImageCtrl::CShowImageCtrl(QWidget* pParent) : CBasicCtrl(pParent) {}

void CShowImageCtrl::DrawContent(QImage& offscreen) {
    QPainter graphics(&offscreen);
    graphics.setRenderHint(QPainter::Antialiasing, false);
    DrawProperties(parentWidget(), this, graphics);
    DrawImageCell(*this, graphics);
}

CShowTextImageCtrl::CShowTextImageCtrl(QWidget* pParent) : CBasicCtrl(pParent) {
    InstallTextCtrlAccessible();
}

void CShowTextImageCtrl::DrawContent(QImage& offscreen) {
    QPainter graphics(&offscreen);
    graphics.setRenderHint(QPainter::Antialiasing, true);
    DrawProperties(parentWidget(), this, graphics);
    DrawImageCell(*this, graphics);
    DrawWrappedCaption(*this, graphics, width());
    NotifyCaptionChange(this, m_strCaption, m_strAnnouncedCaption);
}

#include "controls/buttons.h"

#include "controls/base_ctrl.h"
#include "skin/layout_frame.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEnterEvent>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

namespace {

/// What a screen reader sees of a skinned button: its caption as the name, read when asked, so a
/// caption changed later is what is read; checked state for check and radio boxes; a press action.
class CBasicButtonAccessible : public QAccessibleWidget {
public:
    explicit CBasicButtonAccessible(CBasicButton* pButton)
        : QAccessibleWidget(pButton, qobject_cast<CCheckBoxButton*>(pButton)   ? QAccessible::CheckBox
                                     : qobject_cast<CRadioBoxButton*>(pButton) ? QAccessible::RadioButton
                                                                               : QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            const QString strName = widget()->accessibleName();
            return strName.isEmpty() ? Button()->m_strCaption.value_or(QString()) : strName;
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = Button()->isDown();
        if (role() != QAccessible::Button) {
            s.checkable = true;
            s.checked = Button()->check() != 0;
        }
        return s;
    }

    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& strAction) override {
        if (strAction == pressAction()) {
            if (Button()->isEnabled()) {
                Button()->click();
            }
            return;
        }
        QAccessibleWidget::doAction(strAction);
    }

private:
    CBasicButton* Button() const { return static_cast<CBasicButton*>(widget()); }
};

QAccessibleInterface* CreateButtonAccessible(const QString& /*strClass*/, QObject* pObject) {
    auto* pButton = qobject_cast<CBasicButton*>(pObject);
    return pButton ? new CBasicButtonAccessible(pButton) : nullptr;
}

} // namespace

CBasicButton::CBasicButton(QWidget* pParent) : QAbstractButton(pParent) {
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    // Every move reaches OnMouseMoved, not only those with a button held.
    setMouseTracking(true);
    // Tab reaches every enabled button; Space presses the one with the focus.
    setFocusPolicy(Qt::StrongFocus);
    static const bool s_bAccessibleInstalled = (QAccessible::installFactory(CreateButtonAccessible), true);
    Q_UNUSED(s_bAccessibleInstalled);
}

CBasicButton::~CBasicButton() = default;

void CBasicButton::setCheck(int nCheck) {
    m_bChecked = (nCheck == 1 || nCheck == 2) ? 1 : 0;
    update();
}

int CBasicButton::check() const {
    return m_bChecked;
}

void CBasicButton::DrawButton(QImage& offscreen) {
    QPainter graphics(&offscreen);
    DrawProperties(parentWidget(), this, graphics);
    const int nCell = SelectImageCell();
    if (nCell >= 0 && m_image && !m_image->isNull()) {
        graphics.drawImage(QRect(m_nImageX, m_nImageY, m_nCellWidth, m_nImageHeight), *m_image,
                           QRect(nCell * m_nCellWidth, 0, m_nCellWidth, m_nImageHeight));
    }
    DrawButtonText(graphics);
    // Only after Tab moved the focus here, as Qt's own buttons do: a mouse user sees no change.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        graphics.save();
        graphics.setPen(QPen(QColor::fromRgba(m_clrCaption), 1.0, Qt::DotLine));
        graphics.setBrush(Qt::NoBrush);
        graphics.drawRect(QRect(1, 1, width() - 3, height() - 3));
        graphics.restore();
    }
}

void CBasicButton::DrawButtonText(QPainter& graphics) {
    DrawCaption(graphics, true);
}

void CBasicButton::DrawCaption(QPainter& graphics, bool bPressShift) {
    if (!m_strCaption || !m_captionFont) {
        return;
    }
    const QString& strText = *m_strCaption;
    const QSizeF extent = QFontMetricsF(*m_captionFont).boundingRect(QRectF(), 0, strText).size();
    // An offset of 0 centres the text on that axis; the measured size is truncated first.
    int x = m_nCaptionX != 0 ? m_nCaptionX : (width() - static_cast<int>(extent.width())) / 2;
    int y = m_nCaptionY != 0 ? m_nCaptionY : (height() - static_cast<int>(extent.height())) / 2;
    if (bPressShift && isDown()) {
        ++x;
        ++y;
    }
    graphics.save();
    graphics.setFont(*m_captionFont);
    graphics.setPen(QColor::fromRgba(m_clrCaption));
    graphics.drawText(QRectF(QPointF(x, y), extent), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                      strText);
    graphics.restore();
}

int CBasicButton::SelectImageCell() const {
    const bool bDisabled = !isEnabled();
    const bool bPressed = isDown();
    switch (m_nCellCount) {
    case 2:
        return m_bChecked ? 1 : 0;
    case 5:
        if (m_bChecked) {
            return 4;
        }
        [[fallthrough]];
    case 4:
        if (bDisabled) {
            return 3;
        }
        if (bPressed) {
            return 2;
        }
        return m_bHover ? 1 : 0;
    default:
        return -1;
    }
}

void CBasicButton::OnMouseMoved(int /*nFlags*/, int /*x*/, int /*y*/) {}

void CBasicButton::OnMouseLeft() {}

void CBasicButton::OnMouseHovered(int /*nFlags*/, int /*x*/, int /*y*/) {}

void CBasicButton::paintEvent(QPaintEvent* /*pEvent*/) {
    PaintOffscreen(this, [this](QImage& offscreen) { DrawButton(offscreen); });
}

void CBasicButton::mouseMoveEvent(QMouseEvent* pEvent) {
    const QPoint pt = pEvent->position().toPoint();
    if (m_bHover == 0) {
        m_bHover = 1;
        update();
    }
    OnMouseMoved(static_cast<int>(pEvent->buttons()), pt.x(), pt.y());
    QAbstractButton::mouseMoveEvent(pEvent);
}

void CBasicButton::enterEvent(QEnterEvent* pEvent) {
    m_bHover = 1;
    const QPoint pt = pEvent->position().toPoint();
    OnMouseHovered(0, pt.x(), pt.y());
    update();
    QAbstractButton::enterEvent(pEvent);
}

void CBasicButton::leaveEvent(QEvent* pEvent) {
    m_bHover = 0;
    OnMouseLeft();
    update();
    QAbstractButton::leaveEvent(pEvent);
}

CStandardButton::CStandardButton(QWidget* pParent) : CBasicButton(pParent) {
    connect(this, &QAbstractButton::clicked, this, [this] { emit commandClicked(GetDlgCtrlID(this)); });
}

CDriftButton::CDriftButton(QWidget* pParent) : CStandardButton(pParent) {}

CCheckBoxButton::CCheckBoxButton(QWidget* pParent) : CBasicButton(pParent) {
    connect(this, &QAbstractButton::clicked, this, [this] {
        setCheck(m_bChecked ? 0 : 1);
        emit commandClicked(GetDlgCtrlID(this));
    });
}

int CCheckBoxButton::SelectImageCell() const {
    if (m_nCellCount == 2) {
        return m_bChecked ? 1 : 0;
    }
    if (m_nCellCount != 8) {
        return -1;
    }
    const int nBase = m_bChecked ? 4 : 0;
    if (!isEnabled()) {
        return nBase + 3;
    }
    if (isDown()) {
        return nBase + 2;
    }
    return nBase + (m_bHover ? 1 : 0);
}

void CCheckBoxButton::DrawButtonText(QPainter& graphics) {
    DrawCaption(graphics, false);
}

CRadioBoxButton::CRadioBoxButton(QWidget* pParent) : CBasicButton(pParent) {
    connect(this, &QAbstractButton::clicked, this, [this] {
        setCheck(1);
        UncheckGroup();
        const int nCtrlID = GetDlgCtrlID(this);
        if (nCtrlID != 0) {
            emit radioChecked(nCtrlID);
        }
    });
}

void CRadioBoxButton::UncheckGroup() {
    QWidget* pParent = parentWidget();
    if (pParent == nullptr) {
        return;
    }
    const auto siblings = pParent->findChildren<CBasicButton*>(QString(), Qt::FindDirectChildrenOnly);
    for (CBasicButton* pButton : siblings) {
        if (pButton != this) {
            pButton->setCheck(0);
        }
    }
}

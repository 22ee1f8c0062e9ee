#include "controls/dialogs.h"

#include "controls/base_ctrl.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

namespace {

bool IsKeyPixel(const QImage& bmp, int x, int y) {
    return (bmp.pixel(x, y) & 0xFFFFFFu) == kRegionKeyColor;
}

/// The text a child shows, for the widget kinds that show one; layout text is always plain text.
void SetChildText(QWidget* pChild, const QString& strText) {
    if (auto* pButton = qobject_cast<QAbstractButton*>(pChild)) {
        pButton->setText(strText);
    } else if (auto* pLabel = qobject_cast<QLabel*>(pChild)) {
        pLabel->setTextFormat(Qt::PlainText);
        pLabel->setText(strText);
    } else if (auto* pEdit = qobject_cast<QLineEdit*>(pChild)) {
        pEdit->setText(strText);
    } else if (auto* pGroup = qobject_cast<QGroupBox*>(pChild)) {
        pGroup->setTitle(strText);
    } else {
        pChild->setWindowTitle(strText);
    }
}

void SetChildTextColor(QWidget* pChild, COLORREF color) {
    const QColor clrText = QColor::fromRgba(ColorRefToArgb(color));
    QPalette pal = pChild->palette();
    pal.setColor(QPalette::WindowText, clrText);
    pal.setColor(QPalette::Text, clrText);
    pal.setColor(QPalette::ButtonText, clrText);
    pChild->setPalette(pal);
}

} // namespace

QRegion BuildRegionFromBitmap(const QImage& bmp, const QRect& client) {
    QRegion rgn(client);
    const int nWidth = bmp.width();
    const int nRows = qMin(kRegionScanRows, bmp.height());
    for (int y = 0; y < nRows; ++y) {
        int x = 0;
        while (x < nWidth) {
            if (!IsKeyPixel(bmp, x, y)) {
                ++x;
                continue;
            }
            const int x0 = x;
            while (x < nWidth && IsKeyPixel(bmp, x, y)) {
                ++x;
            }
            rgn = rgn.xored(QRegion(x0, y, x - x0, 1));
        }
    }
    // A run beyond the client area would be added by the XOR; it could never be seen anyway.
    return rgn.intersected(client);
}

CBasicDialog::CBasicDialog(QWidget* pParent) : QDialog(pParent, Qt::Window | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    resize(320, 200);
}

CBasicDialog::~CBasicDialog() {
    // The controls are children of this widget; release them while the maps still know them.
    ReleaseControls();
    ReleaseFonts();
}

void CBasicDialog::DrawBackground(QImage& offscreen) {
    const QColor clrFill = m_record.DialogBGColorText.isEmpty()
                               ? palette().color(QPalette::Window)
                               : QColor::fromRgba(ColorRefToArgb(m_record.DialogBGColor));
    QPainter graphics(&offscreen);
    graphics.fillRect(offscreen.rect(), clrFill);
}

void CBasicDialog::OnClientResized(int /*nType*/, int cx, int cy) {
    if (m_bSizeTracking != 0) {
        OnSizeDelta(cx - m_rcLastClient.width(), cy - m_rcLastClient.height());
    }
    m_rcLastClient = rect();
}

void CBasicDialog::LoadLayout(const QString& strRelPath, int nDialogID, const QString& strMode) {
    CBasicLayoutFrame::LoadLayout(strRelPath, nDialogID, strMode);
    m_bSizeTracking = 1;
}

void CBasicDialog::ApplyDialogProperties() {
    LoadImageStrip(m_record.DialogBGPath, 1, 0, 0);
    SetFillColor(m_record.DialogBGColor);
    m_nPaintMode = m_record.DlgPaintMode;
    SetCaptionFont(m_record.DialogFont, m_record.DialogFontSize);
    SetCaptionColor(m_record.DlgTextColor);
    SetCaption(m_record.DialogText, m_record.DlgTextOffSet.x, m_record.DlgTextOffSet.y);
    setWindowTitle(m_record.DialogText);

    // Children that fill their background from the palette get the layout's colour, if it has one.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, m_record.DialogBGColorText.isEmpty()
                                       ? QApplication::palette(this).color(QPalette::Window)
                                       : QColor::fromRgba(ColorRefToArgb(m_record.DialogBGColor)));
    setPalette(pal);

    // The dialog keeps its position; the layout's right and bottom become its width and height.
    const QPoint ptTopLeft = pos();
    const int nWidth = m_record.DialogPos.right;
    const int nHeight = m_record.DialogPos.bottom;
    m_record.DialogPos =
        LayoutRect{ptTopLeft.x(), ptTopLeft.y(), nWidth + ptTopLeft.x(), nHeight + ptTopLeft.y()};
    // No move: the position is kept as it is, and a dialog not yet shown must stay free to be
    // placed by Qt and the window manager (an explicit move would pin it to the screen's corner).
    // A layout without a size (missing file or dialog) must not shrink the window out of sight.
    if (nWidth > 0 && nHeight > 0) {
        resize(nWidth, nHeight);
    }
    update();
}

void CBasicDialog::ApplyControlRecords() {
    ReleaseFonts();
    ReleaseControls();
    for (const auto& [nCtrlID, record] : m_record.controlMap) {
        QWidget* pChild = FindDlgItem(nCtrlID);
        if (pChild == nullptr) {
            continue;
        }
        pChild->setGeometry(record.CtrlPos.left, record.CtrlPos.top,
                            record.CtrlPos.right - record.CtrlPos.left,
                            record.CtrlPos.bottom - record.CtrlPos.top);
        pChild->setVisible(record.CtrlShow != SW_HIDE);
        SetChildText(pChild, record.CtrlText);
        if (QFont* pFont = CreateLayoutFont(record.CtrlFont, record.CtrlFontSize)) {
            pChild->setFont(*pFont);
        }
        SetChildTextColor(pChild, record.CtrlTextColor);
    }
}

void CBasicDialog::paintEvent(QPaintEvent* /*pEvent*/) {
    PaintOffscreen(this, [this](QImage& offscreen) { DrawBackground(offscreen); });
}

void CBasicDialog::resizeEvent(QResizeEvent* pEvent) {
    QDialog::resizeEvent(pEvent);
    OnClientResized(ClientSizeType(), width(), height());
}

int CBasicDialog::ClientSizeType() const {
    if (isMinimized()) {
        return SizeMinimized;
    }
    return isMaximized() ? SizeMaximized : SizeRestored;
}

QWidget* CBasicDialog::FindDlgItem(int nCtrlID) const {
    const auto children = findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* pChild : children) {
        if (GetDlgCtrlID(pChild) == nCtrlID) {
            return pChild;
        }
    }
    return nullptr;
}

CBasicNoneBorderDlg::CBasicNoneBorderDlg(QWidget* pParent) : CBasicDialog(pParent) {}

CBasicNoneBorderDlg::~CBasicNoneBorderDlg() = default;

void CBasicNoneBorderDlg::SetRegionBitmap(const QString& strPath) {
    m_strRegionBitmap = strPath;
}

void CBasicNoneBorderDlg::OnClientResized(int /*nType*/, int /*cx*/, int /*cy*/) {
    if (m_strRegionBitmap.isEmpty()) {
        return;
    }
    QImage bmp;
    if (!bmp.load(m_strRegionBitmap)) {
        return;
    }
    setMask(BuildRegionFromBitmap(bmp, rect()));
}

void CBasicNoneBorderDlg::mousePressEvent(QMouseEvent* pEvent) {
    if (pEvent->button() == Qt::LeftButton && pEvent->position().y() < kCaptionBandHeight) {
        StartWindowMove(this);
    }
    CBasicDialog::mousePressEvent(pEvent);
}

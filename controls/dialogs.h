#pragma once
// Dialogs whose look and child layout come from the layout file, and the borderless variant
// whose top corners are cut out of the window by a bitmap.

#include "skin/layout_frame.h"
#include "skin/property_frame.h"

#include <QDialog>
#include <QImage>
#include <QRegion>
#include <QString>

/// Colour that marks the pixels cut out of the borderless window: RGB(210, 10, 10).
constexpr QRgb kRegionKeyColor = 0xD20A0A;
/// Only these top rows of the region bitmap are scanned, so only the upper corners can be cut.
constexpr int kRegionScanRows = 35;

/// `client` with every run of key-coloured pixels in the bitmap's rows 0 to 34 cut out (XOR),
/// limited to `client` since nothing outside it can be seen.
QRegion BuildRegionFromBitmap(const QImage& bmp, const QRect& client);

class CBasicDialog : public QDialog, public CBasicPropertyFrame, public CBasicLayoutFrame {
    Q_OBJECT
public:
    explicit CBasicDialog(QWidget* pParent = nullptr);
    ~CBasicDialog() override;

    /// Paints the whole client area: the layout's fill colour while the layout names one,
    /// otherwise the palette's window colour.
    virtual void DrawBackground(QImage& offscreen);
    /// OnSizeDelta while size tracking is on, then the new client rectangle is kept.
    virtual void OnClientResized(int nType, int cx, int cy);

    /// The layout frame's loading, then size tracking on.
    void LoadLayout(const QString& strRelPath, int nDialogID, const QString& strMode) override;
    /// Image, fill, paint mode, caption font, colour and text, title, and the size of DialogPos
    /// at the dialog's current position.
    void ApplyDialogProperties() override;
    /// Releases fonts and controls, then places, shows, labels and sets the font of every existing
    /// child whose id has a control record.
    void ApplyControlRecords() override;

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    int ClientSizeType() const;
    /// The direct child with control id `nCtrlID`, or null.
    QWidget* FindDlgItem(int nCtrlID) const;
};

class CBasicNoneBorderDlg : public CBasicDialog {
    Q_OBJECT
public:
    explicit CBasicNoneBorderDlg(QWidget* pParent = nullptr);
    ~CBasicNoneBorderDlg() override;

    /// Full path of the BMP whose key-coloured top pixels are cut out of the window; used from the
    /// next resize on.
    void SetRegionBitmap(const QString& strPath);
    /// Rebuilds the window mask from the region bitmap; a missing or unreadable bitmap leaves the
    /// mask as it was.
    void OnClientResized(int nType, int cx, int cy) override;

    QString m_strRegionBitmap;

protected:
    void mousePressEvent(QMouseEvent* pEvent) override;
};

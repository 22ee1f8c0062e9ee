#pragma once
// The look every skinned window carries as its second base: image strip, colours, caption,
// paint mode, the parent's pixels under the window, and an optional tool tip.

#include "skin/layout_record.h"

#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QtGlobal>

#include <memory>
#include <optional>

class QPainter;
class QWidget;

class CBasicPropertyFrame {
public:
    CBasicPropertyFrame();
    virtual ~CBasicPropertyFrame();
    CBasicPropertyFrame(const CBasicPropertyFrame&) = delete;
    CBasicPropertyFrame& operator=(const CBasicPropertyFrame&) = delete;

    /// Lays down the layers the paint mode selects, in this order: captured parent pixels (4),
    /// fill (2), one-pixel border (1), the whole image unscaled at (0, 0) (8).
    /// `graphics` paints the off-screen picture of `pSelf`, whose (0, 0) is the window's top-left.
    virtual void DrawProperties(QWidget* pParent, QWidget* pSelf, QPainter& graphics);
    /// Moves or stretches a child after its parent grew by (dx, dy); modes 1 keep, 2 move, 3 stretch.
    virtual void MoveAnchored(QWidget* pWnd, int dx, int dy, int nHorzMode, int nVertMode);
    /// Called by the owning window after a resize while size tracking is on; empty.
    virtual void OnSizeDelta(int dx, int dy);

    /// A file that cannot be loaded leaves an image object without pixels (0 x 0).
    void LoadImageStrip(const QString& strPath, int nCellCount, int nOriginX, int nOriginY);
    /// When an image object exists: count (below 1 becomes 1) and cell width = width / count.
    void SetImageCellCount(int nCellCount);
    void SetFillColor(COLORREF color);
    void SetBorderColor(COLORREF color);
    void SetCaptionColor(COLORREF color);
    void SetCaption(const QString& strText, int nOffsetX, int nOffsetY);
    /// Pixel-sized regular font; a face that is not installed falls back to the closest face.
    /// A size below 1 leaves no font, so the caption draws nothing.
    void SetCaptionFont(const QString& strFace, int nSize);
    /// Plain-text tool tip on `pWnd`.
    void CreateToolTip(QWidget* pWnd, const QString& strText);
    /// Copies the pixels of `parentPaint` (the parent's freshly painted client area) that lie
    /// under `pWnd`'s client area; does nothing unless both windows are given.
    void CaptureBackground(const QImage& parentPaint, QWidget* pWnd, QWidget* pParent);

    // The windows of the controls read these fields directly.
    QImage m_bgCapture; ///< the parent's pixels under the window; null until captured
    int m_nPaintMode = 0;
    QRgb m_clrBorder = 0xFFFFFFFF;
    QRgb m_clrFill = 0xFFFFFFFF;
    std::optional<QImage> m_image; ///< engaged once LoadImageStrip ran, null QImage on failure
    int m_nImageX = 0;
    int m_nImageY = 0;
    int m_nImageWidth = 0;
    int m_nImageHeight = 0;
    int m_nCellWidth = 0;
    int m_nCellCount = 1;
    int m_nCurrentCell = 0;
    /// engaged from construction ("宋体", 12 px); none after SetCaptionFont with a size below 1
    std::optional<QFont> m_captionFont;
    QRgb m_clrCaption = 0xFF000000;
    std::optional<QString> m_strCaption; ///< none until SetCaption
    int m_nCaptionX = 0;
    int m_nCaptionY = 0;
    QRect m_rcLastClient;
    int m_bSizeTracking = 0;
    QString m_strToolTip;
};

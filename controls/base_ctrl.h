#pragma once
// The base of the plain skinned controls, and the off-screen paint every skinned window uses.

#include "skin/property_frame.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

#include <functional>

/// Clicks this close to the top of the dialog move the dialog, as on a title bar.
constexpr int kCaptionBandHeight = 28;

/// Paints `pWnd` in one piece: `draw` fills a client-sized picture, which is then copied onto the
/// widget with a single drawImage, so the screen never shows a half-drawn state. The picture
/// starts black, so pixels a draw step leaves out are black rather than stale.
/// Call it from the paint event of `pWnd` (for a scroll area: of its viewport).
void PaintOffscreen(QWidget* pWnd, const std::function<void(QImage&)>& draw);

/// True when `ptClient` (in `pWnd`'s coordinates) lies in the parent's top caption band.
/// A widget without a parent never is.
bool IsInParentCaptionBand(const QWidget* pWnd, const QPoint& ptClient);

/// Starts a window-manager move of the top-level window that holds `pWnd`; false where the
/// platform cannot (no window handle, or the platform has no system move).
bool StartWindowMove(QWidget* pWnd);

/// Size type passed to OnClientResized, as the windowing system reports it.
enum ClientSizeType { SizeRestored = 0, SizeMinimized = 1, SizeMaximized = 2 };

class CBasicCtrl : public QWidget, public CBasicPropertyFrame {
    Q_OBJECT
public:
    explicit CBasicCtrl(QWidget* pParent = nullptr);
    ~CBasicCtrl() override;

    /// Paints the whole client area into `offscreen`; every pixel must be covered.
    virtual void DrawContent(QImage& offscreen);
    /// After every resize: OnSizeDelta while size tracking is on, then the new client rectangle is kept.
    virtual void OnClientResized(int nType, int cx, int cy);

    int m_bHover = 0;

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void enterEvent(QEnterEvent* pEvent) override;
    void leaveEvent(QEvent* pEvent) override;
};

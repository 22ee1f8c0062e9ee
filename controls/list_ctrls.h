#pragma once
// Report lists with the skin's one-pixel border and a column header drawn entirely by the skin.
// Rows, selection and scrolling stay Qt's.

#include "skin/property_frame.h"

#include <QHeaderView>
#include <QImage>
#include <QTreeWidget>

/// Header height after scaling: the float scale widened to double, the product truncated
/// (0.9f is 0.89999998, so 20 becomes 17).
int ScaleHeaderHeight(int nHeight, float fScale);

class CBasicListCtrl : public QTreeWidget, public CBasicPropertyFrame {
    Q_OBJECT
public:
    explicit CBasicListCtrl(QWidget* pParent = nullptr);
    ~CBasicListCtrl() override;

    /// Reserves and draws the one-pixel border while the paint mode has PaintBorder; call after
    /// changing the paint mode (it is also applied when the list is first polished).
    void UpdateBorderFrame();

signals:
    /// Every left click in the list, on a row or on empty space, after the selection changed.
    void listClicked(int nCtrlID);
    void listDoubleClicked(int nCtrlID);

protected:
    bool event(QEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent* pEvent) override;
};

/// A list that draws its rows area itself: white, then DrawItems. The client area is the viewport,
/// below the header.
class CBasicDrawListCtrl : public CBasicListCtrl {
    Q_OBJECT
public:
    explicit CBasicDrawListCtrl(QWidget* pParent = nullptr);
    ~CBasicDrawListCtrl() override;

    virtual void DrawContent(QImage& offscreen);
    virtual void DrawItems(QImage& offscreen);
    /// Keeps the new client rectangle.
    virtual void OnClientResized(int nType, int cx, int cy);

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
};

class CBasicHeaderCtrl : public QHeaderView, public CBasicPropertyFrame {
    Q_OBJECT
public:
    explicit CBasicHeaderCtrl(Qt::Orientation orientation = Qt::Horizontal, QWidget* pParent = nullptr);
    ~CBasicHeaderCtrl() override;

    /// Frame layers, then DrawHeaderItems.
    virtual void DrawContent(QImage& offscreen);
    virtual void DrawHeaderItems(QImage& offscreen);

    /// Qt's height scaled by HeaderHeightScale; the list's rows start below it.
    QSize sizeHint() const override;

    /// Read at every layout; set it before the columns are added, or call updateGeometry() after.
    float HeaderHeightScale = 1.0f;

protected:
    void paintEvent(QPaintEvent* pEvent) override;
};

class CStandardHeaderCtrl : public CBasicHeaderCtrl {
    Q_OBJECT
public:
    explicit CStandardHeaderCtrl(Qt::Orientation orientation = Qt::Horizontal, QWidget* pParent = nullptr);
    ~CStandardHeaderCtrl() override;

    /// Background stretched from the image's (0, 0, w - 50, h - 5), then for each column the divider
    /// at (right, top + 4) and the title centred in (left, top + 3, width, height - 3).
    void DrawHeaderItems(QImage& offscreen) override;
    /// A file that cannot be loaded leaves no divider.
    void SetHeaderDividerImage(const QString& strPath);

    QImage m_divider;
    int m_nDividerWidth = 0;
    int m_nDividerHeight = 0;
    int m_bHover = 0;

protected:
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void leaveEvent(QEvent* pEvent) override;
};

/// The device list: a report list with a CStandardHeaderCtrl.
class CStandardListCtrl : public CBasicListCtrl {
    Q_OBJECT
public:
    explicit CStandardListCtrl(QWidget* pParent = nullptr);
    ~CStandardListCtrl() override;

    CStandardHeaderCtrl* GetHeaderCtrl() const;
    void SetHeaderFont(const QString& strFace, int nSize);
    /// "r,g,b" as in the layout file; a malformed text leaves the colour as it was.
    void SetHeaderTextColor(const QString& strColor);

private:
    CStandardHeaderCtrl* m_pHeader;
};

#pragma once
// Shared helpers of the control tests: a private data folder with the shipped skin, synthetic
// image strips and layout files, and pixel inspection of rendered widgets.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>
#include <QWidget>

#include "controls/dialogs.h"
#include "tests/support/scoped_data_root.h"

#include <optional>

/// Writes the English layout and the eight pictures where the program puts them:
/// /KIRUNSearchTools/WndLayoutInfo.xml and /KIRUNSearchTools/Picture/...
bool WriteShippedSkin(const ScopedDataRoot& root);
/// Copies a resource (":/BMP/158") to a path below the root; false when either side fails.
bool CopyResource(const ScopedDataRoot& root, const QString& strResource, const QString& strRelative);

/// Horizontal strip of equal cells, each filled with its colour.
QImage MakeStrip(const QVector<QColor>& cells, int nCellWidth, int nHeight);
bool SaveImage(const QImage& image, const QString& strPath);

/// One CtrlInfo element of a synthetic layout; unset texts take the English defaults.
struct CtrlSpec {
    int nID = 0;
    QString strClass;
    QString strPos = QStringLiteral("0,0,10,10");
    QString strBGPath;
    int nCells = 1;
    int nPaintMode = 4;
    QString strStyle = QStringLiteral("WS_CHILD|WS_VISIBLE");
    int nShow = 5;
    QString strText;
    QString strTextOffset = QStringLiteral("0,0");
    QString strTextColor = QStringLiteral("244,245,247");
    QString strFont = QStringLiteral("DejaVu Sans");
    int nFontSize = 12;
    QString strDiscrip;
};

/// Dialog attributes of a synthetic layout.
struct DialogSpec {
    QString strPos = QStringLiteral("0,0,328,245");
    QString strBGColor = QStringLiteral("255,255,255");
    QString strBGPath;
    int nPaintMode = 8;
    QString strText = QStringLiteral("Test Dialog");
};

/// A layout file holding dialog 201, mode "Standard", with the given controls.
bool WriteLayout(const QString& strPath, const DialogSpec& dialog, const QVector<CtrlSpec>& ctrls);

/// The widget as it shows on screen, in ARGB32.
QImage Render(QWidget* pWnd);
/// The smallest rectangle holding every pixel of `image` inside `rcArea` that differs from
/// `background` by more than a small tolerance; empty when there is none.
QRect InkBounds(const QImage& image, QColor background, const QRect& rcArea);
/// Exact match of red, green and blue.
bool SameRgb(QRgb a, QColor b);

/// A layout control record at (5, 5), 40 x 20, of the given class.
CtrlSpec MakeCtrl(int nCtrlID, const char* pszClass);

/// A borderless dialog that builds its controls with the factory, as the main dialog does, and paints
/// its skin picture with every control capturing the part under it.
class FactoryDialog : public CBasicNoneBorderDlg {
public:
    void ApplyControlRecords() override;
    void DrawBackground(QImage& offscreen) override;
    /// Ids of the dialog's controls in creation order.
    QVector<int> ChildIds() const;
};

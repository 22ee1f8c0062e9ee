#pragma once
// Draws the skin's pictures: the dialog background and its region bitmap, the button and
// close strips, the status band, the list header pieces, the logo and the program icon.

#include <QImage>
#include <QRgb>

/// Key colour of the region bitmap: pixels of this colour are cut out of the window.
constexpr QRgb kRegionKeyColor = qRgb(210, 10, 10);

/// Pixels cut from each end of the top rows 0 to 3, which rounds the two top corners.
constexpr int kCornerCut[4] = {5, 3, 2, 1};

/// 328 x 245, opaque except the corner pixels, which are transparent.
QImage DrawDialogBackground();
/// The background with the corner pixels in `kRegionKeyColor`, as 24-bit RGB.
QImage MakeRegionBitmap(const QImage& imgBackground);
/// 316 x 23: normal, hovered, pressed and disabled cells of 79 x 23.
QImage DrawButtonStrip();
/// 44 x 11: the close mark in the four button states.
QImage DrawCloseStrip();
/// 224 x 14: the band behind the search status text.
QImage DrawStatusBrush();
/// 249 x 17: the list header's background; only the left 199 x 12 is ever shown.
QImage DrawHeaderBackground();
/// 1 x 12: the column divider of the list header.
QImage DrawHeaderDivider();
/// The product mark in a square of `nSize` pixels (16 for the title, 32 for the icon).
QImage DrawLogo(int nSize);

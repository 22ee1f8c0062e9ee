#include "tools/skin-images/skin_images.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace {

// One palette for every picture: deep slate chrome, a light panel for the list, a blue accent.
const QColor kTitleTop(38, 52, 76);
const QColor kTitleBottom(27, 38, 58);
const QColor kBodyTop(27, 38, 58);
const QColor kBodyBottom(21, 30, 46);
const QColor kOutline(11, 17, 28);
const QColor kTitleHighlight(66, 84, 114);
const QColor kSeparator(48, 64, 92);
const QColor kPanel(234, 239, 246);
const QColor kPanelEdge(176, 192, 214);
const QColor kAccent(59, 130, 246);
const QColor kAccentLight(125, 176, 255);

// Layout positions the background is drawn around.
constexpr int kWidth = 328;
constexpr int kHeight = 245;
constexpr int kTitleBand = 28;
const QRect kPanelRect(6, 47, 316, 146);
const QRect kCaptionMark(19, 35, 3, 10);

/// Every pixel fully opaque, so the window shows no blend with whatever lies under it.
void MakeOpaque(QImage& img, const QColor& colorUnder) {
    QImage imgFlat(img.size(), QImage::Format_ARGB32);
    imgFlat.fill(colorUnder);
    QPainter painter(&imgFlat);
    painter.drawImage(0, 0, img);
    painter.end();
    img = imgFlat;
}

bool IsCornerPixel(int x, int y) {
    if (y < 0 || y >= 4) {
        return false;
    }
    return x < kCornerCut[y] || x >= kWidth - kCornerCut[y];
}

/// A button cell: rounded face with a vertical gradient, an edge and a thin top light.
void DrawButtonCell(QPainter& painter, const QRectF& rcCell, const QColor& colorTop,
                    const QColor& colorBottom, const QColor& colorEdge, const QColor& colorLight,
                    bool bSunken) {
    const QRectF rcFace = rcCell.adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient gradient(rcFace.topLeft(), rcFace.bottomLeft());
    gradient.setColorAt(0.0, colorTop);
    gradient.setColorAt(1.0, colorBottom);
    painter.setPen(QPen(colorEdge, 1.0));
    painter.setBrush(gradient);
    painter.drawRoundedRect(rcFace, 4.0, 4.0);

    painter.setPen(QPen(colorLight, 1.0));
    if (bSunken) {
        // A shadow along the top edge reads as pushed in.
        painter.drawLine(QPointF(rcFace.left() + 3, rcFace.top() + 1.5),
                         QPointF(rcFace.right() - 3, rcFace.top() + 1.5));
    } else {
        painter.drawLine(QPointF(rcFace.left() + 4, rcFace.top() + 1.5),
                         QPointF(rcFace.right() - 4, rcFace.top() + 1.5));
    }
}

/// The close mark: two strokes in an 11 x 11 cell, over an optional round backing.
void DrawCloseCell(QPainter& painter, int nLeft, const QColor& colorBack, const QColor& colorMark) {
    if (colorBack.alpha() != 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(colorBack);
        painter.drawEllipse(QRectF(nLeft, 0, 11, 11));
    }
    painter.setPen(QPen(colorMark, 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(nLeft + 3.2, 3.2), QPointF(nLeft + 7.8, 7.8));
    painter.drawLine(QPointF(nLeft + 7.8, 3.2), QPointF(nLeft + 3.2, 7.8));
}

} // namespace

QImage DrawDialogBackground() {
    QImage img(kWidth, kHeight, QImage::Format_ARGB32);
    img.fill(kOutline);
    QPainter painter(&img);
    painter.setRenderHint(QPainter::Antialiasing);

    // Body inside a one-pixel outline; the top corners follow the region's rounding.
    QPainterPath pathBody;
    pathBody.addRoundedRect(QRectF(1, 1, kWidth - 2, kHeight + 8), 5.0, 5.0);
    QLinearGradient gradientBody(0, 0, 0, kHeight);
    gradientBody.setColorAt(0.0, kBodyTop);
    gradientBody.setColorAt(1.0, kBodyBottom);
    painter.fillPath(pathBody, gradientBody);

    // Title band, where the window is dragged.
    painter.save();
    painter.setClipPath(pathBody);
    QLinearGradient gradientTitle(0, 1, 0, kTitleBand);
    gradientTitle.setColorAt(0.0, kTitleTop);
    gradientTitle.setColorAt(1.0, kTitleBottom);
    painter.fillRect(QRectF(0, 0, kWidth, kTitleBand), gradientTitle);
    painter.setPen(QPen(kTitleHighlight, 1.0));
    painter.drawLine(QPointF(6, 1.5), QPointF(kWidth - 6, 1.5));
    painter.restore();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(kSeparator);
    painter.drawLine(1, kTitleBand, kWidth - 2, kTitleBand);
    painter.setPen(kOutline);
    painter.drawLine(1, kTitleBand + 1, kWidth - 2, kTitleBand + 1);
    painter.setRenderHint(QPainter::Antialiasing);

    // Accent mark in front of the list caption.
    painter.setPen(Qt::NoPen);
    painter.setBrush(kAccent);
    painter.drawRoundedRect(QRectF(kCaptionMark), 1.5, 1.5);

    // Light panel that frames the device list.
    painter.setPen(QPen(kPanelEdge, 1.0));
    painter.setBrush(kPanel);
    painter.drawRoundedRect(QRectF(kPanelRect).adjusted(0.5, 0.5, -0.5, -0.5), 3.0, 3.0);
    painter.end();

    MakeOpaque(img, kOutline);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (IsCornerPixel(x, y)) {
                img.setPixel(x, y, qRgba(0, 0, 0, 0));
            }
        }
    }
    return img;
}

QImage MakeRegionBitmap(const QImage& imgBackground) {
    QImage img = imgBackground.convertToFormat(QImage::Format_RGB888);
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QRgb rgb = img.pixel(x, y);
            if (IsCornerPixel(x, y)) {
                img.setPixel(x, y, kRegionKeyColor);
            } else if ((rgb & 0xFFFFFFu) == (kRegionKeyColor & 0xFFFFFFu)) {
                // The key must mark the corners only; nudge a stray match by one step.
                img.setPixel(x, y, qRgb(qRed(rgb), qGreen(rgb) + 1, qBlue(rgb)));
            }
        }
    }
    return img;
}

QImage DrawButtonStrip() {
    QImage img(316, 23, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter painter(&img);
    painter.setRenderHint(QPainter::Antialiasing);
    // Normal: the accent blue, dark enough for the near-white caption.
    DrawButtonCell(painter, QRectF(0, 0, 79, 23), QColor(40, 98, 204), QColor(24, 68, 164),
                   QColor(16, 46, 112), QColor(255, 255, 255, 70), false);
    // Hovered: brighter, with a light rim.
    DrawButtonCell(painter, QRectF(79, 0, 79, 23), QColor(56, 116, 232), QColor(30, 80, 190),
                   QColor(150, 196, 255), QColor(255, 255, 255, 110), false);
    // Pressed: darker, lit from below.
    DrawButtonCell(painter, QRectF(158, 0, 79, 23), QColor(16, 42, 100), QColor(24, 60, 136),
                   QColor(10, 28, 72), QColor(0, 0, 0, 80), true);
    // Disabled: the blue drained to slate.
    DrawButtonCell(painter, QRectF(237, 0, 79, 23), QColor(74, 85, 104), QColor(62, 72, 90),
                   QColor(50, 59, 76), QColor(255, 255, 255, 25), false);
    return img;
}

QImage DrawCloseStrip() {
    QImage img(44, 11, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter painter(&img);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawCloseCell(painter, 0, Qt::transparent, QColor(200, 209, 224));
    DrawCloseCell(painter, 11, QColor(229, 72, 77), QColor(255, 255, 255));
    DrawCloseCell(painter, 22, QColor(168, 36, 42), QColor(235, 220, 222));
    DrawCloseCell(painter, 33, Qt::transparent, QColor(96, 108, 128));
    return img;
}

QImage DrawStatusBrush() {
    QImage img(224, 14, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter painter(&img);
    painter.setRenderHint(QPainter::Antialiasing);

    // A band that fades out to the right, so a longer text runs on without an edge.
    QLinearGradient gradient(0, 0, 224, 0);
    gradient.setColorAt(0.0, QColor(59, 130, 246, 110));
    gradient.setColorAt(0.6, QColor(59, 130, 246, 50));
    gradient.setColorAt(1.0, QColor(59, 130, 246, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawRoundedRect(QRectF(0, 0, 224, 14), 7.0, 7.0);

    // Activity dot left of the text, which starts at x = 15.
    QRadialGradient glow(QPointF(7, 7), 5.5);
    glow.setColorAt(0.0, QColor(170, 205, 255, 255));
    glow.setColorAt(0.5, QColor(kAccentLight.red(), kAccentLight.green(), kAccentLight.blue(), 200));
    glow.setColorAt(1.0, QColor(59, 130, 246, 0));
    painter.setBrush(glow);
    painter.drawEllipse(QPointF(7, 7), 5.5, 5.5);
    painter.setBrush(QColor(235, 243, 255));
    painter.drawEllipse(QPointF(7, 7), 2.0, 2.0);
    return img;
}

QImage DrawHeaderBackground() {
    // Stretched over the header from its top-left 199 x 12, so the look is a vertical gradient
    // that also fills the unused right and bottom margin.
    QImage img(249, 17, QImage::Format_ARGB32);
    QPainter painter(&img);
    QLinearGradient gradient(0, 0, 0, 12);
    gradient.setColorAt(0.0, QColor(62, 80, 110));
    gradient.setColorAt(1.0, QColor(40, 54, 80));
    painter.fillRect(QRect(0, 0, 249, 17), gradient);
    painter.setPen(QColor(86, 106, 140));
    painter.drawLine(0, 0, 248, 0);
    painter.setPen(QColor(24, 33, 50));
    painter.drawLine(0, 11, 248, 11);
    painter.fillRect(QRect(0, 12, 249, 5), QColor(24, 33, 50));
    return img;
}

QImage DrawHeaderDivider() {
    QImage img(1, 12, QImage::Format_ARGB32);
    for (int y = 0; y < 12; ++y) {
        // Strongest in the middle, fading at both ends.
        const double dDistance = std::abs(y - 5.5) / 6.0;
        const int nAlpha = static_cast<int>(200 * (1.0 - dDistance * dDistance));
        img.setPixel(0, y, qRgba(150, 172, 206, nAlpha));
    }
    return img;
}

QImage DrawLogo(int nSize) {
    QImage img(nSize, nSize, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter painter(&img);
    painter.setRenderHint(QPainter::Antialiasing);
    const double dScale = nSize / 16.0;
    painter.scale(dScale, dScale);

    // Rounded tile in the accent colours.
    QLinearGradient gradient(0, 0, 16, 16);
    gradient.setColorAt(0.0, QColor(56, 189, 248));
    gradient.setColorAt(1.0, QColor(37, 99, 235));
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3.5, 3.5);

    // A dock (the device) under two signal arcs.
    const QColor colorMark(255, 255, 255);
    painter.setBrush(colorMark);
    painter.drawRoundedRect(QRectF(4, 10.5, 8, 2.5), 1.0, 1.0);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(colorMark, 1.3, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(QRectF(5.5, 6.0, 5, 5), 30 * 16, 120 * 16);
    painter.drawArc(QRectF(3.0, 3.5, 10, 10), 35 * 16, 110 * 16);
    painter.setBrush(QColor(37, 99, 235));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(10.2, 11.75), 0.7, 0.7);
    return img;
}

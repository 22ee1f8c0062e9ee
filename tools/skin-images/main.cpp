// Draws the skin's pictures into a folder (by default resources/images of the source tree):
//   roamdock-skin-images [output folder]
#include "tools/skin-images/skin_images.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

namespace {

bool SaveImage(const QImage& img, const QDir& dirOut, const char* pszName, const char* pszFormat) {
    const QString strPath = dirOut.filePath(QString::fromLatin1(pszName));
    if (!img.save(strPath, pszFormat)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(strPath));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    const QString strOut = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(ROAMDOCK_IMAGE_DIR);
    QDir dirOut(strOut);
    if (!dirOut.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(strOut));
        return 1;
    }

    const QImage imgBackground = DrawDialogBackground();
    bool bOk = SaveImage(imgBackground, dirOut, "SearchDevice_BlackGround.png", "PNG");
    bOk = SaveImage(MakeRegionBitmap(imgBackground), dirOut, "SearchDevice_BlackGround.bmp", "BMP") && bOk;
    bOk = SaveImage(DrawStatusBrush(), dirOut, "Brush.png", "PNG") && bOk;
    bOk = SaveImage(DrawLogo(16), dirOut, "logo.png", "PNG") && bOk;
    bOk = SaveImage(DrawHeaderBackground(), dirOut, "headerbackground.png", "PNG") && bOk;
    bOk = SaveImage(DrawHeaderDivider(), dirOut, "headerclip.png", "PNG") && bOk;
    bOk = SaveImage(DrawCloseStrip(), dirOut, "close.png", "PNG") && bOk;
    bOk = SaveImage(DrawButtonStrip(), dirOut, "ButtonMax.png", "PNG") && bOk;
    bOk = SaveImage(DrawLogo(32), dirOut, "roamdock.png", "PNG") && bOk;
    return bOk ? 0 : 1;
}

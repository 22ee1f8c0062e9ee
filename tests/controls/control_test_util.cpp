#include "control_test_util.h"

#include "resources/resources.h"
#include "skin/control_factory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPixmap>

#include <cstdlib>

bool CopyResource(const ScopedDataRoot& root, const QString& strResource, const QString& strRelative) {
    InitRoamdockResources();
    const QString strTarget = root.Path(strRelative);
    QDir().mkpath(QFileInfo(strTarget).path());
    QFile source(strResource);
    QFile target(strTarget);
    if (!source.open(QIODevice::ReadOnly) || !target.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    return target.write(source.readAll()) == source.size();
}

bool WriteShippedSkin(const ScopedDataRoot& root) {
    const QString strPictures = QStringLiteral("/KIRUNSearchTools/Picture/");
    const struct {
        const char* pszResource;
        const char* pszName;
    } files[] = {
        {":/BMP/158", "SearchDevice_BlackGround.bmp"},
        {":/PNG/146", "SearchDevice_BlackGround.png"},
        {":/PNG/139", "Brush.png"},
        {":/PNG/144", "logo.png"},
        {":/PNG/147", "headerbackground.png"},
        {":/PNG/148", "headerclip.png"},
        {":/PNG/141", "close.png"},
        {":/PNG/140", "ButtonMax.png"},
    };
    bool bOk = CopyResource(root, QStringLiteral(":/XML/150"),
                            QStringLiteral("/KIRUNSearchTools/WndLayoutInfo.xml"));
    for (const auto& file : files) {
        bOk = CopyResource(root, QString::fromLatin1(file.pszResource),
                           strPictures + QString::fromLatin1(file.pszName)) &&
              bOk;
    }
    return bOk;
}

QImage MakeStrip(const QVector<QColor>& cells, int nCellWidth, int nHeight) {
    QImage strip(nCellWidth * static_cast<int>(cells.size()), nHeight, QImage::Format_ARGB32);
    QPainter painter(&strip);
    for (int i = 0; i < cells.size(); ++i) {
        painter.fillRect(QRect(i * nCellWidth, 0, nCellWidth, nHeight), cells[i]);
    }
    return strip;
}

bool SaveImage(const QImage& image, const QString& strPath) {
    QDir().mkpath(QFileInfo(strPath).path());
    return image.save(strPath);
}

namespace {

QString Escaped(const QString& strText) {
    return strText.toHtmlEscaped();
}

} // namespace

bool WriteLayout(const QString& strPath, const DialogSpec& dialog, const QVector<CtrlSpec>& ctrls) {
    QString strXml = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<WindowInformation>\n");
    strXml += QStringLiteral("<DialogInfo DialogID=\"201\" DialogText=\"%1\" DialogDiscrip=\"test\">\n")
                  .arg(Escaped(dialog.strText));
    strXml += QStringLiteral("<Standard DialogBGPath=\"%1\" DialogBGColor=\"%2\" DlgPaintMode=\"%3\" "
                             "DlgTextOffSet=\"0,0\" DlgTextColor=\"244,245,247\" DialogFont=\"DejaVu Sans\" "
                             "DialogFontSize=\"12\" DialogPos=\"%4\">\n")
                  .arg(Escaped(dialog.strBGPath), dialog.strBGColor)
                  .arg(dialog.nPaintMode)
                  .arg(dialog.strPos);
    for (const CtrlSpec& ctrl : ctrls) {
        strXml += QStringLiteral("<CtrlInfo CtrlID=\"%1\" CtrlBGPath=\"%2\" CtrlBGStatusCount=\"%3\" "
                                 "CtrlBGColor=\"255,255,255\" CtrlBorderColor=\"126,157,185\" "
                                 "CtrlPaintMode=\"%4\" CtrlClass=\"%5\" CtrlStyle=\"%6\" CtrlPosType=\"3\" "
                                 "CtrlPos=\"%7\" CtrlShow=\"%8\" CtrlText=\"%9\" ")
                      .arg(ctrl.nID)
                      .arg(Escaped(ctrl.strBGPath))
                      .arg(ctrl.nCells)
                      .arg(ctrl.nPaintMode)
                      .arg(Escaped(ctrl.strClass), ctrl.strStyle, ctrl.strPos)
                      .arg(ctrl.nShow)
                      .arg(Escaped(ctrl.strText));
        strXml +=
            QStringLiteral("CtrlTextOffSet=\"%1\" CtrlTextColor=\"%2\" CtrlFont=\"%3\" CtrlFontSize=\"%4\" "
                           "CtrlDiscrip=\"%5\"/>\n")
                .arg(ctrl.strTextOffset, ctrl.strTextColor, Escaped(ctrl.strFont))
                .arg(ctrl.nFontSize)
                .arg(Escaped(ctrl.strDiscrip));
    }
    strXml += QStringLiteral("</Standard>\n</DialogInfo>\n</WindowInformation>\n");
    QDir().mkpath(QFileInfo(strPath).path());
    QFile file(strPath);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(strXml.toUtf8()) > 0;
}

QImage Render(QWidget* pWnd) {
    return pWnd->grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

QRect InkBounds(const QImage& image, QColor background, const QRect& rcArea) {
    constexpr int kTolerance = 40;
    QRect rcInk;
    const QRect rcScan = rcArea.intersected(image.rect());
    for (int y = rcScan.top(); y <= rcScan.bottom(); ++y) {
        for (int x = rcScan.left(); x <= rcScan.right(); ++x) {
            const QRgb px = image.pixel(x, y);
            const int nDiff = std::abs(qRed(px) - background.red()) +
                              std::abs(qGreen(px) - background.green()) +
                              std::abs(qBlue(px) - background.blue());
            if (nDiff > kTolerance) {
                rcInk |= QRect(x, y, 1, 1);
            }
        }
    }
    return rcInk;
}

bool SameRgb(QRgb a, QColor b) {
    return qRed(a) == b.red() && qGreen(a) == b.green() && qBlue(a) == b.blue();
}

CtrlSpec MakeCtrl(int nCtrlID, const char* pszClass) {
    CtrlSpec row;
    row.nID = nCtrlID;
    row.strClass = QString::fromLatin1(pszClass);
    row.strPos = QStringLiteral("5,5,40,20");
    return row;
}

void FactoryDialog::ApplyControlRecords() {
    ReleaseFonts();
    ReleaseControls();
    CreateLayoutControls(*this, this);
    OnControlsCreated();
}

void FactoryDialog::DrawBackground(QImage& offscreen) {
    {
        QPainter graphics(&offscreen);
        DrawProperties(nullptr, this, graphics);
    }
    CaptureControlBackgrounds(this, offscreen);
}

QVector<int> FactoryDialog::ChildIds() const {
    QVector<int> ids;
    for (QObject* pChild : children()) {
        auto* pWidget = qobject_cast<QWidget*>(pChild);
        if (pWidget != nullptr && GetDlgCtrlID(pWidget) != 0) {
            ids.push_back(GetDlgCtrlID(pWidget));
        }
    }
    return ids;
}

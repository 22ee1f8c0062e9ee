#include "skin_test_util.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QByteArray LayoutDocument(const QString& strBody) {
    QString strText = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<WindowInformation>\n") +
                      strBody + QStringLiteral("\n</WindowInformation>\n");
    strText.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return QByteArray("\xEF\xBB\xBF") + strText.toUtf8();
}

QString CtrlInfoElement(int nCtrlID, const QString& strClass, const QString& strText) {
    return QStringLiteral(
               "<CtrlInfo CtrlID=\"%1\" CtrlBGPath=\"\\KIRUNSearchTools\\Picture\\ButtonMax.png\" "
               "CtrlBGStatusCount=\"4\" CtrlBGColor=\"255,255,255\" CtrlBorderColor=\"126,157,185\" "
               "CtrlPaintMode=\"4\" CtrlClass=\"%2\" CtrlStyle=\"WS_CHILD|WS_VISIBLE\" "
               "CtrlPosType=\"3\" CtrlPos=\"18,210,79,23\" CtrlShow=\"5\" CtrlText=\"%3\" "
               "CtrlTextOffSet=\"0,6\" CtrlTextColor=\"244,245,247\" CtrlFont=\"Tahoma\" "
               "CtrlFontSize=\"12\" CtrlDiscrip=\"Log In Button\"/>")
        .arg(nCtrlID)
        .arg(strClass, strText);
}

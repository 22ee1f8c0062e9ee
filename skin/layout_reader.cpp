#include "skin/layout_record.h"

#include "platform/data_folder.h"

#include <QDomDocument>
#include <QDomElement>
#include <QDomNodeList>
#include <QFile>
#include <QXmlStreamReader>

namespace {

/// Well-formed and no deeper than kMaxLayoutDepth. Runs before the DOM is built, because the DOM
/// frees its tree recursively and a hostile nesting depth would exhaust the stack.
bool IsAcceptableDocument(const QByteArray& content) {
    QXmlStreamReader reader(content);
    int nDepth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (++nDepth > kMaxLayoutDepth)
                return false;
            break;
        case QXmlStreamReader::EndElement:
            --nDepth;
            break;
        default:
            break;
        }
    }
    return !reader.hasError();
}

QString ResolveWithRoot(const QString& strRoot, const QString& strLayoutPath) {
    QString strRelative = strLayoutPath;
    strRelative.replace(u'\\', u'/');
    return strRoot + strRelative;
}

void ReadModeElement(DialogRecord& record, const QDomElement& mode) {
    const QString strRoot = SharedDataRoot();
    record.DialogBGPath = ResolveWithRoot(strRoot, mode.attribute(QStringLiteral("DialogBGPath")));
    record.DialogBGColorText = mode.attribute(QStringLiteral("DialogBGColor"));
    ParseColorText(record.DialogBGColorText, record.DialogBGColor);
    record.DlgPaintMode = ParseIntText(mode.attribute(QStringLiteral("DlgPaintMode")));
    ParsePointText(mode.attribute(QStringLiteral("DlgTextOffSet")), record.DlgTextOffSet);
    record.DlgTextColorText = mode.attribute(QStringLiteral("DlgTextColor"));
    ParseColorText(record.DlgTextColorText, record.DlgTextColor);
    record.DialogFont = mode.attribute(QStringLiteral("DialogFont"));
    record.DialogFontSize = ParseIntText(mode.attribute(QStringLiteral("DialogFontSize")));
    ParseRectText(mode.attribute(QStringLiteral("DialogPos")), record.DialogPos);

    const QDomNodeList controls = mode.elementsByTagName(QStringLiteral("CtrlInfo"));
    for (int i = 0; i < controls.size(); ++i) {
        const QDomElement info = controls.item(i).toElement();
        ControlRecord control;
        ResetControlRecord(control);
        control.CtrlID = ParseIntText(info.attribute(QStringLiteral("CtrlID")));
        control.CtrlBGPath = ResolveWithRoot(strRoot, info.attribute(QStringLiteral("CtrlBGPath")));
        control.CtrlBGStatusCount = ParseIntText(info.attribute(QStringLiteral("CtrlBGStatusCount")));
        control.CtrlBGColorText = info.attribute(QStringLiteral("CtrlBGColor"));
        ParseColorText(control.CtrlBGColorText, control.CtrlBGColor);
        control.CtrlBorderColorText = info.attribute(QStringLiteral("CtrlBorderColor"));
        ParseColorText(control.CtrlBorderColorText, control.CtrlBorderColor);
        control.CtrlPaintMode = ParseIntText(info.attribute(QStringLiteral("CtrlPaintMode")));
        control.CtrlClass = info.attribute(QStringLiteral("CtrlClass"));
        control.CtrlStyle = ParseStyleText(info.attribute(QStringLiteral("CtrlStyle")));
        control.CtrlPosType = ParseIntText(info.attribute(QStringLiteral("CtrlPosType")));
        ParseRectText(info.attribute(QStringLiteral("CtrlPos")), control.CtrlPos);
        control.CtrlShow = ParseIntText(info.attribute(QStringLiteral("CtrlShow")));
        control.CtrlText = info.attribute(QStringLiteral("CtrlText"));
        ParsePointText(info.attribute(QStringLiteral("CtrlTextOffSet")), control.CtrlTextOffSet);
        control.CtrlTextColorText = info.attribute(QStringLiteral("CtrlTextColor"));
        ParseColorText(control.CtrlTextColorText, control.CtrlTextColor);
        control.CtrlFont = info.attribute(QStringLiteral("CtrlFont"));
        control.CtrlFontSize = ParseIntText(info.attribute(QStringLiteral("CtrlFontSize")));
        control.CtrlDiscrip = info.attribute(QStringLiteral("CtrlDiscrip"));
        // emplace never replaces: the first control with an id wins.
        record.controlMap.emplace(control.CtrlID, control);
    }
}

void ReadStrings(DialogRecord& record, const QDomElement& dialog) {
    const QDomNodeList strings = dialog.elementsByTagName(QStringLiteral("StringInfo"));
    for (int i = 0; i < strings.size(); ++i) {
        const QDomElement info = strings.item(i).toElement();
        record.stringMap.emplace(info.attribute(QStringLiteral("StringID")),
                                 info.attribute(QStringLiteral("StringValue")));
    }
}

} // namespace

int32_t ReadLayoutDocument(DialogRecord& record, const QByteArray& content, int32_t nDialogID,
                           const QString& strMode) {
    ResetDialogRecord(record);
    if (content.size() > kMaxLayoutFileSize || !IsAcceptableDocument(content))
        return 1;
    QDomDocument document;
    if (!document.setContent(content))
        return 1;

    const QDomElement root = document.documentElement();
    if (root.tagName() != QLatin1String("WindowInformation"))
        return 1;
    for (QDomElement dialog = root.firstChildElement(QStringLiteral("DialogInfo")); !dialog.isNull();
         dialog = dialog.nextSiblingElement(QStringLiteral("DialogInfo"))) {
        if (ParseIntText(dialog.attribute(QStringLiteral("DialogID"))) != nDialogID)
            continue;
        record.DialogID = nDialogID;
        record.DialogText = dialog.attribute(QStringLiteral("DialogText"));
        record.DialogDiscrip = dialog.attribute(QStringLiteral("DialogDiscrip"));
        // An empty name would select any first child element.
        const QDomElement mode = strMode.isEmpty() ? QDomElement() : dialog.firstChildElement(strMode);
        if (!mode.isNull())
            ReadModeElement(record, mode);
        ReadStrings(record, dialog);
    }
    return 1;
}

int32_t ReadLayoutFile(DialogRecord& record, const QString& strPath, int32_t nDialogID,
                       const QString& strMode) {
    ResetDialogRecord(record);
    if (strPath.isEmpty())
        return 0;
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    // One byte past the limit is enough to tell an oversized file; the whole file is read before parsing.
    const QByteArray content = file.read(kMaxLayoutFileSize + 1);
    if (content.size() > kMaxLayoutFileSize)
        return 1;
    return ReadLayoutDocument(record, content, nDialogID, strMode);
}

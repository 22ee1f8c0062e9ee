// libFuzzer target: the layout reader on arbitrary bytes, and the value parsers on the same text.
#include "skin/layout_record.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    const QByteArray content(reinterpret_cast<const char*>(pData), static_cast<qsizetype>(nSize));
    DialogRecord record;
    ReadLayoutDocument(record, content, 201, QStringLiteral("Standard"));
    // Every control read must sit under its own id.
    for (const auto& [nCtrlID, control] : record.controlMap) {
        if (control.CtrlID != nCtrlID)
            __builtin_trap();
    }

    const QString strText = QString::fromUtf8(content);
    ParseIntText(strText);
    COLORREF color = 0;
    ParseColorText(strText, color);
    LayoutPoint point;
    ParsePointText(strText, point);
    LayoutRect rect;
    ParseRectText(strText, rect);
    ParseStyleText(strText);
    return 0;
}

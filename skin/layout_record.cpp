#include "skin/layout_record.h"

#include "platform/data_folder.h"

#include <limits>

namespace {

/// Clamps a 64-bit intermediate to the 32-bit range, the way wcstol saturates.
int32_t ClampToInt32(int64_t nValue) {
    if (nValue > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (nValue < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(nValue);
}

struct StyleName {
    const char* pszName;
    uint32_t nValue;
};

constexpr StyleName kStyleNames[] = {
    {"WS_CHILD", 0x40000000},           {"WS_VISIBLE", 0x10000000},
    {"WS_CLIPCHILDREN", 0x02000000},    {"WS_VSCROLL", 0x00200000},
    {"TVS_SHOWSELALWAYS", 0x00000020},  {"TVS_HASBUTTONS", 0x00000001},
    {"TVS_HASLINES", 0x00000002},       {"TVS_INFOTIP", 0x00000800},
    {"LVS_OWNERDRAWFIXED", 0x00000400}, {"LVS_EX_FULLROWSELECT", 0x00000020},
    {"LVS_REPORT", 0x00000001},         {"CBS_DROPDOWN", 0x00000002},
    {"CBS_AUTOHSCROLL", 0x00000040},    {"ES_AUTOHSCROLL", 0x00000080},
    {"ES_NUMBER", 0x00002000},          {"ES_READONLY", 0x00000800},
};

} // namespace

void ResetDialogRecord(DialogRecord& record) {
    record = DialogRecord();
}

void ResetControlRecord(ControlRecord& record) {
    record = ControlRecord();
}

int32_t ParseIntText(const QString& strText) {
    const int nLength = strText.size();
    int i = 0;
    while (i < nLength && strText.at(i).isSpace())
        ++i;
    bool bNegative = false;
    if (i < nLength && (strText.at(i) == u'+' || strText.at(i) == u'-')) {
        bNegative = strText.at(i) == u'-';
        ++i;
    }
    // Accumulate the magnitude with a ceiling just past the 32-bit range, so long digit runs cannot overflow.
    constexpr int64_t nCeiling = int64_t(std::numeric_limits<int32_t>::max()) + 2;
    int64_t nMagnitude = 0;
    for (; i < nLength; ++i) {
        const char16_t ch = strText.at(i).unicode();
        if (ch < u'0' || ch > u'9')
            break;
        nMagnitude = nMagnitude * 10 + (ch - u'0');
        if (nMagnitude > nCeiling)
            nMagnitude = nCeiling;
    }
    return ClampToInt32(bNegative ? -nMagnitude : nMagnitude);
}

void ParseColorText(const QString& strText, COLORREF& color) {
    const qsizetype nFirst = strText.indexOf(u',');
    if (strText.isEmpty() || nFirst < 0)
        return;
    const int32_t r = ParseIntText(strText.left(nFirst));
    const QString strRest = strText.mid(nFirst + 1);
    const qsizetype nSecond = strRest.indexOf(u',');
    if (strRest.isEmpty() || nSecond < 0)
        return;
    const int32_t g = ParseIntText(strRest.left(nSecond));
    const int32_t b = ParseIntText(strRest.mid(nSecond + 1));
    color = (uint32_t(b) & 0xFFu) << 16 | (uint32_t(g) & 0xFFu) << 8 | (uint32_t(r) & 0xFFu);
}

void ParsePointText(const QString& strText, LayoutPoint& point) {
    const qsizetype nComma = strText.indexOf(u',');
    if (strText.isEmpty() || nComma < 0)
        return;
    point.x = ParseIntText(strText.left(nComma));
    point.y = ParseIntText(strText.mid(nComma + 1));
}

void ParseRectText(const QString& strText, LayoutRect& rect) {
    const qsizetype nFirst = strText.indexOf(u',');
    if (strText.isEmpty() || nFirst < 0)
        return;
    rect.left = ParseIntText(strText.left(nFirst));
    const qsizetype nSecond = strText.indexOf(u',', nFirst + 1);
    if (nSecond < 0)
        return;
    rect.top = ParseIntText(strText.mid(nFirst + 1, nSecond - nFirst - 1));
    const qsizetype nThird = strText.indexOf(u',', nSecond + 1);
    if (nThird < 0)
        return;
    const int32_t nWidth = ParseIntText(strText.mid(nSecond + 1, nThird - nSecond - 1));
    const int32_t nHeight = ParseIntText(strText.mid(nThird + 1));
    // Edges saturate instead of overflowing when a huge width or height is added.
    rect.right = ClampToInt32(int64_t(rect.left) + nWidth);
    rect.bottom = ClampToInt32(int64_t(rect.top) + nHeight);
}

uint32_t ParseStyleText(const QString& strText) {
    uint32_t nStyle = 0;
    for (const StyleName& name : kStyleNames) {
        if (strText.contains(QLatin1String(name.pszName), Qt::CaseSensitive))
            nStyle |= name.nValue;
    }
    return nStyle;
}

QString ResolveLayoutPath(const QString& strLayoutPath) {
    QString strRelative = strLayoutPath;
    strRelative.replace(u'\\', u'/');
    return SharedDataRoot() + strRelative;
}

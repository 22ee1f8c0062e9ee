#pragma once
// In-memory form of one dialog of the layout file, and the plain text parsers for its values.

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QString>

#include <cstdint>
#include <map>

/// 0x00BBGGRR: red in the low byte, as the layout's colours are stored.
using COLORREF = uint32_t;

/// A rectangle as the layout stores it: right and bottom are exclusive edges, not sizes.
struct LayoutRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

struct LayoutPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// Paint-mode bits, drawn in the order PaintParentBackground, PaintFill, PaintBorder, PaintImage.
enum PaintMode : int32_t {
    PaintBorder = 1,
    PaintFill = 2,
    PaintParentBackground = 4,
    PaintImage = 8,
};

// Style bits the layout's style names stand for (only these two matter on Linux).
constexpr uint32_t WS_CHILD = 0x40000000;
constexpr uint32_t WS_VISIBLE = 0x10000000;
constexpr uint32_t LVS_REPORT = 0x00000001;

/// Show command of CtrlShow: 0 hides, anything else shows.
constexpr int32_t SW_HIDE = 0;

struct ControlRecord {
    int32_t CtrlID = 0;
    QString CtrlBGPath;
    int32_t CtrlBGStatusCount = 0;
    QString CtrlBGColorText;
    COLORREF CtrlBGColor = 0;
    QString CtrlBorderColorText;
    COLORREF CtrlBorderColor = 0;
    int32_t CtrlPaintMode = 0;
    QString CtrlClass;
    uint32_t CtrlStyle = 0;
    QString CtrlDiscrip;
    QString CtrlText;
    QString CtrlTextColorText;
    COLORREF CtrlTextColor = 0;
    LayoutPoint CtrlTextOffSet;
    QString CtrlFont;
    int32_t CtrlFontSize = 0;
    int32_t CtrlPosType = 0;
    LayoutRect CtrlPos;
    int32_t CtrlShow = 0;
};

using ControlMap = std::map<int32_t, ControlRecord>;
/// Ordinal, case-sensitive keys (QString's operator< compares UTF-16 code units).
using StringMap = std::map<QString, QString>;

struct DialogRecord {
    int32_t DialogID = 0;
    QString DialogBGPath;
    QString DialogBGColorText;
    COLORREF DialogBGColor = 0;
    int32_t DlgPaintMode = 0;
    QString DialogText;
    QString DialogDiscrip;
    LayoutRect DialogPos;
    QString DlgTextColorText;
    COLORREF DlgTextColor = 0;
    LayoutPoint DlgTextOffSet;
    QString DialogFont;
    int32_t DialogFontSize = 0;
    ControlMap controlMap;
    StringMap stringMap;
};

void ResetDialogRecord(DialogRecord& record);
void ResetControlRecord(ControlRecord& record);

/// Reads dialog `nDialogID` in mode `strMode` from the file at `strPath` into `record`.
/// 0 for an empty path, 1 otherwise (also for a missing, unreadable, oversized, malformed or unmatched
/// file, which leave the record reset).
int32_t ReadLayoutFile(DialogRecord& record, const QString& strPath, int32_t nDialogID,
                       const QString& strMode);

/// Layout files above this size are refused (record reset); the shipped ones are a few kilobytes.
constexpr qint64 kMaxLayoutFileSize = 4 * 1024 * 1024;
/// Element nesting deeper than this is refused (record reset); the shipped files nest four deep.
constexpr int kMaxLayoutDepth = 64;

/// ReadLayoutFile on the file's bytes: always 1, with the record reset for content that is too
/// large, too deeply nested or not well-formed.
int32_t ReadLayoutDocument(DialogRecord& record, const QByteArray& content, int32_t nDialogID,
                           const QString& strMode);

/// Integer text like wcstol in base 10: white space, sign, digits; clamped to 32 bits; 0 without digits.
int32_t ParseIntText(const QString& strText);
/// "r,g,b" into a COLORREF; a malformed text leaves `color` unchanged.
void ParseColorText(const QString& strText, COLORREF& color);
void ParsePointText(const QString& strText, LayoutPoint& point);
/// "x,y,w,h"; fields are written as their commas are found, the rest keep their values.
void ParseRectText(const QString& strText, LayoutRect& rect);
uint32_t ParseStyleText(const QString& strText);

/// COLORREF 0x00BBGGRR to opaque ARGB 0xFFRRGGBB.
constexpr uint32_t ColorRefToArgb(COLORREF color) {
    return 0xFF000000u | (color & 0xFFu) << 16 | (color & 0xFF00u) | (color >> 16 & 0xFFu);
}

/// `SharedDataRoot()` (platform/data_folder.h) + `strLayoutPath`, the layout's backslashes turned into "/".
QString ResolveLayoutPath(const QString& strLayoutPath);

// The thirteen embedded layout variants: byte-level rules, element and attribute order, and what the
// reader makes of each one, compared with the values every variant is meant to carry.
#include "resources/resources.h"
#include "skin/layout_record.h"

#include <QFile>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

// Readable failure messages for texts.
void PrintTo(const QString& str, std::ostream* os) {
    *os << '"' << str.toStdString() << '"';
}

namespace {

const char* const kRoot = "/tmp/roamdock-layout-test-root";

struct Rect4 {
    int x, y, w, h;
};

// What every variant shares, per control in file order.
struct ControlRow {
    int nId;
    const char* pszClass;
    const char* pszImage; // file name in the variant's picture folder, "" for none
    int nCells;
    int nPaintMode;
    Rect4 pos;
    LayoutPoint offset;
    const char* pszTextColor;
    COLORREF textColor;
    int nFontSize;
    const char* pszEnglishDiscrip;
    const char* pszChineseDiscrip;
};

const ControlRow kControls[] = {
    {2101,
     "ShowImageCtrl",
     "logo.png",
     1,
     4,
     {7, 7, 16, 16},
     {0, 0},
     "255,255,255",
     0x00FFFFFF,
     12,
     "LOG Image Show",
     "LOG图片显示"},
    {2102,
     "ShowTextCtrl",
     "",
     1,
     4,
     {30, 4, 270, 25},
     {0, 0},
     "244,245,247",
     0x00F7F5F4,
     21,
     "Dialog Title",
     "对话框标题栏"},
    {2103,
     "StandardButton",
     "close.png",
     4,
     4,
     {300, 10, 11, 11},
     {0, 0},
     "244,245,247",
     0x00F7F5F4,
     12,
     "Close Button",
     "关闭按钮"},
    {2104,
     "ShowTextImageCtrl",
     "",
     1,
     4,
     {15, 32, 200, 15},
     {13, 2},
     "244,245,247",
     0x00F7F5F4,
     12,
     "Device List Title",
     "设备列表标题"},
    {2105,
     "StandardListCtrl",
     "",
     1,
     1,
     {10, 50, 308, 141},
     {0, 0},
     "6,65,105",
     0x00694106,
     13,
     "Device List Show",
     "设备列表栏"},
    {2106,
     "ShowTextImageCtrl",
     "Brush.png",
     1,
     4,
     {10, 194, 280, 15},
     {15, 1},
     "244,245,247",
     0x00F7F5F4,
     12,
     "",
     "刷新设备提示信息"},
    {2107,
     "StandardButton",
     "ButtonMax.png",
     4,
     4,
     {18, 210, 79, 23},
     {0, 6},
     "244,245,247",
     0x00F7F5F4,
     12,
     "Log In Button",
     "登陆按钮"},
    {2108,
     "StandardButton",
     "ButtonMax.png",
     4,
     4,
     {127, 210, 79, 23},
     {0, 6},
     "244,245,247",
     0x00F7F5F4,
     12,
     "Refresh Button",
     "刷新按钮"},
    {2109,
     "StandardButton",
     "ButtonMax.png",
     4,
     4,
     {228, 210, 79, 23},
     {0, 6},
     "244,245,247",
     0x00F7F5F4,
     12,
     "My Storage Button",
     "我的存储按钮"},
};

enum class Discrip { English, Chinese, Chinese151 };

struct LayoutCase {
    int nId;
    const char* pszLanguage;
    bool bByteOrderMark;
    const char* pszTitle;
    const char* pszFolder; // as the reader resolves it, below the data root
    const char* pszFont;
    bool bDarkDialogText; // DlgTextColor "6,65,105" instead of "244,245,247"
    Rect4 pos2104;
    Rect4 pos2106;
    Discrip discrip;
    // CtrlText of 2103 to 2109.
    const char* texts[7];
    // SEARCH_DEVICE_LIST_ITEM_NAME, _IP, _TYPE and SEARCH_DEVICE_WATI_TIME_WARNING.
    const char* strings[4];
};

constexpr Rect4 k2104 = {15, 32, 200, 15};
constexpr Rect4 k2106 = {10, 194, 280, 15};
constexpr Rect4 k2106Narrow = {10, 194, 224, 15};

const LayoutCase kLayouts[] = {
    {149,
     "SimplifiedChinese",
     true,
     "Vantro Roamdock",
     "/KIRUNSearchTools/Picture",
     "宋体",
     true,
     k2104,
     k2106Narrow,
     Discrip::Chinese,
     {"", "设备列表", "设备列表", "正在刷新设备列表,请等待...", "登 陆", "刷 新", "我的存储"},
     {"主机名称", "IP地址", "设备类型", "正在刷新设备列表,请等待"}},
    {150,
     "English",
     true,
     "Vantro Roamdock",
     "/KIRUNSearchTools/Picture",
     "Tahoma",
     false,
     k2104,
     k2106,
     Discrip::English,
     {"", "Device List", "Device List", "Searching new devices,please wait\u2026", "Log In", "Refresh",
      "My Storage"},
     {"Host Name", "IP Address", "Devcie Type", "Searching new devices,please wait"}},
    {151,
     "TraditionalChinese",
     true,
     "Vantro Roamdock",
     "/KIRUNSearchTools/Picture",
     "宋体",
     false,
     k2104,
     k2106,
     Discrip::Chinese151,
     {"", "設備明細", "設備明細", "正在重新整理設備明細,請等待...", "登 錄", "重新整理", "我的儲存"},
     {"主機名稱", "IP地址", "設備型號", "正在重新整理設備明細,請等待"}},
    {159,
     "Japanese",
     true,
     "Skyvalt",
     "/DefaultSearchTools/Picture",
     "MS Mincho",
     false,
     k2104,
     {10, 194, 310, 15},
     Discrip::English,
     {"", "デバイス一覧", "デバイス一覧", "を検索しています\u2026", "ログイン", "更新", "My Storage"},
     {"ホスト名", "IPアドレス", "デバイスタイプ", "を検索しています"}},
    {160,
     "German",
     true,
     "Skyvalt",
     "/DefaultSearchTools/Picture",
     "Arial",
     false,
     k2104,
     {10, 194, 290, 15},
     Discrip::English,
     {"", "Geräteliste", "Geräteliste", "Erfrischend , bitte warten ...", "Log In", "Refresh", "My Storage"},
     {"Gerätename", "IP Adresse", "Gerätetyp", "Erfrischend , bitte warten "}},
    {161,
     "French",
     true,
     "Skyvalt",
     "/DefaultSearchTools/Picture",
     "Arial",
     false,
     {15, 32, 250, 15},
     {10, 194, 300, 15},
     Discrip::English,
     {"", "Liste des Appareils", "Liste des Appareils",
      "Rechercher de nouveaux appareils, attendez-vous\u2026", "Connecter", "Rafraîchir", "Mon Storage"},
     {"Nom d'Hôte", "Adresse IP", "Type", "Actu liste appareils, attendez"}},
    {162,
     "Russian",
     true,
     "Skyvalt",
     "/DefaultSearchTools/Picture",
     "courier New",
     false,
     {15, 32, 250, 15},
     {10, 194, 300, 15},
     Discrip::English,
     {"", "Список устройства", "Список устройства", "Ища новый список,  ждите\u2026", "Вход", "Обновить",
      "устройство"},
     {"Имя хоста", " Адрес IP", "Тип", "Ища новые устройства, пожалуйста, ждите"}},
    {163,
     "Korean",
     true,
     "Skyvalt",
     "/DefaultSearchTools/Picture",
     "Dotum",
     false,
     {15, 32, 150, 15},
     {10, 194, 315, 15},
     Discrip::English,
     {"", "장치 리스트", "장치 리스트", "새로운 장치를 검색합니다. 기다리시오...", "로그인", "재검색",
      "Wifi Storage"},
     {"호스트 이름", "IP 주소", "장치 형태", "새로운 장치를 검색 중입니다.기다리세요"}},
    {164,
     "Portuguese",
     true,
     "Skyvalt",
     "/DefaultSearchTools/Picture",
     "Arial",
     false,
     k2104,
     k2106,
     Discrip::English,
     {"", "Lista dispos.", "Lista dispos.", "A procurar novos dispos., aguarde\u2026", "Login", "Refrescar",
      "Meu armazen."},
     {"Nome Host", "Endereço IP", "Tipo dispos.", "A procurar novos dispos., aguarde"}},
    {165,
     "Spanish",
     true,
     "Skyvalt",
     "/DefaultSearchTools/Picture",
     "Arial",
     true,
     k2104,
     k2106Narrow,
     Discrip::Chinese,
     {"", "Lista de dispositivos", "Lista de dispositivos", "Buscando dispositivos nuevos, espere\u2026",
      "Iniciar sesión", "Actualizar", "Mi almacén"},
     {"Nombre de host", "Dirección IP", "Tipo de dispositivo", "Buscando dispositivos nuevos, espere"}},
    {166,
     "Italian",
     true,
     "Skyvalt",
     "/DefaultSearchTools/Picture",
     "Arial",
     true,
     k2104,
     k2106Narrow,
     Discrip::Chinese,
     {"", "Elenco dispositivi", "Elenco dispositivi",
      "Ricerca di nuovi dispositivi in corso, attendere\u2026", "Accedi", "Aggiorna", "Il mio archivio"},
     {"Nome host", "Indirizzo IP", "Tipo di dispositivo",
      "Ricerca di nuovi dispositivi in corso, attendere"}},
    {169,
     "Dutch",
     true,
     "Skyvalt",
     "/DefaultSearchTools/Picture",
     "Arial",
     true,
     k2104,
     k2106Narrow,
     Discrip::Chinese,
     {"", "Apparaatlijst", "Apparaatlijst", "Zoeken naar nieuwe apparaten, even geduld alstublieft...",
      "Inloggen", "Vernieuwen", "Mijn Opslag"},
     {"Hostnaam", "IP-adres", "Apparaatsoort", "Zoeken naar nieuwe apparaten, even geduld alstublieft"}},
    {175,
     "Polish",
     false,
     "Poszukiwanie urządzenia",
     "/BreltoSearchTools/Picture",
     "Tahoma",
     false,
     k2104,
     k2106,
     Discrip::English,
     {"Zamknij", "Dostępne urządzenia", "Device List", "Poszukiwanie urządzenia trwa. Proszę czekać ..",
      "Login", "Odśwież", "Moja pamięć"},
     {"Nazwa urządzenia", "Adres IP", "Typ urządzenia", "Poszukiwanie urządzenia trwa. Proszę czekać .."}},
};

QString ResourcePath(int nId) {
    return QStringLiteral(":/XML/%1").arg(nId);
}

LayoutRect ToLayoutRect(const Rect4& r) {
    return {r.x, r.y, r.x + r.w, r.y + r.h};
}

QString U(const char* psz) {
    return QString::fromUtf8(psz);
}

::testing::AssertionResult SameRect(const LayoutRect& actual, const LayoutRect& expected) {
    if (actual.left == expected.left && actual.top == expected.top && actual.right == expected.right &&
        actual.bottom == expected.bottom)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "(" << actual.left << "," << actual.top << "," << actual.right << "," << actual.bottom
           << ") instead of (" << expected.left << "," << expected.top << "," << expected.right << ","
           << expected.bottom << ")";
}

void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << c.nId << " " << c.pszLanguage;
}

class LayoutFileTest : public ::testing::TestWithParam<LayoutCase> {
protected:
    static void SetUpTestSuite() {
        InitRoamdockResources();
        // The reader puts every layout path below this root.
        qputenv("XDG_DATA_HOME", kRoot);
    }

    QByteArray ReadBytes() const {
        QFile file(ResourcePath(GetParam().nId));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << "not embedded: " << qPrintable(file.fileName());
        return file.readAll();
    }
};

TEST_P(LayoutFileTest, ByteOrderMarkOnlyWhereExpected) {
    const QByteArray bytes = ReadBytes();
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_EQ(bytes.startsWith("\xEF\xBB\xBF"), GetParam().bByteOrderMark);
}

TEST_P(LayoutFileTest, DeclarationOpensTheDocument) {
    QByteArray bytes = ReadBytes();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"))
        << bytes.left(60).constData();
}

TEST_P(LayoutFileTest, EveryLineEndsInCrLf) {
    const QByteArray bytes = ReadBytes();
    ASSERT_FALSE(bytes.isEmpty());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at byte " << i;
        }
        if (bytes[i] == '\r') {
            ASSERT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "bare CR at byte " << i;
        }
    }
    EXPECT_TRUE(bytes.endsWith("\r\n"));
}

TEST_P(LayoutFileTest, IsValidUtf8) {
    const QByteArray bytes = ReadBytes();
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString strText = decoder(bytes);
    EXPECT_FALSE(decoder.hasError());
    EXPECT_FALSE(strText.contains(QChar::ReplacementCharacter));
}

// The reader cannot see order; the files keep the documented one for anything else that reads them.
TEST_P(LayoutFileTest, ElementsAndAttributesInFileOrder) {
    const std::vector<QString> kDialogAttributes = {"DialogID", "DialogText", "DialogDiscrip"};
    const std::vector<QString> kModeAttributes = {"DialogBGPath",   "DialogBGColor", "DlgPaintMode",
                                                  "DlgTextOffSet",  "DlgTextColor",  "DialogFont",
                                                  "DialogFontSize", "DialogPos"};
    const std::vector<QString> kCtrlAttributes = {
        "CtrlID",        "CtrlBGPath", "CtrlBGStatusCount", "CtrlBGColor",   "CtrlBorderColor",
        "CtrlPaintMode", "CtrlClass",  "CtrlStyle",         "CtrlPosType",   "CtrlPos",
        "CtrlShow",      "CtrlText",   "CtrlTextOffSet",    "CtrlTextColor", "CtrlFont",
        "CtrlFontSize",  "CtrlDiscrip"};
    const std::vector<QString> kStringAttributes = {"StringID", "StringValue"};
    const std::vector<QString> kStringIds = {
        "SEARCH_DEVICE_LIST_ITEM_NAME",        "SEARCH_DEVICE_LIST_ITEM_IP",
        "SEARCH_DEVICE_LIST_ITEM_TYPE",        "SEARCH_DEVICE_LIST_HEADER_FONT_NAME",
        "SEARCH_DEVICE_LIST_HEADER_FONT_SIZE", "SEARCH_DEVICE_LIST_HEADER_FONT_COLOR",
        "SEARCH_DEVICE_WATI_TIME_WARNING"};

    QXmlStreamReader reader(ReadBytes());
    std::vector<QString> path;
    std::vector<QString> elements;
    std::vector<int> ctrlIds;
    std::vector<QString> stringIds;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::EndElement) {
            path.pop_back();
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QString strName = reader.name().toString();
        std::vector<QString> names;
        for (const QXmlStreamAttribute& attribute : reader.attributes())
            names.push_back(attribute.name().toString());
        QString strParent = path.empty() ? QString() : path.back();
        elements.push_back(strParent + "/" + strName);
        if (strName == "WindowInformation") {
            EXPECT_TRUE(names.empty());
        } else if (strName == "DialogInfo") {
            EXPECT_EQ(names, kDialogAttributes);
        } else if (strName == "Standard") {
            EXPECT_EQ(names, kModeAttributes);
        } else if (strName == "CtrlInfo") {
            EXPECT_EQ(names, kCtrlAttributes) << "control " << ctrlIds.size();
            ctrlIds.push_back(reader.attributes().value("CtrlID").toInt());
        } else if (strName == "StringInfo") {
            EXPECT_EQ(names, kStringAttributes);
            stringIds.push_back(reader.attributes().value("StringID").toString());
        }
        path.push_back(strName);
    }
    ASSERT_FALSE(reader.hasError()) << qPrintable(reader.errorString());

    std::vector<QString> expectedElements = {"/WindowInformation", "WindowInformation/DialogInfo",
                                             "DialogInfo/Standard"};
    for (int i = 0; i < 9; ++i)
        expectedElements.push_back("Standard/CtrlInfo");
    for (int i = 0; i < 7; ++i)
        expectedElements.push_back("DialogInfo/StringInfo");
    EXPECT_EQ(elements, expectedElements);
    EXPECT_EQ(ctrlIds, (std::vector<int>{2101, 2102, 2103, 2104, 2105, 2106, 2107, 2108, 2109}));
    EXPECT_EQ(stringIds, kStringIds);
}

TEST_P(LayoutFileTest, ReadsIntoTheDialogRecord) {
    const LayoutCase& c = GetParam();
    const QString strRoot = QString::fromLatin1(kRoot);
    const QString strFolder = strRoot + U(c.pszFolder) + "/";
    const QString strDialogTextColor = c.bDarkDialogText ? "6,65,105" : "244,245,247";

    DialogRecord record;
    ASSERT_EQ(ReadLayoutFile(record, ResourcePath(c.nId), 201, "Standard"), 1);

    EXPECT_EQ(record.DialogID, 201);
    EXPECT_EQ(record.DialogText, U(c.pszTitle));
    EXPECT_EQ(record.DialogDiscrip,
              c.discrip == Discrip::English ? U("Search Device Windows") : U("搜索工具窗口"));
    EXPECT_EQ(record.DialogBGPath, strFolder + "SearchDevice_BlackGround.png");
    EXPECT_EQ(record.DialogBGColorText, "255,255,255");
    EXPECT_EQ(record.DialogBGColor, 0x00FFFFFFu);
    EXPECT_EQ(record.DlgPaintMode, 8);
    EXPECT_EQ(record.DlgTextOffSet.x, 0);
    EXPECT_EQ(record.DlgTextOffSet.y, 0);
    EXPECT_EQ(record.DlgTextColorText, strDialogTextColor);
    EXPECT_EQ(record.DlgTextColor, c.bDarkDialogText ? 0x00694106u : 0x00F7F5F4u);
    EXPECT_EQ(record.DialogFont, U(c.pszFont));
    EXPECT_EQ(record.DialogFontSize, 12);
    EXPECT_TRUE(SameRect(record.DialogPos, {0, 0, 328, 245}));

    ASSERT_EQ(record.controlMap.size(), 9u);
    for (size_t i = 0; i < std::size(kControls); ++i) {
        const ControlRow& row = kControls[i];
        SCOPED_TRACE(row.nId);
        const auto it = record.controlMap.find(row.nId);
        ASSERT_NE(it, record.controlMap.end());
        const ControlRecord& ctrl = it->second;
        const bool bKeepsTahoma = row.nId == 2102 || row.nId == 2105;
        const char* pszText = row.nId == 2101 ? "" : row.nId == 2102 ? c.pszTitle : c.texts[row.nId - 2103];
        const char* pszDiscrip = c.discrip == Discrip::English ? row.pszEnglishDiscrip
                                 : c.discrip == Discrip::Chinese151 && row.nId == 2103
                                     ? "關閉按钮"
                                     : row.pszChineseDiscrip;
        Rect4 pos = row.pos;
        if (row.nId == 2104)
            pos = c.pos2104;
        if (row.nId == 2106)
            pos = c.pos2106;

        EXPECT_EQ(ctrl.CtrlID, row.nId);
        // An empty image path still resolves, to the root itself.
        EXPECT_EQ(ctrl.CtrlBGPath, *row.pszImage ? strFolder + row.pszImage : strRoot);
        EXPECT_EQ(ctrl.CtrlBGStatusCount, row.nCells);
        EXPECT_EQ(ctrl.CtrlBGColorText, "255,255,255");
        EXPECT_EQ(ctrl.CtrlBGColor, 0x00FFFFFFu);
        EXPECT_EQ(ctrl.CtrlBorderColorText, "126,157,185");
        EXPECT_EQ(ctrl.CtrlBorderColor, 0x00B99D7Eu);
        EXPECT_EQ(ctrl.CtrlPaintMode, row.nPaintMode);
        EXPECT_EQ(ctrl.CtrlClass, row.pszClass);
        EXPECT_EQ(ctrl.CtrlStyle,
                  row.nId == 2105 ? (WS_CHILD | WS_VISIBLE | LVS_REPORT) : (WS_CHILD | WS_VISIBLE));
        EXPECT_EQ(ctrl.CtrlPosType, 3);
        EXPECT_TRUE(SameRect(ctrl.CtrlPos, ToLayoutRect(pos)));
        EXPECT_EQ(ctrl.CtrlShow, 5);
        EXPECT_EQ(ctrl.CtrlText, U(pszText));
        EXPECT_EQ(ctrl.CtrlTextOffSet.x, row.offset.x);
        EXPECT_EQ(ctrl.CtrlTextOffSet.y, row.offset.y);
        EXPECT_EQ(ctrl.CtrlTextColorText, row.pszTextColor);
        EXPECT_EQ(ctrl.CtrlTextColor, row.textColor);
        EXPECT_EQ(ctrl.CtrlFont, bKeepsTahoma ? U("Tahoma") : U(c.pszFont));
        EXPECT_EQ(ctrl.CtrlFontSize, row.nFontSize);
        EXPECT_EQ(ctrl.CtrlDiscrip, U(pszDiscrip));
    }

    const StringMap expectedStrings = {
        {"SEARCH_DEVICE_LIST_ITEM_NAME", U(c.strings[0])},
        {"SEARCH_DEVICE_LIST_ITEM_IP", U(c.strings[1])},
        {"SEARCH_DEVICE_LIST_ITEM_TYPE", U(c.strings[2])},
        {"SEARCH_DEVICE_LIST_HEADER_FONT_NAME", U(c.pszFont)},
        {"SEARCH_DEVICE_LIST_HEADER_FONT_SIZE", "12"},
        {"SEARCH_DEVICE_LIST_HEADER_FONT_COLOR", "244,245,247"},
        {"SEARCH_DEVICE_WATI_TIME_WARNING", U(c.strings[3])},
    };
    EXPECT_EQ(record.stringMap, expectedStrings);
}

std::string LayoutName(const ::testing::TestParamInfo<LayoutCase>& info) {
    return std::to_string(info.param.nId) + "_" + info.param.pszLanguage;
}

INSTANTIATE_TEST_SUITE_P(AllVariants, LayoutFileTest, ::testing::ValuesIn(kLayouts), LayoutName);

} // namespace

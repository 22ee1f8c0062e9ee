// ReadLayoutFile: what lands in the record, which elements are read, and hostile or broken files.
#include "skin/layout_record.h"
#include "skin_test_util.h"

#include <gtest/gtest.h>

#include <QFile>

#include <string>
#include <utility>
#include <vector>

namespace {

const QString kLayoutRel = QStringLiteral("/KIRUNSearchTools/WndLayoutInfo.xml");

const QString kReferenceBody = QStringLiteral(
    "\t<DialogInfo DialogID=\"201\" DialogText=\"Vantro Roamdock\" DialogDiscrip=\"搜索工具窗口\">\n"
    "\t\t<Standard DialogBGPath=\"\\KIRUNSearchTools\\Picture\\SearchDevice_BlackGround.png\" "
    "DialogBGColor=\"250,251,252\" DlgPaintMode=\"8\" DlgTextOffSet=\"3,4\" DlgTextColor=\"6,65,105\" "
    "DialogFont=\"宋体\" DialogFontSize=\"13\" DialogPos=\"1,2,328,245\">\n"
    "\t\t\t<CtrlInfo CtrlID=\"2105\" CtrlBGPath=\"\" CtrlBGStatusCount=\"2\" CtrlBGColor=\"1,2,3\" "
    "CtrlBorderColor=\"126,157,185\" CtrlPaintMode=\"1\" CtrlClass=\"StandardListCtrl\" "
    "CtrlStyle=\"WS_CHILD|WS_VISIBLE|LVS_REPORT\" CtrlPosType=\"3\" CtrlPos=\"10,50,308,141\" CtrlShow=\"5\" "
    "CtrlText=\"Device List\" CtrlTextOffSet=\"13,2\" CtrlTextColor=\"6,65,105\" CtrlFont=\"Tahoma\" "
    "CtrlFontSize=\"14\" CtrlDiscrip=\"Device List Show\"/>\n"
    "\t\t\t<CtrlInfo CtrlID=\"2103\" CtrlBGPath=\"\\KIRUNSearchTools\\Picture\\close.png\" "
    "CtrlBGStatusCount=\"4\" CtrlBGColor=\"255,255,255\" CtrlBorderColor=\"126,157,185\" CtrlPaintMode=\"4\" "
    "CtrlClass=\"StandardButton\" CtrlStyle=\"WS_CHILD|WS_VISIBLE\" CtrlPosType=\"3\" "
    "CtrlPos=\"300,10,11,11\" CtrlShow=\"5\" CtrlText=\"&lt;b&gt;x&amp;y\" CtrlTextOffSet=\"0,0\" "
    "CtrlTextColor=\"244,245,247\" CtrlFont=\"Tahoma\" CtrlFontSize=\"12\" CtrlDiscrip=\"Close Button\"/>\n"
    "\t\t</Standard>\n"
    "\t\t<StringInfo StringID=\"SEARCH_DEVICE_LIST_ITEM_NAME\" StringValue=\"主机名称\"/>\n"
    "\t\t<StringInfo StringID=\"SEARCH_DEVICE_LIST_ITEM_IP\" StringValue=\"IP Address\"/>\n"
    "\t</DialogInfo>");

class LayoutReaderTest : public testing::Test {
protected:
    /// Writes `content` as the layout file and reads it; returns the reader's result.
    int32_t ReadContent(const QByteArray& content, int32_t nDialogID = 201,
                        const QString& strMode = QStringLiteral("Standard")) {
        EXPECT_TRUE(m_root.Write(kLayoutRel, content));
        return ReadLayoutFile(m_record, m_root.Path() + kLayoutRel, nDialogID, strMode);
    }

    /// Fills the record with something so that a reset is visible.
    void Dirty() {
        m_record.DialogID = 7;
        m_record.DialogText = QStringLiteral("stale");
        m_record.controlMap[1].CtrlText = QStringLiteral("stale");
        m_record.stringMap[QStringLiteral("a")] = QStringLiteral("stale");
    }

    void ExpectReset() const {
        EXPECT_EQ(m_record.DialogID, 0);
        EXPECT_TRUE(m_record.DialogText.isEmpty());
        EXPECT_TRUE(m_record.DialogBGPath.isEmpty());
        EXPECT_EQ(m_record.DialogFontSize, 0);
        EXPECT_TRUE(m_record.controlMap.empty());
        EXPECT_TRUE(m_record.stringMap.empty());
    }

    ScopedDataRoot m_root;
    DialogRecord m_record;
};

TEST_F(LayoutReaderTest, ReadsEveryDialogField) {
    ASSERT_EQ(ReadContent(LayoutDocument(kReferenceBody)), 1);
    EXPECT_EQ(m_record.DialogID, 201);
    EXPECT_EQ(m_record.DialogText, QStringLiteral("Vantro Roamdock"));
    EXPECT_EQ(m_record.DialogDiscrip, QStringLiteral("搜索工具窗口"));
    EXPECT_EQ(m_record.DialogBGPath,
              m_root.Path() + "/KIRUNSearchTools/Picture/SearchDevice_BlackGround.png");
    EXPECT_EQ(m_record.DialogBGColorText, QStringLiteral("250,251,252"));
    EXPECT_EQ(m_record.DialogBGColor, 0x00FCFBFAu);
    EXPECT_EQ(m_record.DlgPaintMode, 8);
    EXPECT_EQ(m_record.DlgTextOffSet.x, 3);
    EXPECT_EQ(m_record.DlgTextOffSet.y, 4);
    EXPECT_EQ(m_record.DlgTextColorText, QStringLiteral("6,65,105"));
    EXPECT_EQ(m_record.DlgTextColor, 0x00694106u);
    EXPECT_EQ(m_record.DialogFont, QStringLiteral("宋体"));
    EXPECT_EQ(m_record.DialogFontSize, 13);
    EXPECT_EQ(m_record.DialogPos.left, 1);
    EXPECT_EQ(m_record.DialogPos.top, 2);
    EXPECT_EQ(m_record.DialogPos.right, 329);
    EXPECT_EQ(m_record.DialogPos.bottom, 247);
}

TEST_F(LayoutReaderTest, ReadsEveryControlFieldKeyedByAscendingId) {
    ASSERT_EQ(ReadContent(LayoutDocument(kReferenceBody)), 1);
    ASSERT_EQ(m_record.controlMap.size(), 2u);
    EXPECT_EQ(m_record.controlMap.begin()->first, 2103);

    const ControlRecord& list = m_record.controlMap.at(2105);
    EXPECT_EQ(list.CtrlID, 2105);
    // An empty image path still names the root itself.
    EXPECT_EQ(list.CtrlBGPath, m_root.Path());
    EXPECT_EQ(list.CtrlBGStatusCount, 2);
    EXPECT_EQ(list.CtrlBGColorText, QStringLiteral("1,2,3"));
    EXPECT_EQ(list.CtrlBGColor, 0x00030201u);
    EXPECT_EQ(list.CtrlBorderColorText, QStringLiteral("126,157,185"));
    EXPECT_EQ(list.CtrlBorderColor, 0x00B99D7Eu);
    EXPECT_EQ(list.CtrlPaintMode, 1);
    EXPECT_EQ(list.CtrlClass, QStringLiteral("StandardListCtrl"));
    EXPECT_EQ(list.CtrlStyle, WS_CHILD | WS_VISIBLE | LVS_REPORT);
    EXPECT_EQ(list.CtrlPosType, 3);
    EXPECT_EQ(list.CtrlPos.left, 10);
    EXPECT_EQ(list.CtrlPos.top, 50);
    EXPECT_EQ(list.CtrlPos.right, 318);
    EXPECT_EQ(list.CtrlPos.bottom, 191);
    EXPECT_EQ(list.CtrlShow, 5);
    EXPECT_EQ(list.CtrlText, QStringLiteral("Device List"));
    EXPECT_EQ(list.CtrlTextOffSet.x, 13);
    EXPECT_EQ(list.CtrlTextOffSet.y, 2);
    EXPECT_EQ(list.CtrlTextColorText, QStringLiteral("6,65,105"));
    EXPECT_EQ(list.CtrlTextColor, 0x00694106u);
    EXPECT_EQ(list.CtrlFont, QStringLiteral("Tahoma"));
    EXPECT_EQ(list.CtrlFontSize, 14);
    EXPECT_EQ(list.CtrlDiscrip, QStringLiteral("Device List Show"));

    const ControlRecord& close = m_record.controlMap.at(2103);
    EXPECT_EQ(close.CtrlBGPath, m_root.Path() + "/KIRUNSearchTools/Picture/close.png");
    // Entities are decoded, and the text stays text.
    EXPECT_EQ(close.CtrlText, QStringLiteral("<b>x&y"));
}

TEST_F(LayoutReaderTest, ReadsStringsWithExactKeys) {
    ASSERT_EQ(ReadContent(LayoutDocument(kReferenceBody)), 1);
    ASSERT_EQ(m_record.stringMap.size(), 2u);
    EXPECT_EQ(m_record.stringMap.at(QStringLiteral("SEARCH_DEVICE_LIST_ITEM_IP")),
              QStringLiteral("IP Address"));
    EXPECT_EQ(m_record.stringMap.at(QStringLiteral("SEARCH_DEVICE_LIST_ITEM_NAME")),
              QStringLiteral("主机名称"));
    EXPECT_EQ(m_record.stringMap.count(QStringLiteral("search_device_list_item_ip")), 0u);
}

TEST_F(LayoutReaderTest, EmptyPathReturnsZeroAndResets) {
    Dirty();
    EXPECT_EQ(ReadLayoutFile(m_record, QString(), 201, QStringLiteral("Standard")), 0);
    ExpectReset();
}

TEST_F(LayoutReaderTest, WithoutDataRootPathsHoldTheAttributeTextAlone) {
    qunsetenv("XDG_DATA_HOME");
    const QByteArray savedHome = qgetenv("HOME");
    qunsetenv("HOME");
    const int32_t nResult =
        ReadLayoutDocument(m_record, LayoutDocument(kReferenceBody), 201, QStringLiteral("Standard"));
    qputenv("HOME", savedHome);
    EXPECT_EQ(nResult, 1);
    EXPECT_EQ(m_record.DialogBGPath,
              QStringLiteral("/KIRUNSearchTools/Picture/SearchDevice_BlackGround.png"));
    EXPECT_EQ(m_record.controlMap.at(2105).CtrlBGPath, QString());
}

TEST_F(LayoutReaderTest, MissingAttributesReadAsEmptyText) {
    const QString strBody = QStringLiteral("<DialogInfo DialogID=\"201\"><Standard>"
                                           "<CtrlInfo CtrlID=\"7\"/><CtrlInfo/></Standard>"
                                           "<StringInfo StringValue=\"v\"/><StringInfo StringID=\"k\"/>"
                                           "</DialogInfo>");
    ASSERT_EQ(ReadContent(LayoutDocument(strBody)), 1);
    EXPECT_EQ(m_record.DialogID, 201);
    EXPECT_TRUE(m_record.DialogText.isEmpty());
    EXPECT_EQ(m_record.DialogBGPath, m_root.Path());
    EXPECT_TRUE(m_record.DialogBGColorText.isEmpty());
    EXPECT_EQ(m_record.DialogBGColor, 0u);
    EXPECT_EQ(m_record.DialogPos.right, 0);
    ASSERT_EQ(m_record.controlMap.size(), 2u);
    const ControlRecord& control = m_record.controlMap.at(7);
    EXPECT_EQ(control.CtrlBGPath, m_root.Path());
    EXPECT_TRUE(control.CtrlClass.isEmpty());
    EXPECT_EQ(control.CtrlStyle, 0u);
    EXPECT_EQ(control.CtrlShow, 0);
    // A CtrlInfo without an id is control 0.
    EXPECT_EQ(m_record.controlMap.count(0), 1u);
    ASSERT_EQ(m_record.stringMap.size(), 2u);
    EXPECT_EQ(m_record.stringMap.at(QString()), QStringLiteral("v"));
    EXPECT_EQ(m_record.stringMap.at(QStringLiteral("k")), QString());
}

TEST_F(LayoutReaderTest, MalformedValuesKeepTheirTextAndLeaveParsedFieldsAtZero) {
    const QString strBody = QStringLiteral(
        "<DialogInfo DialogID=\"201\"><Standard DialogBGColor=\"255,255\" DlgTextOffSet=\"3\" "
        "DlgTextColor=\"300,0,0\" DialogPos=\"5,6,7\" DialogFontSize=\" 12px\" DlgPaintMode=\"px12\"/>"
        "</DialogInfo>");
    ASSERT_EQ(ReadContent(LayoutDocument(strBody)), 1);
    EXPECT_EQ(m_record.DialogBGColorText, QStringLiteral("255,255"));
    EXPECT_EQ(m_record.DialogBGColor, 0u);
    EXPECT_EQ(m_record.DlgTextOffSet.x, 0);
    EXPECT_EQ(m_record.DlgTextOffSet.y, 0);
    EXPECT_EQ(m_record.DlgTextColor, 44u);
    EXPECT_EQ(m_record.DialogPos.left, 5);
    EXPECT_EQ(m_record.DialogPos.top, 6);
    EXPECT_EQ(m_record.DialogPos.right, 0);
    EXPECT_EQ(m_record.DialogPos.bottom, 0);
    EXPECT_EQ(m_record.DialogFontSize, 12);
    EXPECT_EQ(m_record.DlgPaintMode, 0);
}

// Which elements the reader takes: one row per structural rule.
struct SelectionCase {
    const char* pszName;
    const char16_t* pszBody;
    int32_t nDialogID;
    const char16_t* pszMode;
    int32_t nExpectedDialogID;
    const char16_t* pszExpectedText;
    std::vector<std::pair<int32_t, const char16_t*>> controls; ///< CtrlID → CtrlText
    std::vector<std::pair<const char16_t*, const char16_t*>> strings;
};

std::string SelectionName(const testing::TestParamInfo<SelectionCase>& info) {
    return info.param.pszName;
}

class LayoutSelectionTest : public LayoutReaderTest, public testing::WithParamInterface<SelectionCase> {};

TEST_P(LayoutSelectionTest, TakesTheDocumentedElements) {
    const SelectionCase& row = GetParam();
    Dirty();
    ASSERT_EQ(ReadContent(LayoutDocument(QString::fromUtf16(row.pszBody)), row.nDialogID,
                          QString::fromUtf16(row.pszMode)),
              1);
    EXPECT_EQ(m_record.DialogID, row.nExpectedDialogID);
    EXPECT_EQ(m_record.DialogText, QString::fromUtf16(row.pszExpectedText));
    std::vector<std::pair<int32_t, QString>> controls;
    for (const auto& [nCtrlID, control] : m_record.controlMap)
        controls.emplace_back(nCtrlID, control.CtrlText);
    std::vector<std::pair<int32_t, QString>> expectedControls;
    for (const auto& [nCtrlID, pszText] : row.controls)
        expectedControls.emplace_back(nCtrlID, QString::fromUtf16(pszText));
    EXPECT_EQ(controls, expectedControls);
    std::vector<std::pair<QString, QString>> strings(m_record.stringMap.begin(), m_record.stringMap.end());
    std::vector<std::pair<QString, QString>> expectedStrings;
    for (const auto& [pszID, pszValue] : row.strings)
        expectedStrings.emplace_back(QString::fromUtf16(pszID), QString::fromUtf16(pszValue));
    EXPECT_EQ(strings, expectedStrings);
}

#define CTRL(id, text) "<CtrlInfo CtrlID=\"" #id "\" CtrlText=\"" text "\"/>"
#define STR(id, value) "<StringInfo StringID=\"" id "\" StringValue=\"" value "\"/>"

const SelectionCase kSelectionCases[] = {
    {"Reference",
     u"<DialogInfo DialogID=\"201\" DialogText=\"T\"><Standard>" CTRL(2, "b")
         CTRL(1, "a") u"</Standard>" STR("k", "v") u"</DialogInfo>",
     201,
     u"Standard",
     201,
     u"T",
     {{1, u"a"}, {2, u"b"}},
     {{u"k", u"v"}}},
    {"OtherDialogIdGivesEmptyRecord",
     u"<DialogInfo DialogID=\"201\" DialogText=\"T\"><Standard>" CTRL(1, "a") u"</Standard>" STR(
         "k", "v") u"</DialogInfo>",
     202,
     u"Standard",
     0,
     u"",
     {},
     {}},
    {"OtherModeReadsTextAndStringsOnly",
     u"<DialogInfo DialogID=\"201\" DialogText=\"T\"><Standard>" CTRL(1, "a") u"</Standard>" STR(
         "k", "v") u"</DialogInfo>",
     201,
     u"Compact",
     201,
     u"T",
     {},
     {{u"k", u"v"}}},
    {"ModeNameIsCaseSensitive",
     u"<DialogInfo DialogID=\"201\" DialogText=\"T\"><Standard>" CTRL(1, "a") u"</Standard></DialogInfo>",
     201,
     u"standard",
     201,
     u"T",
     {},
     {}},
    {"EmptyModeSelectsNothing",
     u"<DialogInfo DialogID=\"201\" DialogText=\"T\"><Standard>" CTRL(1, "a") u"</Standard></DialogInfo>",
     201,
     u"",
     201,
     u"T",
     {},
     {}},
    {"LeadingZeroIdMatches",
     u"<DialogInfo DialogID=\"0201\" DialogText=\"T\"/>",
     201,
     u"Standard",
     201,
     u"T",
     {},
     {}},
    {"DuplicateControlFirstWins",
     u"<DialogInfo DialogID=\"201\"><Standard>" CTRL(5, "first")
         CTRL(5, "second") u"</Standard></DialogInfo>",
     201,
     u"Standard",
     201,
     u"",
     {{5, u"first"}},
     {}},
    {"DuplicateStringFirstWins",
     u"<DialogInfo DialogID=\"201\">" STR("k", "first") STR("k", "second") u"</DialogInfo>",
     201,
     u"Standard",
     201,
     u"",
     {},
     {{u"k", u"first"}}},
    {"NestedControlIsRead",
     u"<DialogInfo DialogID=\"201\"><Standard><Group>" CTRL(3, "deep") u"</Group>" CTRL(
         4, "flat") u"</Standard></DialogInfo>",
     201,
     u"Standard",
     201,
     u"",
     {{3, u"deep"}, {4, u"flat"}},
     {}},
    {"StringInsideModeIsRead",
     u"<DialogInfo DialogID=\"201\"><Standard>" STR("inner", "1") u"</Standard>" STR("outer",
                                                                                     "2") u"</DialogInfo>",
     201,
     u"Standard",
     201,
     u"",
     {},
     {{u"inner", u"1"}, {u"outer", u"2"}}},
    {"ControlOutsideModeIsIgnored",
     u"<DialogInfo DialogID=\"201\">" CTRL(1, "stray") u"<Standard>" CTRL(2,
                                                                          "kept") u"</Standard></DialogInfo>",
     201,
     u"Standard",
     201,
     u"",
     {{2, u"kept"}},
     {}},
    {"ModeMustBeAChildOfTheDialog",
     u"<DialogInfo DialogID=\"201\"><Wrap><Standard>" CTRL(1, "a") u"</Standard></Wrap></DialogInfo>",
     201,
     u"Standard",
     201,
     u"",
     {},
     {}},
    {"FirstModeElementOnly",
     u"<DialogInfo DialogID=\"201\"><Standard>" CTRL(1, "a") u"</Standard><Standard>" CTRL(
         2, "b") u"</Standard></DialogInfo>",
     201,
     u"Standard",
     201,
     u"",
     {{1, u"a"}},
     {}},
    {"SecondDialogWithSameIdOverwritesScalarsAndAddsNewIds",
     u"<DialogInfo DialogID=\"201\" DialogText=\"one\"><Standard>" CTRL(1, "a1") u"</Standard>" STR(
         "k", "v1") u"</DialogInfo><DialogInfo DialogID=\"201\" DialogText=\"two\"><Standard>" CTRL(1, "a2")
         CTRL(2, "b2") u"</Standard>" STR("k", "v2") STR("m", "w2") u"</DialogInfo>",
     201,
     u"Standard",
     201,
     u"two",
     {{1, u"a1"}, {2, u"b2"}},
     {{u"k", u"v1"}, {u"m", u"w2"}}},
    {"OnlyTheMatchingDialogIsRead",
     u"<DialogInfo DialogID=\"200\" DialogText=\"other\">" STR(
         "x", "y") u"</DialogInfo>"
                   u"<DialogInfo DialogID=\"201\" DialogText=\"mine\">" STR("k", "v") u"</DialogInfo>",
     201,
     u"Standard",
     201,
     u"mine",
     {},
     {{u"k", u"v"}}},
    {"DialogOutsideWindowInformationIsIgnored",
     u"<Other><DialogInfo DialogID=\"201\" DialogText=\"T\"/></Other>",
     201,
     u"Standard",
     0,
     u"",
     {},
     {}},
};

#undef CTRL
#undef STR

INSTANTIATE_TEST_SUITE_P(Table, LayoutSelectionTest, testing::ValuesIn(kSelectionCases), SelectionName);

TEST_F(LayoutReaderTest, OtherDocumentElementGivesEmptyRecord) {
    const QByteArray content(
        "<?xml version=\"1.0\"?><Layout><DialogInfo DialogID=\"201\" DialogText=\"T\"/></Layout>");
    Dirty();
    EXPECT_EQ(ReadContent(content), 1);
    ExpectReset();
}

// Files that must leave the record reset with result 1, and never crash or hang.
struct BadFileCase {
    const char* pszName;
    QByteArray (*pfnMake)();
};

std::string BadFileName(const testing::TestParamInfo<BadFileCase>& info) {
    return info.param.pszName;
}

/// A control below `nDepth` Group elements; the whole document nests nDepth + 4 deep.
QByteArray Nested(int nDepth) {
    QByteArray body;
    for (int i = 0; i < nDepth; ++i)
        body += "<Group>";
    body += "<CtrlInfo CtrlID=\"1\"/>";
    for (int i = 0; i < nDepth; ++i)
        body += "</Group>";
    return "<WindowInformation><DialogInfo DialogID=\"201\" DialogText=\"T\"><Standard>" + body +
           "</Standard></DialogInfo></WindowInformation>";
}

const BadFileCase kBadFileCases[] = {
    {"Empty", [] { return QByteArray(); }},
    {"NotXml", [] { return QByteArray("\x00\x01\x02 binary \xFF\xFE", 14); }},
    {"Truncated",
     [] { return LayoutDocument(kReferenceBody).left(LayoutDocument(kReferenceBody).size() / 2); }},
    {"UnclosedRoot",
     [] { return QByteArray("<WindowInformation><DialogInfo DialogID=\"201\" DialogText=\"T\"/>"); }},
    {"MismatchedTags",
     [] { return QByteArray("<WindowInformation><DialogInfo DialogID=\"201\"></Standard>"); }},
    {"TwoRoots", [] { return QByteArray("<WindowInformation/><WindowInformation/>"); }},
    {"TenMegabyteAttribute",
     [] {
         return LayoutDocument("<DialogInfo DialogID=\"201\" DialogText=\"" +
                               QString(10 * 1024 * 1024, u'x') + "\"/>");
     }},
    {"DeepNesting", [] { return Nested(100000); }},
    {"NestingOneBeyondTheLimit", [] { return Nested(kMaxLayoutDepth - 3); }},
    {"EntityExpansion",
     [] {
         QByteArray doc = "<?xml version=\"1.0\"?><!DOCTYPE WindowInformation [<!ENTITY a0 \"xxxxxxxxxx\">";
         for (int i = 1; i < 12; ++i)
             doc += "<!ENTITY a" + QByteArray::number(i) + " \"" +
                    QByteArray("&a" + QByteArray::number(i - 1) + ";").repeated(10) + "\">";
         return doc + "]><WindowInformation><DialogInfo DialogID=\"201\" "
                      "DialogText=\"&a11;\"/></WindowInformation>";
     }},
};

class LayoutBadFileTest : public LayoutReaderTest, public testing::WithParamInterface<BadFileCase> {};

TEST_P(LayoutBadFileTest, LeavesRecordResetAndReturnsOne) {
    Dirty();
    EXPECT_EQ(ReadContent(GetParam().pfnMake()), 1);
    ExpectReset();
}

INSTANTIATE_TEST_SUITE_P(Table, LayoutBadFileTest, testing::ValuesIn(kBadFileCases), BadFileName);

TEST_F(LayoutReaderTest, MissingFileLeavesRecordResetAndReturnsOne) {
    Dirty();
    EXPECT_EQ(ReadLayoutFile(m_record, m_root.Path() + "/nothing/here.xml", 201, QStringLiteral("Standard")),
              1);
    ExpectReset();
}

TEST_F(LayoutReaderTest, FolderInsteadOfFileLeavesRecordResetAndReturnsOne) {
    Dirty();
    EXPECT_EQ(ReadLayoutFile(m_record, m_root.Path(), 201, QStringLiteral("Standard")), 1);
    ExpectReset();
}

TEST_F(LayoutReaderTest, UnreadableFileLeavesRecordResetAndReturnsOne) {
    ASSERT_TRUE(m_root.Write(kLayoutRel, LayoutDocument(kReferenceBody)));
    QFile file(m_root.Path() + kLayoutRel);
    ASSERT_TRUE(file.setPermissions(QFileDevice::Permissions()));
    if (file.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "running with rights that read any file (root)";
    Dirty();
    EXPECT_EQ(ReadLayoutFile(m_record, file.fileName(), 201, QStringLiteral("Standard")), 1);
    ExpectReset();
}

TEST_F(LayoutReaderTest, NestingAtTheLimitIsRead) {
    ASSERT_EQ(ReadContent(Nested(kMaxLayoutDepth - 4)), 1);
    EXPECT_EQ(m_record.controlMap.count(1), 1u);
}

TEST_F(LayoutReaderTest, LargeAttributeBelowTheSizeLimitIsRead) {
    const QString strLong(3 * 1024 * 1024, u'y');
    ASSERT_EQ(ReadContent(LayoutDocument("<DialogInfo DialogID=\"201\" DialogText=\"" + strLong + "\"/>")),
              1);
    EXPECT_EQ(m_record.DialogText, strLong);
}

TEST_F(LayoutReaderTest, ReadsUtf8WithoutByteOrderMarkAndWithLfLineEnds) {
    QByteArray content = LayoutDocument(kReferenceBody).mid(3);
    content.replace("\r\n", "\n");
    ASSERT_EQ(ReadContent(content), 1);
    EXPECT_EQ(m_record.DialogDiscrip, QStringLiteral("搜索工具窗口"));
    EXPECT_EQ(m_record.controlMap.size(), 2u);
}

} // namespace

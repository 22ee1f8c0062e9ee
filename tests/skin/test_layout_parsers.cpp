// The value parsers of the layout file: integers, colours, points, rectangles and style lists.
#include "skin/layout_record.h"

#include <gtest/gtest.h>

#include <string>

namespace {

template <typename Case> std::string CaseName(const testing::TestParamInfo<Case>& info) {
    return info.param.pszName;
}

struct IntCase {
    const char* pszName;
    const char16_t* pszText;
    int32_t nExpected;
};

class ParseIntTextTest : public testing::TestWithParam<IntCase> {};

TEST_P(ParseIntTextTest, ReadsLikeWcstolBase10) {
    EXPECT_EQ(ParseIntText(QString::fromUtf16(GetParam().pszText)), GetParam().nExpected);
}

const IntCase kIntCases[] = {
    {"Plain", u"201", 201},
    {"LeadingZero", u"0201", 201},
    {"LeadingBlankThenUnit", u" 12px", 12},
    {"UnitFirst", u"px12", 0},
    {"LeadingTabsAndNewline", u"\t\n 7", 7},
    {"Negative", u"-35", -35},
    {"ExplicitPlus", u"+8", 8},
    {"SignWithoutDigits", u"-", 0},
    {"BlankBetweenSignAndDigits", u"- 5", 0},
    {"Empty", u"", 0},
    {"OnlyBlanks", u"   ", 0},
    {"StopsAtComma", u"5,6", 5},
    {"StopsAtDecimalPoint", u"12.9", 12},
    {"Maximum", u"2147483647", 2147483647},
    {"AboveMaximumClamps", u"2147483648", 2147483647},
    {"Minimum", u"-2147483648", INT32_MIN},
    {"BelowMinimumClamps", u"-2147483649", INT32_MIN},
    {"HugeDigitRunClamps", u"99999999999999999999999999999999999999", 2147483647},
    {"HugeNegativeDigitRunClamps", u"-99999999999999999999999999999999999", INT32_MIN},
    {"FullWidthDigitsAreNotDigits", u"\uFF11\uFF12", 0},
    {"HexIsNotRead", u"0x1F", 0},
};

INSTANTIATE_TEST_SUITE_P(Table, ParseIntTextTest, testing::ValuesIn(kIntCases), CaseName<IntCase>);

struct ColorCase {
    const char* pszName;
    const char16_t* pszText;
    COLORREF nExpected; ///< starting value 0x00ABCDEF means "left unchanged"
};

constexpr COLORREF kUntouchedColor = 0x00ABCDEF;

class ParseColorTextTest : public testing::TestWithParam<ColorCase> {};

TEST_P(ParseColorTextTest, ConvertsToColorRef) {
    COLORREF color = kUntouchedColor;
    ParseColorText(QString::fromUtf16(GetParam().pszText), color);
    EXPECT_EQ(color, GetParam().nExpected);
}

const ColorCase kColorCases[] = {
    {"RedInLowByte", u"126,157,185", 0x00B99D7E},
    {"NearWhite", u"244,245,247", 0x00F7F5F4},
    {"Black", u"0,0,0", 0x00000000},
    {"RedAbove255KeepsLowByte", u"300,0,0", 44},
    {"NegativeKeepsLowByte", u"-1,0,0", 0xFF},
    {"BlanksAroundNumbers", u" 1, 2, 3", 0x00030201},
    {"FourNumbersReadThirdUpToComma", u"1,2,3,4", 0x00030201},
    {"MissingNumbersReadAsZero", u",,", 0x00000000},
    {"TwoNumbersLeaveUnchanged", u"255,255", kUntouchedColor},
    {"OneNumberLeavesUnchanged", u"255", kUntouchedColor},
    {"EmptyLeavesUnchanged", u"", kUntouchedColor},
    {"TrailingCommaAfterOneNumber", u"255,", kUntouchedColor},
    {"Words", u"red,green,blue", 0x00000000},
};

INSTANTIATE_TEST_SUITE_P(Table, ParseColorTextTest, testing::ValuesIn(kColorCases), CaseName<ColorCase>);

struct PointCase {
    const char* pszName;
    const char16_t* pszText;
    LayoutPoint expected; ///< starting point (-7, -9) means "left unchanged"
};

class ParsePointTextTest : public testing::TestWithParam<PointCase> {};

TEST_P(ParsePointTextTest, ReadsXAndY) {
    LayoutPoint point{-7, -9};
    ParsePointText(QString::fromUtf16(GetParam().pszText), point);
    EXPECT_EQ(point.x, GetParam().expected.x);
    EXPECT_EQ(point.y, GetParam().expected.y);
}

const PointCase kPointCases[] = {
    {"TwoNumbers", u"13,2", {13, 2}},        {"SecondCommaEndsY", u"15,1,99", {15, 1}},
    {"Negative", u"-4,-5", {-4, -5}},        {"SingleNumberLeavesUnchanged", u"3", {-7, -9}},
    {"EmptyLeavesUnchanged", u"", {-7, -9}}, {"EmptyYReadsZero", u"3,", {3, 0}},
};

INSTANTIATE_TEST_SUITE_P(Table, ParsePointTextTest, testing::ValuesIn(kPointCases), CaseName<PointCase>);

struct RectCase {
    const char* pszName;
    const char16_t* pszText;
    LayoutRect expected; ///< starting rectangle (-1, -2, -3, -4) means "left unchanged"
};

class ParseRectTextTest : public testing::TestWithParam<RectCase> {};

TEST_P(ParseRectTextTest, WritesFieldsAsCommasAreFound) {
    LayoutRect rect{-1, -2, -3, -4};
    ParseRectText(QString::fromUtf16(GetParam().pszText), rect);
    EXPECT_EQ(rect.left, GetParam().expected.left);
    EXPECT_EQ(rect.top, GetParam().expected.top);
    EXPECT_EQ(rect.right, GetParam().expected.right);
    EXPECT_EQ(rect.bottom, GetParam().expected.bottom);
}

const RectCase kRectCases[] = {
    {"WidthAndHeightBecomeEdges", u"10,20,300,200", {10, 20, 310, 220}},
    {"ShippedDialog", u"0,0,328,245", {0, 0, 328, 245}},
    {"FourNumbers", u"5,6,7,8", {5, 6, 12, 14}},
    {"ThreeNumbersSetLeftAndTop", u"5,6,7", {5, 6, -3, -4}},
    {"TwoNumbersSetLeftOnly", u"5,6", {5, -2, -3, -4}},
    {"OneNumberLeavesUnchanged", u"5", {-1, -2, -3, -4}},
    {"EmptyLeavesUnchanged", u"", {-1, -2, -3, -4}},
    {"FifthNumberIgnored", u"1,2,3,4,5", {1, 2, 4, 6}},
    {"OverflowingRightSaturates", u"2147483647,0,10,0", {2147483647, 0, 2147483647, 0}},
    {"UnderflowingBottomSaturates", u"0,-2147483648,0,-5", {0, INT32_MIN, 0, INT32_MIN}},
};

INSTANTIATE_TEST_SUITE_P(Table, ParseRectTextTest, testing::ValuesIn(kRectCases), CaseName<RectCase>);

struct StyleCase {
    const char* pszName;
    const char16_t* pszText;
    uint32_t nExpected;
};

class ParseStyleTextTest : public testing::TestWithParam<StyleCase> {};

TEST_P(ParseStyleTextTest, OrsEveryNameFound) {
    EXPECT_EQ(ParseStyleText(QString::fromUtf16(GetParam().pszText)), GetParam().nExpected);
}

const StyleCase kStyleCases[] = {
    {"ChildVisible", u"WS_CHILD|WS_VISIBLE", 0x50000000},
    {"ReportList", u"WS_CHILD|WS_VISIBLE|LVS_REPORT", 0x50000001},
    {"NoSeparator", u"WS_VISIBLEWS_CHILD", 0x50000000},
    {"LowerCaseIsNothing", u"ws_child", 0},
    {"ExtendedListStyleInPlainWord", u"WS_CHILD|LVS_EX_FULLROWSELECT", 0x40000020},
    {"UnknownNamesIgnored", u"WS_BORDER|FOO", 0},
    {"Empty", u"", 0},
    {"SurroundingText", u"[[ES_NUMBER]]", 0x00002000},
    {"EveryName",
     u"WS_CHILD WS_VISIBLE WS_CLIPCHILDREN WS_VSCROLL TVS_SHOWSELALWAYS TVS_HASBUTTONS TVS_HASLINES "
     u"TVS_INFOTIP LVS_OWNERDRAWFIXED LVS_EX_FULLROWSELECT LVS_REPORT CBS_DROPDOWN CBS_AUTOHSCROLL "
     u"ES_AUTOHSCROLL ES_NUMBER ES_READONLY",
     0x52202CE3},
};

INSTANTIATE_TEST_SUITE_P(Table, ParseStyleTextTest, testing::ValuesIn(kStyleCases), CaseName<StyleCase>);

TEST(ColorRefToArgbTest, SwapsRedAndBlueAndMakesOpaque) {
    EXPECT_EQ(ColorRefToArgb(0x00B99D7E), 0xFF7E9DB9u);
    EXPECT_EQ(ColorRefToArgb(0x000A0AD2), 0xFFD20A0Au);
    EXPECT_EQ(ColorRefToArgb(0xFF000000), 0xFF000000u);
}

} // namespace

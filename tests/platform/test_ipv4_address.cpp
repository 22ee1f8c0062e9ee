// The address check that stands between device text and anything opened or run.
#include "platform/ipv4_address.h"

#include <gtest/gtest.h>

namespace {

struct AddressCase {
    const char* szName;
    const char* szText;
    bool bValid;
};

class DottedIPv4Test : public ::testing::TestWithParam<AddressCase> {};

TEST_P(DottedIPv4Test, AcceptsOnlyPlainDottedQuads) {
    EXPECT_EQ(IsDottedIPv4(QString::fromUtf8(GetParam().szText)), GetParam().bValid);
}

const AddressCase kCases[] = {
    {"Private", "10.0.0.2", true},
    {"Typical", "192.168.1.5", true},
    {"AllZero", "0.0.0.0", true},
    {"AllMax", "255.255.255.255", true},
    {"ZeroOctets", "10.0.0.0", true},
    {"Empty", "", false},
    {"ThreeOctets", "1.2.3", false},
    {"FiveOctets", "1.2.3.4.5", false},
    {"OctetTooLarge", "256.1.1.1", false},
    {"LastOctetTooLarge", "1.1.1.256", false},
    {"FourDigits", "1.1.1.1000", false},
    {"LeadingZero", "010.0.0.2", false},
    {"DoubleZero", "10.00.0.2", false},
    {"EmptyOctet", "10..0.2", false},
    {"TrailingDot", "10.0.0.2.", false},
    {"LeadingDot", ".10.0.0.2", false},
    {"Sign", "+10.0.0.2", false},
    {"Minus", "10.0.-0.2", false},
    {"LeadingBlank", " 10.0.0.2", false},
    {"TrailingBlank", "10.0.0.2 ", false},
    {"InnerBlank", "10.0. 0.2", false},
    {"TrailingNewline", "10.0.0.2\n", false},
    {"ShellText", "10.0.0.2; rm -rf ~", false},
    {"Substitution", "$(reboot)", false},
    {"Hex", "0x0a.0.0.2", false},
    {"Letters", "a.b.c.d", false},
    {"Port", "10.0.0.2:80", false},
    {"Hostname", "device.local", false},
    {"IPv6", "::1", false},
    {"FullWidthDigits", "\xEF\xBC\x91.2.3.4", false},
    {"ArabicIndicDigit", "\xD9\xA1.2.3.4", false},
};

INSTANTIATE_TEST_SUITE_P(Table, DottedIPv4Test, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<AddressCase>& info) { return info.param.szName; });

} // namespace

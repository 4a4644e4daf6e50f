// The co-installer's bounded formatting of paths: whole results only.
#include <string>
#include <vector>

#include "coinstaller_fixture.h"
#include "wide_format.h"

namespace {

using namespace coinstaller_test;

struct FormatResult {
    bool fitted;
    std::string text;
};

FormatResult format(size_t capacity, const char* format,
                    std::initializer_list<FormatArgument> arguments) {
    // Filled beforehand, so that a missing terminator shows.
    std::vector<WideChar> out(capacity + 1, u'#');
    const bool fitted = format_wide(out.data(), capacity, format, arguments);
    EXPECT_EQ(out[capacity], u'#') << "written past the capacity";
    out[capacity] = 0;
    return {fitted, narrow(out.data())};
}

TEST(CoinstallerFormat, FillsTheFormats) {
    const WideString windows = wide("C:\\WINNT");
    FormatResult r = format(260, "%s\\inf\\oem%d.inf", {windows.c_str(), 12u});
    EXPECT_TRUE(r.fitted);
    EXPECT_EQ(r.text, "C:\\WINNT\\inf\\oem12.inf");
    r = format(260, "%s\\%s", {windows.c_str(), "RCPANEL48.CPL"});
    EXPECT_EQ(r.text, "C:\\WINNT\\RCPANEL48.CPL");
    r = format(260, "control %s", {"RCPANEL48.CPL"});
    EXPECT_EQ(r.text, "control RCPANEL48.CPL");
    for (unsigned n : {0u, 9u, 10u, 4294967295u}) {
        r = format(32, "oem%d", {n});
        EXPECT_EQ(r.text, "oem" + std::to_string(n));
    }
}

// Capacity 8: seven characters and the zero fit, eight do not; what does not
// fit leaves nothing rather than a cut text.
TEST(CoinstallerFormat, RefusesWhatDoesNotFitWhole) {
    EXPECT_EQ(format(8, "%s", {"1234567"}).text, "1234567");
    EXPECT_TRUE(format(8, "%s", {"1234567"}).fitted);
    for (const char* text : {"12345678", "123456789012"}) {
        const FormatResult r = format(8, "%s", {text});
        EXPECT_FALSE(r.fitted) << text;
        EXPECT_EQ(r.text, "") << text;
    }
    EXPECT_FALSE(format(8, "oem%d.inf", {1u}).fitted);  // 8 characters
    EXPECT_TRUE(format(9, "oem%d.inf", {1u}).fitted);
    EXPECT_TRUE(format(1, "", {}).fitted);
    EXPECT_FALSE(format(1, "x", {}).fitted);
}

TEST(CoinstallerFormat, RefusesWhatItCannotFill) {
    const char* const formats[] = {"%x", "%s and %s", "%", "100%"};
    for (const char* f : formats) {
        const FormatResult r = format(64, f, {"one"});
        EXPECT_FALSE(r.fitted) << f;
        EXPECT_EQ(r.text, "") << f;
    }
    EXPECT_FALSE(format(64, "%d", {"text"}).fitted);
    EXPECT_FALSE(format(64, "%s", {7u}).fitted);
}

}  // namespace

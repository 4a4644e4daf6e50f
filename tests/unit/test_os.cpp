#include <cstring>

#include "fixture.h"

namespace {

class OsTest : public SimTest {};

using case_name::operator<<;

struct OsCase {
    const char* name;
    uint32_t platform, major, minor, build;
    const char* csd;
    OsClass expected;
    const char* text;
};

const OsCase OS_CASES[] = {
    {"Windows 95", 1, 4, 0, 0x04000000u | 950, "", OS_WIN95, "WIN95 Versie 4.00  Build 950"},
    {"Windows 95 OSR2", 1, 4, 0, 0x04000000u | 1111, " B", OS_WIN95,
     "WIN95 Versie 4.00  B Build 1111"},
    {"Windows 3.x platform 9x", 1, 3, 95, 300, "", OS_WIN95, "WIN95 Versie 3.95  Build 300"},
    {"Windows 98", 1, 4, 10, 0x040A0000u | 1998, " ", OS_WIN98, "WIN98 Versie 4.10   Build 1998"},
    {"Windows 98 SE", 1, 4, 10, 0x040A0000u | 2222, " A ", OS_WIN98,
     "WIN98 Versie 4.10  A  Build 2222"},
    {"Windows Me", 1, 4, 90, 0x045A0000u | 3000, " ", OS_WIN98, "WIN98 Versie 4.90   Build 3000"},
    {"NT 3.51", 2, 3, 51, 1057, "Service Pack 5", OS_WINNT,
     "WINNT Versie 3.51 Service Pack 5 Build 1057"},
    {"NT 4", 2, 4, 0, 1381, "Service Pack 6", OS_WINNT,
     "WINNT Versie 4.00 Service Pack 6 Build 1381"},
    {"Windows 2000", 2, 5, 0, 2195, "Service Pack 4", OS_WIN2000,
     "WIN2000 Versie 5.00 Service Pack 4 Build 2195"},
    {"Windows XP", 2, 5, 1, 2600, "Service Pack 3", OS_WIN2001,
     "WIN2001 Versie 5.01 Service Pack 3 Build 2600"},
    {"Windows Server 2003", 2, 5, 2, 3790, "", OS_WIN2001, "WIN2001 Versie 5.02  Build 3790"},
    {"Vista is 6.0", 2, 6, 0, 6002, "", OS_WIN2000, "WIN2000 Versie 6.00  Build 6002"},
    {"Windows 7", 2, 6, 1, 7601, "Service Pack 1", OS_WIN2001,
     "WIN2001 Versie 6.01 Service Pack 1 Build 7601"},
    {"build above 16 bits", 2, 5, 1, 0x12345678u, "", OS_WIN2001,
     "WIN2001 Versie 5.01  Build 22136"},
};

class OsDetection : public SimTest, public ::testing::WithParamInterface<OsCase> {};

TEST_P(OsDetection, ClassAndText) {
    const OsCase& c = GetParam();
    sim::set_version(c.platform, c.major, c.minor, c.build, c.csd);
    char text[OS_VERSION_TEXT_SIZE];
    std::memset(text, '?', sizeof text);
    EXPECT_EQ(detect_os_class(text), c.expected);
    EXPECT_EQ(os_class, c.expected);
    EXPECT_STREQ(text, c.text);
    EXPECT_STREQ(os_version_text, c.text);
}

INSTANTIATE_TEST_SUITE_P(Windows, OsDetection, ::testing::ValuesIn(OS_CASES), [](const auto& info) {
    std::string n = info.param.name;
    for (char& ch : n)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return n;
});

TEST_F(OsTest, VersionCallFailingGivesUnknownWithText) {
    sim::set_windows(sim::Windows::WinXp);
    detect_os_class(nullptr);
    sim::fail_version();
    char text[OS_VERSION_TEXT_SIZE];
    EXPECT_EQ(detect_os_class(text), OS_UNKNOWN);
    EXPECT_STREQ(text, "Unknown OS!");
}

TEST_F(OsTest, UnknownPlatformKeepsThePreviousText) {
    sim::set_windows(sim::Windows::Win2000);
    detect_os_class(nullptr);
    sim::set_version(3, 10, 0, 1, "");  // Windows CE
    char text[OS_VERSION_TEXT_SIZE];
    EXPECT_EQ(detect_os_class(text), OS_UNKNOWN);
    EXPECT_STREQ(text, "WIN2000 Versie 5.00 Service Pack 4 Build 2195");
}

TEST_F(OsTest, UnknownPlatformAtStartLeavesTextEmpty) {
    sim::set_version(0, 3, 11, 1, "");  // Win32s
    char text[OS_VERSION_TEXT_SIZE] = "junk";
    EXPECT_EQ(detect_os_class(text), OS_UNKNOWN);
    EXPECT_STREQ(text, "");
}

TEST_F(OsTest, LongServicePackTextIsCutToTheBuffer) {
    std::string csd(127, 'S');
    sim::set_version(2, 5, 1, 2600, csd.c_str());
    char text[OS_VERSION_TEXT_SIZE + 8];
    std::memset(text, '?', sizeof text);
    detect_os_class(text);
    EXPECT_EQ(std::strlen(text), OS_VERSION_TEXT_SIZE - 1u);
    EXPECT_EQ(text[OS_VERSION_TEXT_SIZE], '?');  // nothing written past the buffer
    EXPECT_EQ(std::string(text).rfind("WIN2001 Versie 5.01 SSS", 0), 0u);
}

}  // namespace

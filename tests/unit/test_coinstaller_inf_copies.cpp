// The stale INF copies of a new device's installation: which copies are read,
// which are deleted, and what the marker search sees of a file.
#include <string>
#include <vector>

#include "coinstaller_fixture.h"

namespace {

using namespace coinstaller_test;
using coinstaller_test::operator<<;

const char MARKED[] = "[Version]\nSignature=\"$Windows NT$\"\n[SourceDisksFiles]\nNETORX48.INF=1\n";
const char PLAIN[] = "[Version]\nSignature=\"$Windows NT$\"\nClass=Net\n";

// oem0 to oem5, oem3 mentioning the card's file: oem3's pair goes, the rest
// stays, and the scan ends at the missing oem6.
TEST_F(CoinstallerTest, ScanDeletesTheMarkedCopyAndStopsAtTheFirstMissing) {
    for (unsigned n = 0; n <= 5; ++n) put_inf_copy(n, n == 3 ? MARKED : PLAIN);
    put_inf_copy(7, MARKED);  // beyond the gap

    remove_inf_copies(host_);

    const std::string inf = "C:\\WINNT\\inf\\";
    EXPECT_EQ(
        host_.events,
        (std::vector<std::string>{
            "read " + inf + "oem0.inf", "read " + inf + "oem1.inf", "read " + inf + "oem2.inf",
            "read " + inf + "oem3.inf", "delete " + inf + "oem3.inf", "delete " + inf + "oem3.pnf",
            "read " + inf + "oem4.inf", "read " + inf + "oem5.inf", "read " + inf + "oem6.inf"}));
    for (unsigned n : {0u, 1u, 2u, 4u, 5u, 7u}) EXPECT_TRUE(copy_whole(n)) << n;
    EXPECT_FALSE(copy_present(3));
}

// Read-only copies lose that attribute only, then go.
TEST_F(CoinstallerTest, ScanDeletesReadOnlyCopies) {
    put_inf_copy(0, PLAIN);
    host_.put_file(inf_path(1), MARKED, ATTRIBUTE_READONLY | ATTRIBUTE_HIDDEN);
    host_.put_file(pnf_path(1), "PNF", ATTRIBUTE_READONLY | ATTRIBUTE_ARCHIVE);
    host_.put_file(inf_path(2), MARKED, ATTRIBUTE_READONLY);
    host_.put_file(pnf_path(2), "PNF", ATTRIBUTE_READONLY);

    remove_inf_copies(host_);

    EXPECT_FALSE(copy_present(1));
    EXPECT_FALSE(copy_present(2));
    EXPECT_TRUE(copy_whole(0));
    EXPECT_EQ(events_starting("attributes"),
              (std::vector<std::string>{
                  "attributes " + inf_path(1) + " 0x2", "attributes " + pnf_path(1) + " 0x20",
                  "attributes " + inf_path(2) + " 0x80", "attributes " + pnf_path(2) + " 0x80"}));
    // The attributes first, then the .inf, then the .pnf.
    const auto& e = host_.events;
    const auto at = [&e](const std::string& event) {
        return std::find(e.begin(), e.end(), event) - e.begin();
    };
    EXPECT_LT(at("attributes " + pnf_path(1) + " 0x20"), at("delete " + inf_path(1)));
    EXPECT_LT(at("delete " + inf_path(1)), at("delete " + pnf_path(1)));
}

// oem2 missing: oem3 to oem5 are never opened, marked or not.
TEST_F(CoinstallerTest, ScanNeverOpensCopiesAfterAGap) {
    put_inf_copy(0, PLAIN);
    put_inf_copy(1, PLAIN);
    for (unsigned n = 3; n <= 5; ++n) put_inf_copy(n, MARKED);

    remove_inf_copies(host_);

    EXPECT_EQ(events_starting("read"),
              (std::vector<std::string>{"read " + inf_path(0), "read " + inf_path(1),
                                        "read " + inf_path(2)}));
    for (unsigned n = 3; n <= 5; ++n) EXPECT_TRUE(copy_whole(n)) << n;
}

// Every copy that mentions the file goes, also one without its .pnf; one
// that cannot be deleted does not end the scan.
TEST_F(CoinstallerTest, ScanDeletesEveryMarkedCopy) {
    put_inf_copy(0, PLAIN);
    put_inf_copy(1, MARKED);
    put_inf_copy(2, MARKED);
    host_.file(inf_path(2))->in_use = true;
    put_inf_copy(3, PLAIN);
    put_inf_copy(4, MARKED, ATTRIBUTE_READONLY);
    put_inf_copy(5, MARKED, ATTRIBUTE_ARCHIVE, false);

    remove_inf_copies(host_);

    EXPECT_TRUE(copy_whole(0));
    EXPECT_FALSE(copy_present(1));
    EXPECT_TRUE(host_.has_file(inf_path(2)));  // in use
    EXPECT_FALSE(host_.has_file(pnf_path(2)));
    EXPECT_TRUE(copy_whole(3));
    EXPECT_FALSE(copy_present(4));
    EXPECT_FALSE(copy_present(5));
    EXPECT_EQ(events_starting("read").back(), "read " + inf_path(6));
    // A missing .pnf's attributes are left alone.
    for (const std::string& e : events_starting("attributes"))
        EXPECT_EQ(e.find(pnf_path(5)), std::string::npos) << e;
}

// An empty copy is a copy that is there, not a gap: the scan goes on past it
// and still deletes a marked copy after it.
TEST_F(CoinstallerTest, ScanGoesOnPastAnEmptyCopy) {
    put_inf_copy(0, PLAIN);
    put_inf_copy(1, "");
    put_inf_copy(2, MARKED);
    put_inf_copy(3, "");

    remove_inf_copies(host_);

    EXPECT_TRUE(copy_whole(0));
    EXPECT_TRUE(copy_whole(1));
    EXPECT_FALSE(copy_present(2));
    EXPECT_TRUE(copy_whole(3));
    EXPECT_EQ(events_starting("read"),
              (std::vector<std::string>{"read " + inf_path(0), "read " + inf_path(1),
                                        "read " + inf_path(2), "read " + inf_path(3),
                                        "read " + inf_path(4)}));
}

// ---------------------------------------------------------------- what the search sees

struct MarkerCase {
    const char* name;
    std::string bytes;
    bool found;
};

std::string utf16(const std::string& text) {
    std::string out = "\xFF\xFE";
    for (char c : text) {
        out += c;
        out += '\0';
    }
    return out;
}

const MarkerCase MARKER_CASES[] = {
    {"in_a_line", MARKED, true},
    {"whole_file", "NETORX48.INF", true},
    {"within_a_longer_name", "OEMNETORX48.INFO", true},
    {"ending_at_byte_10000", filler(9988) + "NETORX48.INF", true},
    {"ending_at_byte_10001", filler(9989) + "NETORX48.INF", false},
    {"after_byte_10000", filler(10000) + "NETORX48.INF", false},
    {"after_many_bytes", filler(50000) + "NETORX48.INF", false},
    {"utf16_text", utf16("[SourceDisksFiles]\nNETORX48.INF=1\n"), false},
    {"after_a_zero_byte", std::string("[Version]\0", 10) + "NETORX48.INF", false},
    {"before_a_zero_byte", std::string("NETORX48.INF\0", 13) + "more", true},
    {"lower_case", "[SourceDisksFiles]\nnetorx48.inf=1\n", false},
    {"mixed_case", "[SourceDisksFiles]\nNetOrx48.Inf=1\n", false},
    {"cut_at_the_end", "[SourceDisksFiles]\nNETORX48.IN", false},
    {"another_card", "[SourceDisksFiles]\nNETORX47.INF=1\n", false},
    {"empty", "", false},
    {"high_bytes_around", "\xE9\xFE NETORX48.INF \xFF", true},
};

class CoinstallerMarker : public CoinstallerTest,
                          public ::testing::WithParamInterface<MarkerCase> {};

TEST_P(CoinstallerMarker, DecidesTheCopy) {
    const MarkerCase& c = GetParam();
    put_inf_copy(0, c.bytes);
    put_inf_copy(1, PLAIN);

    remove_inf_copies(host_);

    EXPECT_EQ(!copy_present(0), c.found);
    EXPECT_EQ(copy_whole(0), !c.found);
    EXPECT_TRUE(copy_whole(1));
}

INSTANTIATE_TEST_SUITE_P(Coinstaller, CoinstallerMarker, ::testing::ValuesIn(MARKER_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

// What a short copy gave is all that is searched: no bytes of the copy read
// before it, and nothing beyond a full read of 10,000 (run under ASan).
TEST_F(CoinstallerTest, SearchEndsWithWhatThisCopyGave) {
    put_inf_copy(0, "ABCDEF48.INF");
    put_inf_copy(1, "NETORX");
    put_inf_copy(2, filler(10000));
    put_inf_copy(3, "NETORX");

    remove_inf_copies(host_);

    for (unsigned n = 0; n <= 3; ++n) EXPECT_TRUE(copy_whole(n)) << n;
}

// ---------------------------------------------------------------- the Windows directory

struct WindowsDirectoryCase {
    const char* name;
    size_t length;  // 0: it cannot be read
    std::vector<unsigned> read;
};

const WindowsDirectoryCase WINDOWS_DIRECTORIES[] = {
    {"unreadable", 0, {}},
    {"longer_than_its_buffer", 400, {}},
    {"fills_its_buffer", 255, {}},
    // "\inf\oem0.inf" is 13 characters: 247 + 13 is one too many.
    {"first_path_one_too_long", 247, {}},
    // 246 + 13 fills the path; oem10.inf is one too long.
    {"numbers_of_one_digit_fit", 246, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
    {"short", 10, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
};

class CoinstallerWindowsDirectory : public CoinstallerTest,
                                    public ::testing::WithParamInterface<WindowsDirectoryCase> {};

TEST_P(CoinstallerWindowsDirectory, ScansOnlyWholePaths) {
    const WindowsDirectoryCase& c = GetParam();
    if (c.length == 0)
        host_.windows_dir_fails = true;
    else
        host_.windows_dir = "C:\\" + std::string(c.length - 3, 'w');
    for (unsigned n = 0; n <= 10; ++n) put_inf_copy(n, n == 10 ? MARKED : PLAIN);

    remove_inf_copies(host_);

    std::vector<std::string> expected;
    for (unsigned n : c.read) expected.push_back("read " + inf_path(n));
    EXPECT_EQ(events_starting("read"), expected);
    EXPECT_EQ(copy_whole(10), c.read.size() < 11);
}

INSTANTIATE_TEST_SUITE_P(Coinstaller, CoinstallerWindowsDirectory,
                         ::testing::ValuesIn(WINDOWS_DIRECTORIES),
                         [](const auto& info) { return std::string(info.param.name); });

// Without the Windows directory the applet still starts.
TEST_F(CoinstallerTest, NewDeviceWithoutTheWindowsDirectoryStillStartsTheApplet) {
    host_.windows_dir_fails = true;
    put_inf_copy(0, MARKED);
    EXPECT_EQ(call(COINST_DIF_NEWDEVICEWIZARD_FINISHINSTALL), COINST_NO_ERROR);
    EXPECT_TRUE(events_starting("read").empty());
    EXPECT_EQ(host_.starts.size(), 1u);
}

}  // namespace

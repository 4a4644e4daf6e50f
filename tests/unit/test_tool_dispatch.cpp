#include <functional>

#include "fixture.h"
#include "tool_runner.h"

namespace {

class ToolDispatchTest : public SimTest {};

using case_name::operator<<;

using namespace layout;

const std::string TEXT_A(102, 'A');
const std::string TEXT_B = std::string(101, 'B') + "e";

// The XP instance key of the default layout.
std::string xp_key() { return std::string(NT_CLASS) + "\\" + NET_GUID + "\\0007"; }

void xp_adapter() { winxp_pc_card(ID1, 7); }

void xp_adapter_with_profiles() {
    xp_adapter();
    sim::set_dword(xp_key(), "ConfigType", 2);
    sim::set_string(xp_key() + "\\Config01", "ConfigName", "Home");
    sim::set_string(xp_key() + "\\Config02", "ConfigName", "Office");
    sim::set_string(xp_key() + "\\Config02", "DesiredSSID", "officenet");
    sim::set_string(xp_key(), "DesiredSSID", "activenet");
    sim::set_string(xp_key() + "\\Config03", "DesiredSSID", "nameless");  // no ConfigName
}

void wrong_release() {
    xp_adapter_with_profiles();
    sim::set_dword(xp_key(), "DriverMinor", 40);
}

struct DispatchCase {
    const char* name;
    std::function<void()> setup;
    std::vector<std::string> arguments;
    int exit_code;
    std::string output;
    // Checks on the registry afterwards; empty: the registry must be unchanged.
    std::function<void()> check;
};

std::vector<DispatchCase> dispatch_cases() {
    auto encryption_of = [](const std::string& key) { return sim::get_string(key, "Encryption"); };
    return {
        {"no_arguments", xp_adapter, {}, 1, "", {}},
        {"empty_command", xp_adapter, {""}, 1, "", {}},
        {"two_characters", xp_adapter, {"EE"}, 4, "", {}},
        {"two_characters_before_command_lookup", xp_adapter, {"xx"}, 4, "", {}},
        {"unknown_command", xp_adapter, {"x"}, 1, "", {}},
        {"unknown_lower_case_h", xp_adapter, {"h"}, 1, "", {}},
        {"non_ascii_command", xp_adapter, {"\xE9"}, 1, "", {}},
        {"multibyte_command", xp_adapter, {"\xC3\xA9"}, 4, "", {}},

        // 'E': argument rules before anything else.
        {"E_101_characters", xp_adapter_with_profiles, {"E", std::string(101, 'A')}, 4, "", {}},
        {"E_103_characters", xp_adapter_with_profiles, {"E", std::string(103, 'A')}, 4, "", {}},
        {"E_bad_profile", xp_adapter_with_profiles, {"E", TEXT_A, "5"}, 4, "", {}},
        {"E_two_digit_profile", xp_adapter_with_profiles, {"E", TEXT_A, "01"}, 4, "", {}},
        {"E_empty_profile", xp_adapter_with_profiles, {"E", TEXT_A, ""}, 4, "", {}},
        {"E_three_arguments", xp_adapter_with_profiles, {"E", TEXT_A, "1", "1"}, 4, "", {}},
        {"E_no_text", xp_adapter_with_profiles, {"E"}, 4, "", {}},
        {"E_bad_length_checked_before_adapter", {}, {"E", "short"}, 4, "", {}},
        {"E_no_adapter", {}, {"E", TEXT_A}, 2, "", {}},
        {"E_wrong_release", wrong_release, {"E", TEXT_A, "0"}, 5, "", {}},
        {"E_current_profile_goes_to_both",
         xp_adapter_with_profiles,
         {"E", TEXT_A, "2"},
         0,
         "",
         [&] {
             EXPECT_EQ(encryption_of(xp_key() + "\\Config02"), TEXT_A);
             EXPECT_EQ(encryption_of(xp_key()), TEXT_A);
         }},
        {"E_other_profile_only_its_key",
         xp_adapter_with_profiles,
         {"E", TEXT_B, "1"},
         0,
         "",
         [&] {
             EXPECT_EQ(encryption_of(xp_key() + "\\Config01"), TEXT_B);
             EXPECT_EQ(encryption_of(xp_key()), "<missing>");
         }},
        {"E_default_profile_is_1",
         xp_adapter_with_profiles,
         {"E", TEXT_B},
         0,
         "",
         [&] {
             EXPECT_EQ(encryption_of(xp_key() + "\\Config01"), TEXT_B);
             EXPECT_EQ(encryption_of(xp_key()), "<missing>");
         }},
        {"E_profile_0_only_active_set",
         xp_adapter_with_profiles,
         {"E", TEXT_A, "0"},
         0,
         "",
         [&] {
             EXPECT_EQ(encryption_of(xp_key()), TEXT_A);
             EXPECT_EQ(encryption_of(xp_key() + "\\Config02"), "<missing>");
         }},
        {"E_profile_without_name_fails", xp_adapter_with_profiles, {"E", TEXT_A, "3"}, 3, "", {}},
        {"E_missing_profile_fails", xp_adapter_with_profiles, {"E", TEXT_A, "4"}, 3, "", {}},
        {"E_any_characters_accepted",
         xp_adapter_with_profiles,
         {"E", std::string(100, '~') + "\x01\xFF", "0"},
         0,
         "",
         [&] { EXPECT_EQ(encryption_of(xp_key()), std::string(100, '~') + "\x01\xFF"); }},

        // 'H'
        {"H_no_adapter", {}, {"H"}, 2, "XXXXXX", {}},
        {"H_bad_profile", xp_adapter_with_profiles, {"H", "9"}, 4, "", {}},
        {"H_two_arguments", xp_adapter_with_profiles, {"H", "1", "1"}, 4, "", {}},
        {"H_profile_0", xp_adapter_with_profiles, {"H", "0"}, 0, "activenet", {}},
        {"H_profile_2", xp_adapter_with_profiles, {"H", "2"}, 0, "officenet", {}},
        {"H_profile_without_name", xp_adapter_with_profiles, {"H", "3"}, 0, "nameless", {}},
        {"H_default_profile_1_missing_name", xp_adapter_with_profiles, {"H"}, 0, "XXXXXX", {}},
        {"H_wrong_release_prints_first", wrong_release, {"H", "2"}, 5, "officenet", {}},

        // '#'
        {"count_none",
         {},
         {"#"},
         301,
         "",
         [] { EXPECT_EQ(sim::atoms(), std::vector<std::string>{"ONE INSTALLED"}); }},
        {"count_one",
         xp_adapter,
         {"#"},
         301,
         "",
         [] { EXPECT_EQ(sim::atoms(), std::vector<std::string>{"ONE INSTALLED"}); }},
        {"count_two",
         [] {
             xp_adapter();
             winxp_pc_card(ID2, 8);
         },
         {"#"},
         300,
         "",
         [] { EXPECT_EQ(sim::atoms(), std::vector<std::string>{"MORE INSTALLED"}); }},
        {"count_with_argument",
         xp_adapter,
         {"#", "1"},
         4,
         "",
         [] { EXPECT_TRUE(sim::atoms().empty()); }},

        // '@'
        {"client_manager_present",
         [] { sim::set_string("Software\\Orvix\\Calyx Client Manager", "version", "2.1"); },
         {"@"},
         101,
         "",
         [] { EXPECT_EQ(sim::atoms(), std::vector<std::string>{"CQI INSTALLED 1"}); }},
        {"client_manager_key_without_version",
         [] { sim::create_key("Software\\Orvix\\Calyx Client Manager"); },
         {"@"},
         100,
         "",
         [] { EXPECT_EQ(sim::atoms(), std::vector<std::string>{"CQI INSTALLED 0"}); }},
        {"client_manager_absent",
         {},
         {"@"},
         100,
         "",
         [] { EXPECT_EQ(sim::atoms(), std::vector<std::string>{"CQI INSTALLED 0"}); }},

        // 'R'
        {"R_2_enabled",
         [] {
             xp_adapter();
             sim::set_dword(xp_key(), "DriverEnable", 1);
         },
         {"R", "2"},
         201,
         "",
         {}},
        {"R_2_disabled",
         [] {
             xp_adapter();
             sim::set_dword(xp_key(), "DriverEnable", 0);
         },
         {"R", "2"},
         200,
         "",
         {}},
        {"R_2_disabled_as_text",
         [] {
             xp_adapter();
             sim::set_string(xp_key(), "DriverEnable", "0");
         },
         {"R", "2"},
         200,
         "",
         {}},
        {"R_2_missing_reads_enabled", xp_adapter, {"R", "2"}, 201, "", {}},
        {"R_2_out_of_range_reads_enabled",
         [] {
             xp_adapter();
             sim::set_dword(xp_key(), "DriverEnable", 100);
         },
         {"R", "2"},
         201,
         "",
         {}},
        {"R_2_negative_reads_enabled",
         [] {
             xp_adapter();
             sim::set_dword(xp_key(), "DriverEnable", 0xFFFFFFFF);
         },
         {"R", "2"},
         201,
         "",
         {}},
        {"R_2x_taken_as_2",
         [] {
             xp_adapter();
             sim::set_dword(xp_key(), "DriverEnable", 0);
         },
         {"R", "2x"},
         200,
         "",
         {}},
        {"R_3", xp_adapter, {"R", "3"}, 4, "", {}},
        {"R_empty", xp_adapter, {"R", ""}, 4, "", {}},
        {"R_no_argument", xp_adapter, {"R"}, 4, "", {}},
        {"R_two_arguments", xp_adapter, {"R", "2", "2"}, 4, "", {}},
        {"R_no_adapter", {}, {"R", "2"}, 2, "", {}},
        {"R_wrong_release", wrong_release, {"R", "2"}, 5, "", {}},

        // 'V'
        {"version", {}, {"V"}, 0, "RCTOOL48.EXE Variant 1, Version 6.41.1.3\n", {}},
        {"version_with_argument", {}, {"V", "x"}, 4, "", {}},

        // Commands whose own steps follow the dispatcher: only the checks here.
        {"M_with_argument", xp_adapter, {"M", "x"}, 4, "XXXXXXXXXXXX", {}},
        {"K_four_arguments", xp_adapter, {"K", "2", "", "", ""}, 4, "", {}},
        {"K_six_arguments", xp_adapter, {"K", "2", "", "", "", "", ""}, 4, "", {}},
        {"W_no_adapter_before_bad_key", {}, {"W", "bad"}, 2, "", {}},
        {"W_bad_profile_before_adapter", {}, {"W", "abcde", "7"}, 4, "", {}},
        {"W_wrong_release_before_bad_key", wrong_release, {"W", "bad"}, 5, "", {}},
        {"W_three_arguments", xp_adapter, {"W", "abcde", "1", "1"}, 4, "", {}},
    };
}

class Dispatch : public SimTest, public ::testing::WithParamInterface<DispatchCase> {};

TEST_P(Dispatch, ExitCodeOutputAndRegistry) {
    const DispatchCase& c = GetParam();
    if (c.setup) c.setup();
    const std::string before = sim::dump();
    ToolResult r = run_tool(c.arguments);
    EXPECT_EQ(r.exit_code, c.exit_code);
    EXPECT_EQ(r.output, c.output);
    if (c.check)
        c.check();
    else
        EXPECT_EQ(sim::dump(), before);
    EXPECT_EQ(sim::open_key_handles(), 0);
}

INSTANTIATE_TEST_SUITE_P(Commands, Dispatch, ::testing::ValuesIn(dispatch_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// The same registry commands under each kind of Windows.
struct WindowsCase {
    const char* name;
    sim::Windows windows;
    std::function<std::string()> install;
};

const WindowsCase WINDOWS_CASES[] = {
    {"win95", sim::Windows::Win95, [] { return win9x_pc_card(); }},
    {"win98", sim::Windows::Win98, [] { return win9x_pc_card(); }},
    {"nt40", sim::Windows::Nt40, [] { return nt4_card(2); }},
    {"win2000", sim::Windows::Win2000, [] { return win2000_pc_card(); }},
    {"winxp", sim::Windows::WinXp, [] { return winxp_pc_card(); }},
};

class DispatchOnWindows : public SimTest, public ::testing::WithParamInterface<WindowsCase> {};

TEST_P(DispatchOnWindows, RegistryCommandsWorkOnTheInstanceKey) {
    sim::set_windows(GetParam().windows);
    const std::string key = GetParam().install();
    sim::set_string(key, "DesiredSSID", "net");
    sim::set_dword(key, "DriverEnable", 0);
    EXPECT_EQ(run_tool({"H", "0"}).output, "net");
    EXPECT_EQ(run_tool({"R", "2"}).exit_code, 200);
    EXPECT_EQ(run_tool({"E", TEXT_A, "0"}).exit_code, 0);
    EXPECT_EQ(sim::get_string(key, "Encryption"), TEXT_A);
}

INSTANTIATE_TEST_SUITE_P(Windows, DispatchOnWindows, ::testing::ValuesIn(WINDOWS_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ToolDispatchTest, UnknownWindowsFindsNoAdapter) {
    sim::set_version(3, 1, 0, 1, "");
    EXPECT_EQ(run_tool({"H"}).exit_code, 2);
    EXPECT_EQ(run_tool({"E", TEXT_A}).exit_code, 2);
}

TEST_F(ToolDispatchTest, VeryLongAndManyArgumentsAreRefused) {
    xp_adapter_with_profiles();
    const std::string before = sim::dump();
    EXPECT_EQ(run_tool({std::string(100000, 'E')}).exit_code, 4);
    EXPECT_EQ(run_tool({"E", std::string(100000, 'A')}).exit_code, 4);
    EXPECT_EQ(run_tool({"H", std::string(100000, '1')}).exit_code, 4);
    std::vector<std::string> many(200, "0");
    many[0] = "D";
    EXPECT_EQ(run_tool(many).exit_code, 0);  // 'D' ignores arguments after its first
    EXPECT_EQ(sim::dump(), before);
}

// ---- 'D' ----

class RemoveOldFiles : public SimTest {
protected:
    const std::string dir = "C:\\WINNT\\system32";
    const std::vector<std::string> gen41 = {
        "drivers\\orvix41.sys", "orvix41.dll", "orvix.cpl", "orvix.hlp", "orvix.cnt", "orvix.gid"};
    const std::vector<std::string> gen52 = {"drivers\\rlorx52.sys", "Rcpanel52.cpl", "rcpanel.cnt",
                                            "rcpanel.gid", "rcpanel.hlp"};
    void SetUp() override {
        SimTest::SetUp();
        sim::set_system_directory(dir);
        for (auto& f : gen41) sim::add_file(dir + "\\" + f);
        for (auto& f : gen52) sim::add_file(dir + "\\" + f);
        sim::add_file(dir + "\\orvix.ini");
    }
    int remaining(const std::vector<std::string>& files) {
        int n = 0;
        for (auto& f : files) n += sim::file_exists(dir + "\\" + f);
        return n;
    }
};

TEST_F(RemoveOldFiles, Generation41IncludingReadOnly) {
    sim::add_file(dir + "\\orvix.cpl", PLAT_FILE_ATTRIBUTE_READONLY);
    sim::add_file(dir + "\\orvix.hlp", PLAT_FILE_ATTRIBUTE_READONLY | 0x20);
    EXPECT_EQ(run_tool({"D", "0"}).exit_code, 0);
    EXPECT_EQ(remaining(gen41), 0);
    EXPECT_EQ(remaining(gen52), 5);
    EXPECT_TRUE(sim::file_exists(dir + "\\orvix.ini"));
}

TEST_F(RemoveOldFiles, OneFileFailingDoesNotStopTheRest) {
    sim::lock_file(dir + "\\orvix41.dll");
    sim::add_file(dir + "\\orvix.cpl", PLAT_FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(run_tool({"D", "0", "extra"}).exit_code, 0);
    EXPECT_EQ(remaining(gen41), 1);
    EXPECT_TRUE(sim::file_exists(dir + "\\orvix41.dll"));
}

TEST_F(RemoveOldFiles, Generation52OnlyWithoutAdapter) {
    EXPECT_EQ(run_tool({"D", "1"}).exit_code, 0);
    EXPECT_EQ(remaining(gen52), 0);
    EXPECT_EQ(remaining(gen41), 6);
}

TEST_F(RemoveOldFiles, Generation52RefusedWithAdapter) {
    xp_adapter();
    EXPECT_EQ(run_tool({"D", "1"}).exit_code, 7);
    EXPECT_EQ(remaining(gen52), 5);
}

TEST_F(RemoveOldFiles, OtherCharacterRemovesNothing) {
    EXPECT_EQ(run_tool({"D", "9"}).exit_code, 0);
    EXPECT_EQ(run_tool({"D", ""}).exit_code, 0);
    EXPECT_EQ(run_tool({"D", "10"}).exit_code,
              0);  // only the first character counts: generation 52
    EXPECT_EQ(remaining(gen41), 6);
    EXPECT_EQ(remaining(gen52), 0);
}

TEST_F(RemoveOldFiles, NoArgument) {
    EXPECT_EQ(run_tool({"D"}).exit_code, 4);
    EXPECT_EQ(remaining(gen41), 6);
}

TEST_F(RemoveOldFiles, SystemDirectoryTooLongRemovesNothing) {
    sim::set_system_directory(std::string(300, 'd'));
    EXPECT_EQ(run_tool({"D", "0"}).exit_code, 0);
    EXPECT_EQ(remaining(gen41), 6);
}

}  // namespace

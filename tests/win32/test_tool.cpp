// RCTOOL48.EXE run for real against the registry, files and atoms of this
// machine, under several Windows versions.
#include <gtest/gtest.h>

#include "harness.h"

namespace {

const char* const VERSIONS[] = {"win98", "nt40", "win2k", "winxp"};
const std::string TEXT_A(102, 'A');
const std::string TEXT_B = std::string(101, '&') + "e";

class Tool : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        remove_adapters();
        for (const char* atom :
             {"ONE INSTALLED", "MORE INSTALLED", "CQI INSTALLED 1", "CQI INSTALLED 0"})
            clear_atom(atom);
    }
    void TearDown() override { remove_adapters(); }
    std::string version() const { return GetParam(); }
    ProcessResult tool(const std::vector<std::string>& arguments) {
        return run_tool(arguments, version());
    }
};

TEST_P(Tool, VersionLine) {
    ProcessResult r = tool({"V"});
    ASSERT_TRUE(r.started) << r.report;
    EXPECT_EQ(r.exit_code, 0u);
    EXPECT_EQ(r.output, "RCTOOL48.EXE Variant 1, Version 6.41.1.3\n");
}

TEST_P(Tool, ArgumentErrors) {
    install_adapter(version());
    struct Case {
        std::vector<std::string> arguments;
        DWORD exit_code;
        std::string output;
    };
    const Case cases[] = {
        {{}, 1, ""},
        {{""}, 1, ""},
        {{"EE"}, 4, ""},
        {{"x"}, 1, ""},
        {{"E", std::string(101, 'A')}, 4, ""},
        {{"E", TEXT_A, "5"}, 4, ""},
        {{"R", "3"}, 4, ""},
        {{"M", "x"}, 4, "XXXXXXXXXXXX"},
        {{"V", "x"}, 4, ""},
        {{"H", "1 2"}, 4, ""},
        {{"E", std::string(5000, 'A')}, 4, ""},
    };
    for (const Case& c : cases) {
        ProcessResult r = tool(c.arguments);
        std::string shown;
        for (const auto& a : c.arguments) shown += "[" + a.substr(0, 20) + "]";
        EXPECT_EQ(r.exit_code, c.exit_code) << shown;
        EXPECT_EQ(r.output, c.output) << shown;
    }
    EXPECT_EQ(reg_get_string("Software\\Orvix\\Driver", "Encryption"), "<missing>");
}

TEST_P(Tool, NetworkNameOfEachProfile) {
    Adapter a = install_adapter(version());
    reg_put_string(a.instance_key, "DesiredSSID", "active net");
    reg_put_string(a.instance_key + "\\Config02", "DesiredSSID", "office");
    ProcessResult r = tool({"H", "0"});
    EXPECT_EQ(r.exit_code, 0u);
    EXPECT_EQ(r.output, "active net");
    r = tool({"H", "2"});
    EXPECT_EQ(r.exit_code, 0u);
    EXPECT_EQ(r.output, "office");
    r = tool({"H"});  // profile 1 has no name
    EXPECT_EQ(r.exit_code, 0u);
    EXPECT_EQ(r.output, "XXXXXX");
    reg_put_dword(a.instance_key, "DriverMajor", 7);
    r = tool({"H", "0"});
    EXPECT_EQ(r.exit_code, 5u);
    EXPECT_EQ(r.output, "active net");
}

TEST_P(Tool, NoAdapter) {
    ProcessResult r = tool({"H"});
    EXPECT_EQ(r.exit_code, 2u);
    EXPECT_EQ(r.output, "XXXXXX");
    EXPECT_EQ(tool({"E", TEXT_A}).exit_code, 2u);
    EXPECT_EQ(tool({"R", "2"}).exit_code, 2u);
    // Only the hardware ID and description of this product count.
    install_adapter(version(), 0, 1, "Calyx PC card");
    EXPECT_EQ(tool({"R", "2"}).exit_code, 2u);
}

TEST_P(Tool, StoreEncryptionTextFollowsTheCurrentProfile) {
    Adapter a = install_adapter(version());
    reg_put_dword(a.instance_key, "ConfigType", 2);
    reg_put_string(a.instance_key + "\\Config01", "ConfigName", "Home");
    reg_put_string(a.instance_key + "\\Config02", "ConfigName", "Office");

    EXPECT_EQ(tool({"E", TEXT_A, "2"}).exit_code, 0u);
    EXPECT_EQ(reg_get_string(a.instance_key + "\\Config02", "Encryption"), TEXT_A);
    EXPECT_EQ(reg_get_string(a.instance_key, "Encryption"), TEXT_A);

    EXPECT_EQ(tool({"E", TEXT_B}).exit_code, 0u);  // profile 1, not current
    EXPECT_EQ(reg_get_string(a.instance_key + "\\Config01", "Encryption"), TEXT_B);
    EXPECT_EQ(reg_get_string(a.instance_key, "Encryption"), TEXT_A);

    EXPECT_EQ(tool({"E", TEXT_B, "0"}).exit_code, 0u);
    EXPECT_EQ(reg_get_string(a.instance_key, "Encryption"), TEXT_B);
    EXPECT_EQ(reg_get_string(a.instance_key + "\\Config02", "Encryption"), TEXT_A);

    EXPECT_EQ(tool({"E", TEXT_A, "3"}).exit_code, 3u);  // profile 3 has no name
    EXPECT_FALSE(reg_has_key(a.instance_key + "\\Config03"));

    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(reg_get_value(a.instance_key, "Encryption", &type, &data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data.size(), 103u);

    reg_put_dword(a.instance_key, "DriverVariant", 2);
    EXPECT_EQ(tool({"E", TEXT_A, "0"}).exit_code, 5u);
    EXPECT_EQ(reg_get_string(a.instance_key, "Encryption"), TEXT_B);
}

TEST_P(Tool, DriverEnableReportedAboveByte) {
    Adapter a = install_adapter(version());
    EXPECT_EQ(tool({"R", "2"}).exit_code, 201u);  // missing reads as enabled
    reg_put_dword(a.instance_key, "DriverEnable", 0);
    EXPECT_EQ(tool({"R", "2"}).exit_code, 200u);
    reg_put_string(a.instance_key, "DriverEnable", "1");
    EXPECT_EQ(tool({"R", "2x"}).exit_code, 201u);
    reg_put_dword(a.instance_key, "DriverEnable", 56);  // out of range
    EXPECT_EQ(tool({"R", "2"}).exit_code, 201u);
}

TEST_P(Tool, CountAdaptersAddsAtom) {
    ProcessResult r = tool({"#"});
    EXPECT_EQ(r.exit_code, 301u);
    EXPECT_TRUE(atom_exists("ONE INSTALLED"));
    EXPECT_FALSE(atom_exists("MORE INSTALLED"));

    // Two instances: on NT 4 two service keys, elsewhere two device keys.
    if (version() == "nt40") {
        install_adapter(version(), 0, 1);
        install_adapter(version(), 0, 2);
    } else {
        install_adapter(version(), 0);
        install_adapter(version(), 1);
    }
    clear_atom("ONE INSTALLED");
    r = tool({"#"});
    EXPECT_EQ(r.exit_code, 300u);
    EXPECT_TRUE(atom_exists("MORE INSTALLED"));
    EXPECT_FALSE(atom_exists("ONE INSTALLED"));
}

TEST_P(Tool, ClientManagerAtom) {
    EXPECT_EQ(tool({"@"}).exit_code, 100u);
    EXPECT_TRUE(atom_exists("CQI INSTALLED 0"));
    reg_put_string("Software\\Orvix\\Calyx Client Manager", "version", "1.0");
    EXPECT_EQ(tool({"@"}).exit_code, 101u);
    EXPECT_TRUE(atom_exists("CQI INSTALLED 1"));
}

TEST_P(Tool, RemoveOldFilesFromTheSystemDirectory) {
    char dir[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryA(dir, sizeof dir), 0u);
    const std::string system = dir;
    const std::vector<std::string> gen41 = {
        "drivers\\orvix41.sys", "orvix41.dll", "orvix.cpl", "orvix.hlp", "orvix.cnt", "orvix.gid"};
    const std::vector<std::string> gen52 = {"drivers\\rlorx52.sys", "Rcpanel52.cpl", "rcpanel.cnt",
                                            "rcpanel.gid", "rcpanel.hlp"};
    auto make = [&](const std::vector<std::string>& files, DWORD attributes) {
        for (const auto& f : files) {
            const std::string path = system + "\\" + f;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   attributes, nullptr);
            ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
            CloseHandle(h);
        }
    };
    auto remaining = [&](const std::vector<std::string>& files) {
        int n = 0;
        for (const auto& f : files)
            n += GetFileAttributesA((system + "\\" + f).c_str()) != INVALID_FILE_ATTRIBUTES;
        return n;
    };
    make(gen41, FILE_ATTRIBUTE_READONLY);
    make(gen52, FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(tool({"D", "9"}).exit_code, 0u);
    EXPECT_EQ(remaining(gen41) + remaining(gen52), 11);
    EXPECT_EQ(tool({"D", "0"}).exit_code, 0u);
    EXPECT_EQ(remaining(gen41), 0);
    EXPECT_EQ(remaining(gen52), 5);
    install_adapter(version());
    EXPECT_EQ(tool({"D", "1"}).exit_code, 7u);
    EXPECT_EQ(remaining(gen52), 5);
    remove_adapters();
    EXPECT_EQ(tool({"D", "1"}).exit_code, 0u);
    EXPECT_EQ(remaining(gen52), 0);
}

INSTANTIATE_TEST_SUITE_P(Windows, Tool, ::testing::ValuesIn(VERSIONS),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace

#include "fixture.h"

namespace {

class DiscoveryTest : public SimTest {};

using case_name::operator<<;

using namespace layout;

TEST_F(DiscoveryTest, Win2000PcCardFoundThroughInstanceOne) {
    sim::set_windows(sim::Windows::Win2000);
    detect_os_class(nullptr);
    const std::string key = win2000_pc_card();
    EXPECT_EQ(find_instance_key(ID1), 1);
    EXPECT_EQ(std::string(instance_key), key);
    EXPECT_EQ(key, std::string(NT_CLASS) + "\\" + NET_GUID + "\\0004");
    EXPECT_EQ(match_adapter(ID1), 1);
    EXPECT_EQ(sim::open_key_handles(), 0);
}

TEST_F(DiscoveryTest, WinXpDrvInstFormatsFourDigits) {
    detect_os_class(nullptr);  // XP
    winxp_pc_card(ID1, 7);
    EXPECT_EQ(find_adapter(adapter_hardware_ids), 1);
    EXPECT_EQ(std::string(instance_key), std::string(NT_CLASS) + "\\" + NET_GUID + "\\0007");
}

TEST_F(DiscoveryTest, WinXpDrvInstAsDecimalText) {
    detect_os_class(nullptr);
    sim::set_string(std::string(NT_ENUM) + "\\PCMCIA\\" + ID1 + "\\1", "DrvInst", "12");
    sim::set_string(std::string(NT_CLASS) + "\\" + NET_GUID + "\\0012", "VendorDescription",
                    "Calyx PC Card");
    EXPECT_EQ(find_adapter(adapter_hardware_ids), 1);
    EXPECT_EQ(std::string(instance_key), std::string(NT_CLASS) + "\\" + NET_GUID + "\\0012");
}

TEST_F(DiscoveryTest, UsbFirstSubKeyOnlyAndBeforePcCard) {
    detect_os_class(nullptr);
    winxp_pc_card(ID1, 3);
    const std::string usb = std::string(NT_ENUM) + "\\USB\\" + ID1;
    sim::set_dword(usb + "\\5&AAAA&0&1", "DrvInst", 9);
    sim::set_dword(usb + "\\5&BBBB&0&2", "DrvInst", 11);
    sim::set_string(std::string(NT_CLASS) + "\\" + NET_GUID + "\\0009", "VendorDescription",
                    "USB Adapter");
    EXPECT_EQ(find_adapter(adapter_hardware_ids), 1);
    EXPECT_EQ(std::string(instance_key), std::string(NT_CLASS) + "\\" + NET_GUID + "\\0009");
}

TEST_F(DiscoveryTest, UsbWithoutValueFallsBackToPcCard) {
    detect_os_class(nullptr);
    const std::string key = winxp_pc_card(ID1, 3);
    sim::create_key(std::string(NT_ENUM) + "\\USB\\" + ID1 + "\\first");  // no DrvInst
    EXPECT_EQ(find_adapter(adapter_hardware_ids), 1);
    EXPECT_EQ(std::string(instance_key), key);
}

// A USB key with no instance below it: the enumeration fails, the key must
// still be closed, and the PC Card is found.
TEST_F(DiscoveryTest, UsbWithoutSubKeyFallsBackToPcCard) {
    for (sim::Windows windows : {sim::Windows::Win98, sim::Windows::Win2000, sim::Windows::WinXp}) {
        restart();
        sim::set_windows(windows);
        detect_os_class(nullptr);
        const std::string key = windows == sim::Windows::Win98     ? win9x_pc_card()
                                : windows == sim::Windows::Win2000 ? win2000_pc_card()
                                                                   : winxp_pc_card();
        const char* root = windows == sim::Windows::Win98 ? "Enum" : NT_ENUM;
        sim::create_key(std::string(root) + "\\USB\\" + ID1);
        EXPECT_EQ(find_adapter(adapter_hardware_ids), 1) << key;
        EXPECT_EQ(std::string(instance_key), key);
        EXPECT_EQ(sim::open_key_handles(), 0) << key;
    }
}

TEST_F(DiscoveryTest, Win9xPcCardAndUsb) {
    sim::set_windows(sim::Windows::Win98);
    detect_os_class(nullptr);
    const std::string key = win9x_pc_card(ID2, "Net\\0002");
    EXPECT_EQ(find_adapter(adapter_hardware_ids), 1);
    EXPECT_EQ(std::string(instance_key), key);
    EXPECT_EQ(key, "System\\CurrentControlSet\\Services\\Class\\Net\\0002");

    sim::set_string(std::string("Enum\\USB\\") + ID1 + "\\inst", "Driver", "Net\\0005");
    sim::set_string("System\\CurrentControlSet\\Services\\Class\\Net\\0005", "VendorDescription",
                    "USB Adapter");
    EXPECT_EQ(find_adapter(adapter_hardware_ids), 1);
    EXPECT_EQ(std::string(instance_key), "System\\CurrentControlSet\\Services\\Class\\Net\\0005");
}

TEST_F(DiscoveryTest, Win95UsesTheSameLayoutAsWin98) {
    sim::set_windows(sim::Windows::Win95);
    detect_os_class(nullptr);
    const std::string key = win9x_pc_card();
    EXPECT_EQ(find_adapter(adapter_hardware_ids), 1);
    EXPECT_EQ(std::string(instance_key), key);
}

TEST_F(DiscoveryTest, DescriptionComparisonIsExact) {
    detect_os_class(nullptr);
    for (const char* wrong : {"calyx pc card", "Calyx PC Card ", "Calyx PC", "", "USB adapter"}) {
        restart();
        detect_os_class(nullptr);
        winxp_pc_card(ID1, 7, wrong);
        EXPECT_EQ(find_adapter(adapter_hardware_ids), 0) << wrong;
        // instance_key holds the last hardware ID examined, matching or not.
        EXPECT_EQ(std::string(instance_key), std::string(NT_CLASS) + "\\" + NET_GUID + "\\0007");
    }
}

TEST_F(DiscoveryTest, FirstHardwareIdWinsWhenBothMatch) {
    detect_os_class(nullptr);
    const std::string first = winxp_pc_card(ID1, 1);
    winxp_pc_card(ID2, 2);
    EXPECT_EQ(find_adapter(adapter_hardware_ids), 1);
    EXPECT_EQ(std::string(instance_key), first);
}

TEST_F(DiscoveryTest, SecondHardwareIdExaminedWhenFirstDoesNotMatch) {
    detect_os_class(nullptr);
    winxp_pc_card(ID1, 1, "Some Other Card");
    const std::string second = winxp_pc_card(ID2, 2);
    EXPECT_EQ(find_adapter(adapter_hardware_ids), 1);
    EXPECT_EQ(std::string(instance_key), second);
}

TEST_F(DiscoveryTest, Nt4TriesInstancesInOrder) {
    sim::set_windows(sim::Windows::Nt40);
    detect_os_class(nullptr);
    const std::string third = nt4_card(3);
    nt4_card(5);
    EXPECT_EQ(find_instance_key(ID1), 1);
    EXPECT_EQ(std::string(instance_key),
              "System\\CurrentControlSet\\Services\\RLORX521\\Parameters");
    EXPECT_EQ(find_adapter(adapter_hardware_ids), 1);
    EXPECT_EQ(std::string(instance_key), third);
}

TEST_F(DiscoveryTest, Nt4DoesNotAcceptUsbDescriptionAndEndsOnNine) {
    sim::set_windows(sim::Windows::Nt40);
    detect_os_class(nullptr);
    nt4_card(2, "USB Adapter");
    EXPECT_EQ(find_adapter(adapter_hardware_ids), 0);
    EXPECT_EQ(std::string(instance_key),
              "System\\CurrentControlSet\\Services\\RLORX529\\Parameters");
}

TEST_F(DiscoveryTest, UnknownOsFindsNothingAndEmptiesKey) {
    detect_os_class(nullptr);
    winxp_pc_card();
    find_adapter(adapter_hardware_ids);
    sim::fail_version();
    detect_os_class(nullptr);
    EXPECT_EQ(find_adapter(adapter_hardware_ids), 0);
    EXPECT_STREQ(instance_key, "");
}

TEST_F(DiscoveryTest, NothingInstalledKeepsPreviousKey) {
    sim::set_windows(sim::Windows::Win2000);
    detect_os_class(nullptr);
    EXPECT_EQ(find_adapter(adapter_hardware_ids), 0);
    EXPECT_STREQ(instance_key, "");
}

// A Driver value whose path would not fit the 128-byte key is not found,
// rather than cut to some other key.
TEST_F(DiscoveryTest, OversizeDriverValueIsRefused) {
    sim::set_windows(sim::Windows::Win2000);
    detect_os_class(nullptr);
    const std::string longest_fitting(127 - std::string(NT_CLASS).size() - 1, 'k');
    sim::set_string(std::string(NT_ENUM) + "\\PCMCIA\\" + ID1 + "\\1", "Driver", longest_fitting);
    sim::set_string(std::string(NT_CLASS) + "\\" + longest_fitting, "VendorDescription",
                    "Calyx PC Card");
    EXPECT_EQ(find_adapter(adapter_hardware_ids), 1);
    EXPECT_EQ(std::string(instance_key).size(), 127u);

    restart();
    sim::set_windows(sim::Windows::Win2000);
    detect_os_class(nullptr);
    for (size_t length : {longest_fitting.size() + 1, size_t(255), size_t(300)}) {
        sim::set_string(std::string(NT_ENUM) + "\\PCMCIA\\" + ID1 + "\\1", "Driver",
                        std::string(length, 'k'));
        EXPECT_EQ(find_instance_key(ID1), 0) << length;
        EXPECT_EQ(find_adapter(adapter_hardware_ids), 0) << length;
        EXPECT_STREQ(instance_key, "");
    }
}

TEST_F(DiscoveryTest, ProfileKeyPath) {
    char buffer[PROFILE_KEY_SIZE];
    EXPECT_EQ(profile_key_path(1, buffer, sizeof buffer), 0);  // no instance key yet
    detect_os_class(nullptr);
    const std::string key = winxp_pc_card();
    find_adapter(adapter_hardware_ids);
    EXPECT_EQ(profile_key_path(3, buffer, sizeof buffer), 1);
    EXPECT_EQ(std::string(buffer), key + "\\Config03");
    char small[10];
    EXPECT_EQ(profile_key_path(3, small, sizeof small), 0);
    EXPECT_STREQ(small, "");
}

struct CountCase {
    const char* name;
    sim::Windows windows;
    std::vector<std::string> keys;
    int expected;
};

const CountCase COUNT_CASES[] = {
    {"none", sim::Windows::WinXp, {}, 0},
    {"nt4_prefix_services",
     sim::Windows::Nt40,
     {"System\\CurrentControlSet\\Services\\RLORX52",
      "System\\CurrentControlSet\\Services\\RLORX521",
      "System\\CurrentControlSet\\Services\\RLORX5210",
      "System\\CurrentControlSet\\Services\\rlorx522",
      "System\\CurrentControlSet\\Services\\RLORX5", "System\\CurrentControlSet\\Services\\Tcpip"},
     3},
    {"xp_pc_card_and_usb",
     sim::Windows::WinXp,
     {"System\\CurrentControlSet\\Enum\\PCMCIA\\ORVIX-CALYX-2B13\\1",
      "System\\CurrentControlSet\\Enum\\USB\\ORVIX-CALYX-0087\\a",
      "System\\CurrentControlSet\\Enum\\USB\\ORVIX-CALYX-0087\\b"},
     3},
    {"9x_uses_enum",
     sim::Windows::Win98,
     {"Enum\\PCMCIA\\ORVIX-CALYX-2B13\\0",
      "System\\CurrentControlSet\\Enum\\PCMCIA\\ORVIX-CALYX-2B13\\1"},
     1},
    {"nt_ignores_9x_enum",
     sim::Windows::Win2000,
     {"Enum\\PCMCIA\\ORVIX-CALYX-2B13\\0",
      "System\\CurrentControlSet\\Enum\\PCMCIA\\ORVIX-CALYX-2B13\\1"},
     1},
    {"other_ids_ignored",
     sim::Windows::WinXp,
     {"System\\CurrentControlSet\\Enum\\PCMCIA\\OTHER-CARD\\1"},
     0},
};

class CountAdapters : public SimTest, public ::testing::WithParamInterface<CountCase> {};

TEST_P(CountAdapters, Counts) {
    const CountCase& c = GetParam();
    sim::set_windows(c.windows);
    detect_os_class(nullptr);
    for (const auto& key : c.keys) sim::create_key(key);
    EXPECT_EQ(count_adapters(adapter_hardware_ids), c.expected);
    EXPECT_EQ(sim::open_key_handles(), 0);
}

INSTANTIATE_TEST_SUITE_P(Layouts, CountAdapters, ::testing::ValuesIn(COUNT_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

// Common ground of the native tests: a fresh simulated Windows and the
// library's process-wide state back at program start.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "library_state.h"

class SimTest : public ::testing::Test {
protected:
    void SetUp() override { reset_library_state(); }
    // Every test, whatever path it took, leaves no key or device handle open.
    void TearDown() override { expect_no_open_handles(); }

    // A fresh machine in the middle of a test (one case of a loop). The reset
    // forgets open handles, so what ran before it is checked first.
    void restart() {
        expect_no_open_handles();
        reset_library_state();
    }

    static void expect_no_open_handles() {
        EXPECT_EQ(sim::open_key_handles(), 0) << "registry key handles left open";
        EXPECT_EQ(sim::open_device_handles(), 0) << "device handles left open";
    }
};

// Where an installed adapter's keys live, for each kind of Windows.
namespace layout {

const char ID1[] = "ORVIX-CALYX-2B13";
const char ID2[] = "ORVIX-CALYX-0087";
const char NET_GUID[] = "{4D36E972-E325-11CE-BFC1-08002bE10318}";
const char NT_CLASS[] = "System\\CurrentControlSet\\Control\\Class";
const char NT_ENUM[] = "System\\CurrentControlSet\\Enum";

inline void mark_release(const std::string& key, uint32_t variant = 1, uint32_t major = 6,
                         uint32_t minor = 41) {
    sim::set_dword(key, "DriverVariant", variant);
    sim::set_dword(key, "DriverMajor", major);
    sim::set_dword(key, "DriverMinor", minor);
}

// A PC Card installed on Windows 95/98: Enum\PCMCIA\<id>\0 -> Services\Class\Net\<nnnn>.
inline std::string win9x_pc_card(const char* id = ID1, const char* instance = "Net\\0003",
                                 const char* description = "Calyx PC Card") {
    sim::set_string(std::string("Enum\\PCMCIA\\") + id + "\\0", "Driver", instance);
    std::string key = std::string("System\\CurrentControlSet\\Services\\Class\\") + instance;
    sim::set_string(key, "VendorDescription", description);
    mark_release(key);
    return key;
}

// A PC Card on Windows 2000: Enum\PCMCIA\<id>\1 -> Control\Class\<GUID>\<nnnn>.
inline std::string win2000_pc_card(const char* id = ID1, const char* number = "0004",
                                   const char* description = "Calyx PC Card") {
    std::string driver = std::string(NET_GUID) + "\\" + number;
    sim::set_string(std::string(NT_ENUM) + "\\PCMCIA\\" + id + "\\1", "Driver", driver);
    std::string key = std::string(NT_CLASS) + "\\" + driver;
    sim::set_string(key, "VendorDescription", description);
    mark_release(key);
    return key;
}

// A PC Card on Windows XP: DrvInst names the class instance.
inline std::string winxp_pc_card(const char* id = ID1, uint32_t drv_inst = 7,
                                 const char* description = "Calyx PC Card") {
    sim::set_dword(std::string(NT_ENUM) + "\\PCMCIA\\" + id + "\\1", "DrvInst", drv_inst);
    char number[16];
    std::snprintf(number, sizeof number, "%04u", drv_inst);
    std::string key = std::string(NT_CLASS) + "\\" + NET_GUID + "\\" + number;
    sim::set_string(key, "VendorDescription", description);
    mark_release(key);
    return key;
}

// The NT 4 driver's service instance n (1 to 9).
inline std::string nt4_card(int n = 1, const char* description = "Calyx PC Card") {
    std::string key =
        "System\\CurrentControlSet\\Services\\RLORX52" + std::to_string(n) + "\\Parameters";
    sim::set_string(key, "VendorDescription", description);
    mark_release(key);
    return key;
}

}  // namespace layout

// Cases of parameterised tests print as their name rather than as raw bytes
// (test names and failure messages stay readable). A test file brings it in
// with `using case_name::operator<<;` inside its own namespace.
#include <ostream>
namespace case_name {
template <typename Case>
auto operator<<(std::ostream& os, const Case& c) -> decltype((void)c.name, os) {
    return os << c.name;
}
}  // namespace case_name

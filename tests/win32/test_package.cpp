// package/NETORX48.INF as the device installer reads it: opened with the
// real SetupAPI (Windows' or Wine's), each section followed from the
// manufacturer's models to the files and registry entries they install.
// The hardware IDs and the driver release are the library's own, not a copy.
#include <gtest/gtest.h>
#include <windows.h>

#include <initguid.h>
#include <setupapi.h>

#include <devguid.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "card_records.h"
#include "discovery.h"
#include "rc_version.h"

namespace {

const char INF_NAME[] = "NETORX48.INF";
// What the co-installer reads of each oemN.inf copy when it looks for the name.
const size_t CO_INSTALLER_READ = 10000;
const char CO_INSTALLER_LINE[] = "RCCOINST48.DLL,RLDeviceCoInstaller";
const char NET_CLASS_GUID[] = "{4D36E972-E325-11CE-BFC1-08002BE10318}";
// AddReg flags as the INF spells them: text, multi-text, number.
const char ADDREG_TEXT[] = "0";
const char ADDREG_MULTI_TEXT[] = "0x00010000";
const char ADDREG_NUMBER[] = "0x00010001";
// AddService flag: the service is the device's function driver.
const int SPSVCINST_ASSOCSERVICE_FLAG = 2;

// The INF's Windows path (RC_INF), given by the build.
std::string inf_path() {
    char value[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("RC_INF", value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

std::string upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// One line of a section: its key ("" when it has none), its fields from 1 on
// with strings substituted, and its text as SetupGetLineText gives it.
struct InfLine {
    std::string key;
    std::vector<std::string> fields;
    std::string text;
    std::string field(size_t n) const { return n >= 1 && n <= fields.size() ? fields[n - 1] : ""; }
};

class Inf {
public:
    explicit Inf(const std::string& path) {
        UINT error_line = 0;
        handle_ = SetupOpenInfFileA(path.c_str(), "Net", INF_STYLE_WIN4, &error_line);
        if (handle_ == INVALID_HANDLE_VALUE) {
            char text[160];
            std::snprintf(text, sizeof text, "error %lu at line %u",
                          static_cast<unsigned long>(GetLastError()), error_line);
            error_ = text;
        }
    }
    ~Inf() {
        if (opened()) SetupCloseInfFile(handle_);
    }
    Inf(const Inf&) = delete;
    Inf& operator=(const Inf&) = delete;

    bool opened() const { return handle_ != INVALID_HANDLE_VALUE; }
    const std::string& error() const { return error_; }
    HINF handle() const { return handle_; }

    bool has_section(const std::string& section) const {
        return SetupGetLineCountA(handle_, section.c_str()) >= 0;
    }

    std::vector<InfLine> lines(const std::string& section) const {
        std::vector<InfLine> out;
        INFCONTEXT context;
        if (!SetupFindFirstLineA(handle_, section.c_str(), nullptr, &context)) return out;
        do out.push_back(read_line(&context));
        while (SetupFindNextLine(&context, &context));
        return out;
    }

    // Field n of the first line with this key; "<none>" when there is none.
    std::string value(const std::string& section, const std::string& key, DWORD n = 1) const {
        INFCONTEXT context;
        if (!SetupFindFirstLineA(handle_, section.c_str(), key.c_str(), &context)) return "<none>";
        const InfLine line = read_line(&context);
        return n <= line.fields.size() ? line.fields[n - 1] : "<none>";
    }

    // Every value of a directive (AddReg, CopyFiles, ...) of a section: its
    // comma-separated section names, over all its lines.
    std::vector<std::string> directive(const std::string& section, const std::string& key) const {
        std::vector<std::string> out;
        INFCONTEXT context;
        if (!SetupFindFirstLineA(handle_, section.c_str(), key.c_str(), &context)) return out;
        do {
            const InfLine line = read_line(&context);
            if (upper(line.key) != upper(key)) continue;
            out.insert(out.end(), line.fields.begin(), line.fields.end());
        } while (SetupFindNextLine(&context, &context));
        return out;
    }

    // The folder SetupAPI copies a CopyFiles section's files to.
    std::string target_path(const std::string& copy_section) const {
        char path[MAX_PATH];
        DWORD needed = 0;
        if (!SetupGetTargetPathA(handle_, nullptr, copy_section.c_str(), path, sizeof path,
                                 &needed))
            return "<none>";
        return path;
    }

    // The install section Windows takes for a model's section name.
    std::string actual_section(const std::string& section) const {
        char actual[LINE_LEN];
        DWORD needed = 0;
        if (!SetupDiGetActualSectionToInstallA(handle_, section.c_str(), actual, sizeof actual,
                                               &needed, nullptr))
            return section;
        return actual;
    }

private:
    static std::string string_field(INFCONTEXT* context, DWORD n, bool* ok) {
        char text[1024];
        DWORD needed = 0;
        *ok = SetupGetStringFieldA(context, n, text, sizeof text, &needed) != FALSE;
        return *ok ? std::string(text) : std::string();
    }
    static InfLine read_line(INFCONTEXT* context) {
        InfLine line;
        bool ok = false;
        const DWORD count = SetupGetFieldCount(context);
        for (DWORD n = 1; n <= count; ++n) line.fields.push_back(string_field(context, n, &ok));
        line.key = string_field(context, 0, &ok);
        // A line without a key: Windows hands out its first field as the key.
        if (!ok || (count == 1 && line.key == line.fields[0])) line.key.clear();
        char text[2048];
        DWORD needed = 0;
        if (SetupGetLineTextA(context, nullptr, nullptr, nullptr, text, sizeof text, &needed))
            line.text = text;
        return line;
    }

    HINF handle_ = INVALID_HANDLE_VALUE;
    std::string error_;
};

std::string system_directory() {
    char path[MAX_PATH];
    const UINT n = GetSystemDirectoryA(path, sizeof path);
    return std::string(path, n);
}

// A model of the manufacturer's list: the install section and its IDs.
struct Model {
    std::string description;
    std::string section;
    std::vector<std::string> hardware_ids;
};

class Package : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(inf_path().empty()) << "RC_INF names no file";
        ASSERT_TRUE(inf_.opened()) << inf_path() << ": " << inf_.error();
    }

    std::vector<Model> models() const {
        std::vector<Model> out;
        for (const InfLine& manufacturer : inf_.lines("Manufacturer")) {
            const std::string models_section = manufacturer.field(1);
            EXPECT_TRUE(inf_.has_section(models_section)) << manufacturer.text;
            for (const InfLine& line : inf_.lines(models_section)) {
                Model model;
                model.description = line.key;
                model.section = line.field(1);
                model.hardware_ids.assign(
                    line.fields.begin() + std::min<size_t>(1, line.fields.size()),
                    line.fields.end());
                out.push_back(model);
            }
        }
        return out;
    }

    std::vector<std::string> install_sections() const {
        std::set<std::string> seen;
        std::vector<std::string> out;
        for (const Model& m : models())
            if (seen.insert(upper(m.section)).second) out.push_back(inf_.actual_section(m.section));
        return out;
    }

    // The AddReg lines a section's AddReg directive brings in.
    std::vector<InfLine> add_reg_lines(const std::string& section) const {
        std::vector<InfLine> out;
        for (const std::string& add_reg : inf_.directive(section, "AddReg")) {
            EXPECT_TRUE(inf_.has_section(add_reg)) << section << " AddReg " << add_reg;
            for (const InfLine& line : inf_.lines(add_reg)) out.push_back(line);
        }
        return out;
    }

    // The CopyFiles sections of a section that copy this file.
    std::vector<std::string> copy_sections_with(const std::string& section,
                                                const std::string& file) const {
        std::vector<std::string> out;
        for (const std::string& copy : inf_.directive(section, "CopyFiles")) {
            EXPECT_TRUE(inf_.has_section(copy)) << section << " CopyFiles " << copy;
            for (const InfLine& line : inf_.lines(copy))
                if (upper(line.field(1)) == upper(file)) out.push_back(copy);
        }
        return out;
    }

    Inf inf_{inf_path()};
};

TEST_F(Package, VersionSectionOfANetClassInf) {
    EXPECT_EQ(inf_.value("Version", "Signature"), "$Windows NT$");
    EXPECT_EQ(inf_.value("Version", "Class"), "Net");
    EXPECT_EQ(upper(inf_.value("Version", "ClassGUID")), NET_CLASS_GUID);
    // The driver version is the release's.
    EXPECT_EQ(inf_.value("Version", "DriverVer", 2), RC_VERSION_TEXT);

    GUID guid{};
    char class_name[64] = "";
    DWORD needed = 0;
    ASSERT_TRUE(
        SetupDiGetINFClassA(inf_path().c_str(), &guid, class_name, sizeof class_name, &needed));
    EXPECT_TRUE(IsEqualGUID(guid, GUID_DEVCLASS_NET));
    EXPECT_STREQ(class_name, "Net");
}

TEST_F(Package, ModelsAreTheHardwareIdsTheProgramsLookFor) {
    // The library looks for each ID below the PC Card and the USB enumerator.
    std::multiset<std::string> expected;
    for (const char* const* id = adapter_hardware_ids; *id; ++id) {
        expected.insert(std::string("PCMCIA\\") + *id);
        expected.insert(std::string("USB\\") + *id);
    }
    std::multiset<std::string> listed;
    for (const Model& m : models()) {
        EXPECT_FALSE(m.description.empty()) << m.section;
        EXPECT_EQ(m.hardware_ids.size(), 1u) << m.section;
        listed.insert(m.hardware_ids.begin(), m.hardware_ids.end());
    }
    EXPECT_EQ(listed, expected);
}

// What the library recognises the adapter by: its description and the
// driver release, written into the adapter's instance key (HKR).
TEST_F(Package, EachModelWritesTheDescriptionAndReleaseTheProgramsCheck) {
    struct Expected {
        std::string bus;
        std::string description;
    };
    const Expected buses[] = {{"PCMCIA\\", "Calyx PC Card"}, {"USB\\", "USB Adapter"}};
    const std::pair<const char*, uint16_t> release[] = {
        {"DriverVariant", REQUIRED_DRIVER_IDENTITY.variant},
        {"DriverMajor", REQUIRED_DRIVER_IDENTITY.major},
        {"DriverMinor", REQUIRED_DRIVER_IDENTITY.minor},
    };
    const std::vector<Model> all = models();
    ASSERT_FALSE(all.empty());
    for (const Model& m : all) {
        const std::string id = m.hardware_ids.empty() ? "" : m.hardware_ids[0];
        const Expected* bus = nullptr;
        for (const Expected& b : buses)
            if (id.compare(0, b.bus.size(), b.bus) == 0) bus = &b;
        ASSERT_NE(bus, nullptr) << id;
        const std::string section = inf_.actual_section(m.section);
        std::vector<std::string> descriptions;
        std::vector<std::pair<std::string, std::string>> numbers;
        for (const InfLine& line : add_reg_lines(section)) {
            if (line.field(1) != "HKR" || !line.field(2).empty()) continue;
            if (line.field(3) == "VendorDescription") {
                EXPECT_EQ(line.field(4), ADDREG_TEXT) << line.text;
                descriptions.push_back(line.field(5));
            }
            for (const auto& r : release)
                if (line.field(3) == r.first) numbers.emplace_back(line.field(3), line.field(5));
            if (line.field(3).compare(0, 6, "Driver") == 0)
                EXPECT_EQ(line.field(4), ADDREG_NUMBER) << line.text;
        }
        EXPECT_EQ(descriptions, std::vector<std::string>{bus->description}) << id;
        std::vector<std::pair<std::string, std::string>> want;
        for (const auto& r : release) want.emplace_back(r.first, std::to_string(r.second));
        EXPECT_EQ(numbers, want) << id;
    }
}

TEST_F(Package, EveryModelRegistersTheCoInstallerAndCopiesItToTheSystemDirectory) {
    const std::string system = upper(system_directory());
    const std::vector<std::string> sections = install_sections();
    ASSERT_FALSE(sections.empty());
    for (const std::string& section : sections) {
        const std::string co = section + ".CoInstallers";
        ASSERT_TRUE(inf_.has_section(co)) << co;
        int registrations = 0;
        for (const InfLine& line : add_reg_lines(co)) {
            EXPECT_EQ(line.field(1), "HKR") << line.text;
            EXPECT_EQ(line.field(2), "") << line.text;
            EXPECT_EQ(line.field(3), "CoInstallers32") << line.text;
            EXPECT_EQ(line.field(4), ADDREG_MULTI_TEXT) << line.text;
            EXPECT_EQ(line.field(5), CO_INSTALLER_LINE) << line.text;
            EXPECT_EQ(line.fields.size(), 5u) << line.text;
            ++registrations;
        }
        EXPECT_EQ(registrations, 1) << co;
        const std::vector<std::string> copies = copy_sections_with(co, "RCCOINST48.DLL");
        ASSERT_EQ(copies.size(), 1u) << co;
        EXPECT_EQ(inf_.value("DestinationDirs", copies[0]), "11") << copies[0];
        EXPECT_EQ(upper(inf_.target_path(copies[0])), system) << copies[0];
    }
}

TEST_F(Package, EveryModelCopiesTheAppletToTheSystemDirectory) {
    const std::string system = upper(system_directory());
    const std::vector<std::string> sections = install_sections();
    ASSERT_FALSE(sections.empty());
    for (const std::string& section : sections) {
        const std::vector<std::string> copies = copy_sections_with(section, "RCPANEL48.CPL");
        ASSERT_EQ(copies.size(), 1u) << section;
        EXPECT_EQ(inf_.value("DestinationDirs", copies[0]), "11") << copies[0];
        EXPECT_EQ(upper(inf_.target_path(copies[0])), system) << copies[0];
        // The applet stays out of the driver's folder.
        EXPECT_TRUE(copy_sections_with(section + ".CoInstallers", "RCPANEL48.CPL").empty());
    }
}

TEST_F(Package, EveryModelInstallsTheDriverServiceForTheDevice) {
    for (const std::string& section : install_sections()) {
        const std::string services = section + ".Services";
        const std::vector<InfLine> lines = inf_.lines(services);
        ASSERT_EQ(lines.size(), 1u) << services;
        const InfLine& add = lines[0];
        EXPECT_EQ(upper(add.key), "ADDSERVICE") << add.text;
        EXPECT_FALSE(add.field(1).empty()) << add.text;
        // RCTOOL48 '#' counts services named RLORX52... as NT 4 adapters.
        EXPECT_NE(upper(add.field(1)).compare(0, 7, "RLORX52"), 0) << add.text;
        EXPECT_EQ(std::atoi(add.field(2).c_str()) & SPSVCINST_ASSOCSERVICE_FLAG,
                  SPSVCINST_ASSOCSERVICE_FLAG)
            << add.text;
        EXPECT_NE(inf_.value(add.field(3), "ServiceBinary"), "<none>") << add.text;
        EXPECT_EQ(inf_.value(add.field(3), "ServiceType"), "1") << add.text;
        EXPECT_EQ(inf_.value(section, "Characteristics"), "0x84") << section;
        EXPECT_NE(inf_.value(section, "BusType"), "<none>") << section;
    }
}

// Every file a CopyFiles section names comes from a disk the INF describes.
TEST_F(Package, EveryCopiedFileHasASource) {
    std::set<std::string> files;
    for (const std::string& section : install_sections())
        for (const std::string& s : {section, section + ".CoInstallers"})
            for (const std::string& copy : inf_.directive(s, "CopyFiles")) {
                const std::vector<InfLine> lines = inf_.lines(copy);
                EXPECT_FALSE(lines.empty()) << copy;
                for (const InfLine& line : lines) files.insert(line.field(1));
            }
    EXPECT_EQ(files.count("RCPANEL48.CPL"), 1u);
    EXPECT_EQ(files.count("RCCOINST48.DLL"), 1u);
    for (const std::string& file : files) {
        const std::string disk = inf_.value("SourceDisksFiles", file);
        ASSERT_NE(disk, "<none>") << file;
        EXPECT_NE(inf_.value("SourceDisksNames", disk), "<none>") << file << " disk " << disk;
    }
}

// The copies Windows makes (oemN.inf) carry the name the co-installer looks
// for, within what it reads of them and as the narrow text it searches.
TEST_F(Package, NamesItselfWhereTheCoInstallerLooks) {
    const std::string path = inf_path();
    ASSERT_GE(path.size(), sizeof INF_NAME - 1);
    EXPECT_EQ(upper(path.substr(path.size() - (sizeof INF_NAME - 1))), INF_NAME);

    FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr) << path;
    std::string head(CO_INSTALLER_READ, '\0');
    head.resize(std::fread(&head[0], 1, head.size(), file));
    std::fclose(file);
    head = head.substr(0, head.find('\0'));
    EXPECT_NE(head.find(INF_NAME), std::string::npos);
}

}  // namespace

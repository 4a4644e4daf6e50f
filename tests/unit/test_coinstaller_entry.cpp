// The co-installer's answers to the device installer, and the applet file's
// removal after a device's removal.
#include <string>
#include <vector>

#include "coinstaller_fixture.h"

namespace {

using namespace coinstaller_test;
using coinstaller_test::operator<<;

const uint32_t DIF_SELECTDEVICE = 0x01;
const uint32_t DIF_INSTALLDEVICE = 0x02;
const uint32_t DIF_PROPERTIES = 0x04;
const uint32_t DIF_FIRSTTIMESETUP = 0x06;
const uint32_t DIF_PROPERTYCHANGE = 0x12;
const uint32_t DIF_NEWDEVICEWIZARD_POSTANALYZE = 0x1D;
const uint32_t DIF_DESTROYWIZARDDATA = 0x1F;
const uint32_t ERROR_DI_DO_DEFAULT = 0xE000020E;
const uint32_t ERROR_ACCESS_DENIED = 5;

// ---------------------------------------------------------------- the table

struct DifCase {
    const char* name;
    uint32_t function;
    bool post_processing;
    uint32_t install_result;
    uint32_t answer;
    bool applet_deleted;
    bool applet_started;  // and the INF copies scanned
};

const DifCase DIF_CASES[] = {
    {"remove_first_pass", COINST_DIF_REMOVE, false, COINST_NO_ERROR,
     COINST_ERROR_DI_POSTPROCESSING_REQUIRED, false, false},
    {"remove_first_pass_whatever_the_result", COINST_DIF_REMOVE, false, ERROR_ACCESS_DENIED,
     COINST_ERROR_DI_POSTPROCESSING_REQUIRED, false, false},
    {"remove_after_a_successful_removal", COINST_DIF_REMOVE, true, COINST_NO_ERROR, COINST_NO_ERROR,
     true, false},
    {"remove_after_a_failed_removal", COINST_DIF_REMOVE, true, ERROR_ACCESS_DENIED, COINST_NO_ERROR,
     false, false},
    {"remove_after_a_setupapi_error", COINST_DIF_REMOVE, true, ERROR_DI_DO_DEFAULT, COINST_NO_ERROR,
     false, false},
    {"finish_install", COINST_DIF_NEWDEVICEWIZARD_FINISHINSTALL, false, COINST_NO_ERROR,
     COINST_NO_ERROR, false, true},
    {"finish_install_post_processing_flag_not_looked_at", COINST_DIF_NEWDEVICEWIZARD_FINISHINSTALL,
     true, COINST_NO_ERROR, COINST_NO_ERROR, false, true},
    {"finish_install_result_not_looked_at", COINST_DIF_NEWDEVICEWIZARD_FINISHINSTALL, true,
     ERROR_ACCESS_DENIED, COINST_NO_ERROR, false, true},
    {"select_device", DIF_SELECTDEVICE, false, COINST_NO_ERROR, COINST_NO_ERROR, false, false},
    {"install_device", DIF_INSTALLDEVICE, false, COINST_NO_ERROR, COINST_NO_ERROR, false, false},
    {"install_device_post_processing", DIF_INSTALLDEVICE, true, COINST_NO_ERROR, COINST_NO_ERROR,
     false, false},
    {"properties", DIF_PROPERTIES, false, COINST_NO_ERROR, COINST_NO_ERROR, false, false},
    {"first_time_setup", DIF_FIRSTTIMESETUP, false, COINST_NO_ERROR, COINST_NO_ERROR, false, false},
    {"property_change", DIF_PROPERTYCHANGE, false, COINST_NO_ERROR, COINST_NO_ERROR, false, false},
    {"wizard_post_analyze", DIF_NEWDEVICEWIZARD_POSTANALYZE, false, COINST_NO_ERROR,
     COINST_NO_ERROR, false, false},
    {"destroy_wizard_data", DIF_DESTROYWIZARDDATA, true, COINST_NO_ERROR, COINST_NO_ERROR, false,
     false},
    {"remove_in_high_bits", 0x100 | COINST_DIF_REMOVE, true, COINST_NO_ERROR, COINST_NO_ERROR,
     false, false},
};

class CoinstallerDif : public CoinstallerTest, public ::testing::WithParamInterface<DifCase> {};

// A machine with the applet installed, a stale INF copy, and an applet whose
// window the user closes after a few seconds.
TEST_P(CoinstallerDif, Answers) {
    const DifCase& c = GetParam();
    host_.put_file(applet_path(), "MZ applet");
    put_inf_copy(0, "[Manufacturer]\nCopyFiles = NETORX48.INF\n");
    host_.windows.push_back({wide("Add/Edit Configuration Profile"), 1000, 4000});

    EXPECT_EQ(call(c.function, c.post_processing, c.install_result), c.answer);

    EXPECT_EQ(!host_.has_file(applet_path()), c.applet_deleted);
    EXPECT_EQ(host_.starts.size(), c.applet_started ? 1u : 0u);
    EXPECT_EQ(!copy_present(0), c.applet_started);
    if (!c.applet_started) {
        EXPECT_EQ(host_.enumerations, 0u);
        EXPECT_EQ(host_.elapsed, 0u);
    }
    if (!c.applet_deleted && !c.applet_started) {
        EXPECT_TRUE(host_.events.empty()) << host_.events.front();
    }
}

INSTANTIATE_TEST_SUITE_P(Coinstaller, CoinstallerDif, ::testing::ValuesIn(DIF_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

// Without a context there is nothing to go by: no answer but NO_ERROR, and
// nothing touched.
TEST_F(CoinstallerTest, NullContextIsAnsweredWithNoErrorAndNothingDone) {
    host_.put_file(applet_path(), "MZ applet");
    put_inf_copy(0, "NETORX48.INF");
    const uint32_t functions[] = {COINST_DIF_REMOVE, COINST_DIF_NEWDEVICEWIZARD_FINISHINSTALL,
                                  DIF_INSTALLDEVICE};
    for (uint32_t function : functions) {
        EXPECT_EQ(device_co_installer(host_, function, nullptr), COINST_NO_ERROR) << function;
    }
    EXPECT_EQ(host_.calls, 0u);
    EXPECT_TRUE(host_.has_file(applet_path()));
    EXPECT_TRUE(copy_whole(0));
}

// ---------------------------------------------------------------- removal

// The system directory's file only: not one of the same name in the Windows
// directory, the current directory or the root.
TEST_F(CoinstallerTest, RemovalDeletesTheAppletOfTheSystemDirectoryOnly) {
    const std::vector<std::string> others = {host_.windows_dir + "\\RCPANEL48.CPL",
                                             "\\RCPANEL48.CPL", "RCPANEL48.CPL"};
    host_.put_file(applet_path(), "MZ applet");
    for (const std::string& other : others) host_.put_file(other, "MZ other");

    ASSERT_EQ(call(COINST_DIF_REMOVE), COINST_ERROR_DI_POSTPROCESSING_REQUIRED);
    EXPECT_TRUE(host_.has_file(applet_path()));
    EXPECT_EQ(call(COINST_DIF_REMOVE, true, COINST_NO_ERROR), COINST_NO_ERROR);

    EXPECT_FALSE(host_.has_file(applet_path()));
    for (const std::string& other : others) EXPECT_TRUE(host_.has_file(other)) << other;
    EXPECT_EQ(host_.events, std::vector<std::string>{"delete C:\\WINNT\\system32\\RCPANEL48.CPL"});
}

// A file made read-only on purpose stays, attributes and all.
TEST_F(CoinstallerTest, RemovalLeavesAReadOnlyApplet) {
    host_.put_file(applet_path(), "MZ applet", ATTRIBUTE_READONLY | ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(call(COINST_DIF_REMOVE, true, COINST_NO_ERROR), COINST_NO_ERROR);
    ASSERT_TRUE(host_.has_file(applet_path()));
    EXPECT_EQ(host_.file(applet_path())->attributes, ATTRIBUTE_READONLY | ATTRIBUTE_ARCHIVE);
    EXPECT_TRUE(events_starting("attributes").empty());
}

// A system directory that cannot be read, or whose path would not fit,
// removes nothing: an empty or cut path names another file.
struct DirectoryCase {
    const char* name;
    size_t length;  // of the system directory; 0: it cannot be read
    bool deleted;
};

const DirectoryCase REMOVAL_DIRECTORIES[] = {
    {"unreadable", 0, false},
    {"longer_than_its_buffer", 300, false},
    {"fills_its_buffer", 255, false},      // 255 + 14 characters
    {"path_one_too_long", 246, false},     // 260 characters and the zero
    {"path_fills_the_buffer", 245, true},  // 259 characters and the zero
    {"short", 20, true},
};

class CoinstallerRemovalDirectory : public CoinstallerTest,
                                    public ::testing::WithParamInterface<DirectoryCase> {};

TEST_P(CoinstallerRemovalDirectory, DeletesOnlyWithTheWholePath) {
    const DirectoryCase& c = GetParam();
    if (c.length == 0)
        host_.system_dir_fails = true;
    else
        host_.system_dir = "C:\\" + std::string(c.length - 3, 's');
    host_.put_file(applet_path(), "MZ applet");
    // Where an empty or cut path would point.
    host_.put_file("\\RCPANEL48.CPL", "MZ other");
    host_.put_file(applet_path().substr(0, 259), "MZ other");

    EXPECT_EQ(call(COINST_DIF_REMOVE, true, COINST_NO_ERROR), COINST_NO_ERROR);

    const std::vector<std::string> deletions = events_starting("delete");
    if (c.deleted) {
        EXPECT_EQ(deletions, std::vector<std::string>{"delete " + applet_path()});
        EXPECT_FALSE(host_.has_file(applet_path()));
    } else {
        EXPECT_TRUE(deletions.empty()) << deletions.front();
    }
    EXPECT_TRUE(host_.has_file("\\RCPANEL48.CPL"));
}

INSTANTIATE_TEST_SUITE_P(Coinstaller, CoinstallerRemovalDirectory,
                         ::testing::ValuesIn(REMOVAL_DIRECTORIES),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

// The Advanced and Admin pages' logic over a fake window: the radio settings
// shown and stored, RTSThreshold 500 or 2347, the distance between access
// points, the MAC group shown only for Access Point profiles without
// SoftexPcmcia, the locally administered address typed, checked and refused
// with message 1315, and bit 0 of the profile's restart marks across showings.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "admin_page.h"
#include "advanced_page.h"
#include "fake_view.h"
#include "fixture.h"
#include "network_types.h"
#include "resource.h"
#include "store.h"

namespace {

using case_name::operator<<;

const char HELP_ADMIN[] =
    " This tab should only be used by LAN administrators to view or\n modify specific settings "
    "that may apply for your network\n infrastructure.";

const int MAC = IDC_ADMIN_MAC;
const int DEFAULT = IDC_ADMIN_MAC_DEFAULT;
const int ASSIGNED = IDC_ADMIN_MAC_ASSIGNED;
const int LARGE = IDC_ADMIN_SCALE_LARGE;
const int MEDIUM = IDC_ADMIN_SCALE_MEDIUM;
const int SMALL = IDC_ADMIN_SCALE_SMALL;

// The current profile: number 3 here, so that the pages must look at it.
const unsigned SLOT = 2;

class PagesTest : public SimTest {
protected:
    void profile(uint32_t type, const std::string& address, uint32_t softex = 0) {
        reset_profile_defaults();
        ActiveConfiguration& config = active_configuration;
        config.current_profile = SLOT + 1;
        config.profile_types[SLOT] = type;
        config.profile_types[0] = type == NET_ACCESS_POINT ? NET_BASE_STATION : NET_ACCESS_POINT;
        config.softex_pcmcia = softex;
        std::snprintf(config.network_address, sizeof config.network_address, "%s", address.c_str());
    }
    static uint8_t marks() { return active_configuration.restart_marks[SLOT]; }
    static bool mac_bit() { return (marks() & RESTART_MAC_ADDRESS) != 0; }
};

// ---- the Advanced page ----

// The six buttons' replacement procedures see nothing but clicks; a click on
// an auto radio button checks it and clears its partner.
struct FakeAdvancedPage {
    FakeView view;
    AdvancedPage page{view};

    void open() {
        page.init();
        page.set_active();
    }
    void click(int id, int partner) {
        view.checks[partner] = false;
        view.set_check(id, true);
        page.clicked();
    }
};

struct AdvancedCase {
    const char* name;
    uint32_t pm, robustness, rts;       // stored
    bool pm_on, robustness_on, rts_on;  // shown as On
    std::vector<int> clicks;            // On or Off buttons clicked
    uint32_t pm_after, robustness_after, rts_after;
};

int partner(int id) {
    switch (id) {
    case IDC_ADVANCED_POWER_OFF: return IDC_ADVANCED_POWER_ON;
    case IDC_ADVANCED_POWER_ON: return IDC_ADVANCED_POWER_OFF;
    case IDC_ADVANCED_ROBUSTNESS_OFF: return IDC_ADVANCED_ROBUSTNESS_ON;
    case IDC_ADVANCED_ROBUSTNESS_ON: return IDC_ADVANCED_ROBUSTNESS_OFF;
    case IDC_ADVANCED_RTS_OFF: return IDC_ADVANCED_RTS_ON;
    default: return IDC_ADVANCED_RTS_OFF;
    }
}

std::vector<AdvancedCase> advanced_cases() {
    const int P_ON = IDC_ADVANCED_POWER_ON, P_OFF = IDC_ADVANCED_POWER_OFF;
    const int R_ON = IDC_ADVANCED_ROBUSTNESS_ON, R_OFF = IDC_ADVANCED_ROBUSTNESS_OFF;
    const int T_ON = IDC_ADVANCED_RTS_ON, T_OFF = IDC_ADVANCED_RTS_OFF;
    return {
        {"AllOff", 0, 0, 2347, false, false, false, {}, 0, 0, 2347},
        {"AllOn", 1, 1, 500, true, true, true, {}, 1, 1, 500},
        {"Rts1000ShowsOffBecomes2347", 0, 0, 1000, false, false, false, {}, 0, 0, 2347},
        {"Rts0ShowsOffBecomes2347", 0, 0, 0, false, false, false, {}, 0, 0, 2347},
        {"Rts501ShowsOffBecomes2347", 1, 0, 501, true, false, false, {}, 1, 0, 2347},
        {"ClicksTurnAllOn", 0, 0, 2347, false, false, false, {P_ON, R_ON, T_ON}, 1, 1, 500},
        {"ClicksTurnAllOff", 1, 1, 500, true, true, true, {P_OFF, R_OFF, T_OFF}, 0, 0, 2347},
        {"Rts1000ClickedOn", 0, 0, 1000, false, false, false, {T_ON}, 0, 0, 500},
        {"ClickedBackAndForth", 0, 1, 500, false, true, true, {P_ON, P_OFF, R_OFF}, 0, 0, 500},
    };
}

class AdvancedPageCases : public PagesTest, public ::testing::WithParamInterface<AdvancedCase> {};

TEST_P(AdvancedPageCases, ShowClickLeave) {
    const AdvancedCase& c = GetParam();
    profile(NET_ACCESS_POINT, "");
    ActiveConfiguration& config = active_configuration;
    config.pm_enabled = c.pm;
    config.microwave_robustness = c.robustness;
    config.rts_threshold = c.rts;
    FakeAdvancedPage p;
    p.open();
    EXPECT_EQ(p.view.checks[IDC_ADVANCED_POWER_ON], c.pm_on);
    EXPECT_EQ(p.view.checks[IDC_ADVANCED_POWER_OFF], !c.pm_on);
    EXPECT_EQ(p.view.checks[IDC_ADVANCED_ROBUSTNESS_ON], c.robustness_on);
    EXPECT_EQ(p.view.checks[IDC_ADVANCED_ROBUSTNESS_OFF], !c.robustness_on);
    EXPECT_EQ(p.view.checks[IDC_ADVANCED_RTS_ON], c.rts_on);
    EXPECT_EQ(p.view.checks[IDC_ADVANCED_RTS_OFF], !c.rts_on);
    EXPECT_EQ(p.view.changes, 0);
    for (int id : c.clicks) p.click(id, partner(id));
    EXPECT_EQ(p.view.changes, static_cast<int>(c.clicks.size()));
    EXPECT_TRUE(p.page.kill_active());
    EXPECT_EQ(config.pm_enabled, c.pm_after);
    EXPECT_EQ(config.microwave_robustness, c.robustness_after);
    EXPECT_EQ(config.rts_threshold, c.rts_after);
    EXPECT_TRUE(p.view.messages.empty());
    EXPECT_EQ(p.view.beeps, 0);
}

INSTANTIATE_TEST_SUITE_P(Applet, AdvancedPageCases, ::testing::ValuesIn(advanced_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// A value other than 0 or 1 checks neither button of its pair; leaving with
// neither checked stores Off.
TEST_F(PagesTest, AdvancedOutOfRangeValuesCheckNeitherAndStoreOff) {
    profile(NET_ADHOC_DEMO, "");
    ActiveConfiguration& config = active_configuration;
    config.pm_enabled = 2;
    config.microwave_robustness = 0xFFFFFFFF;
    FakeAdvancedPage p;
    p.open();
    EXPECT_FALSE(p.view.checks[IDC_ADVANCED_POWER_ON]);
    EXPECT_FALSE(p.view.checks[IDC_ADVANCED_POWER_OFF]);
    EXPECT_FALSE(p.view.checks[IDC_ADVANCED_ROBUSTNESS_ON]);
    EXPECT_FALSE(p.view.checks[IDC_ADVANCED_ROBUSTNESS_OFF]);
    EXPECT_TRUE(p.page.kill_active());
    EXPECT_EQ(config.pm_enabled, 0u);
    EXPECT_EQ(config.microwave_robustness, 0u);
}

TEST_F(PagesTest, AdvancedHelpTopic) {
    profile(NET_ACCESS_POINT, "");
    FakeAdvancedPage p;
    p.open();
    p.page.help();
    EXPECT_EQ(p.view.help_topics, std::vector<uint32_t>{HELP_TOPIC_ADVANCED});
}

// ---- the Admin page ----

// The page over a fake window: the MAC buttons' replacement procedures see
// every BM_SETCHECK first; the MAC field takes typed characters up to its
// limit, as an edit does.
struct FakeAdminPage {
    FakeView view;
    AdminPage page{view};

    FakeAdminPage() {
        view.strings[IDS_HELP_ADMIN] = HELP_ADMIN;
        view.on_set_check = [this](int id, bool checked) {
            if (id == DEFAULT) page.default_set_check(checked);
            if (id == ASSIGNED) page.assigned_set_check(checked);
        };
    }
    void open() {
        page.init();
        page.set_active();
    }
    // A click on an auto radio button of a group: it clears the others, checks
    // itself, and the capture ends.
    void click(int id) {
        const std::vector<int> group = id == DEFAULT || id == ASSIGNED
                                           ? std::vector<int>{DEFAULT, ASSIGNED}
                                           : std::vector<int>{LARGE, MEDIUM, SMALL};
        for (int other : group)
            if (other != id && view.checks[other]) view.set_check(other, false);
        view.set_check(id, true);
        page.clicked();
    }
    // Select all and type.
    void type(const std::string& keys) {
        view.texts[MAC].clear();
        for (char c : keys) {
            if (page.mac_char(c) != CHAR_PASS) continue;
            std::string& text = view.texts[MAC];
            if (c == '\b') {
                if (!text.empty()) text.pop_back();
            } else if (text.size() < view.limits[MAC]) {
                text += c;
            }
        }
    }
    bool leave() { return page.kill_active(); }
    std::vector<uint16_t> messages() const { return view.message_ids(); }
};

TEST_F(PagesTest, AdminCreationLimitsHelpAndShowsMacGroupForAccessPoint) {
    profile(NET_ACCESS_POINT, "");
    FakeAdminPage p;
    p.page.init();
    EXPECT_EQ(p.view.limits[MAC], 12u);
    EXPECT_EQ(p.view.texts[IDC_ADMIN_HELP_TEXT], HELP_ADMIN);
    for (int id : {IDC_ADMIN_MAC_GROUP, DEFAULT, ASSIGNED, MAC})
        EXPECT_TRUE(p.view.shown[id]) << id;
}

TEST_F(PagesTest, AdminHelpTextOnlyWhenItLoads) {
    profile(NET_ACCESS_POINT, "");
    FakeAdminPage p;
    p.view.strings.erase(IDS_HELP_ADMIN);
    p.view.texts[IDC_ADMIN_HELP_TEXT] = "as the template has it";
    p.page.init();
    EXPECT_EQ(p.view.texts[IDC_ADMIN_HELP_TEXT], "as the template has it");
}

struct HiddenCase {
    const char* name;
    uint32_t type;
    uint32_t softex;
    const char* address;  // stored
    int selected;         // the MAC button the showing selects
    const char* address_after;
};

std::vector<HiddenCase> hidden_cases() {
    return {
        {"SoftexEmpty", NET_ACCESS_POINT, 1, "", DEFAULT, ""},
        // SoftexPcmcia selects "&Default", so leaving empties the address.
        {"SoftexStoredAddress", NET_ACCESS_POINT, 1, "02601d03bc3a", DEFAULT, ""},
        {"BaseStationEmpty", NET_BASE_STATION, 0, "", DEFAULT, ""},
        // A hidden "&Network Assigned": the stored text is neither read nor
        // checked, even an invalid one.
        {"BaseStationValid", NET_BASE_STATION, 0, "02601d03bc3a", ASSIGNED, "02601d03bc3a"},
        {"BaseStationInvalid", NET_BASE_STATION, 0, "01601d03bc3a", ASSIGNED, "01601d03bc3a"},
        {"BaseStationThirteen", NET_BASE_STATION, 0, "02601d03bc3a0", ASSIGNED, "02601d03bc3a0"},
        {"AdHocDemoInvalid", NET_ADHOC_DEMO, 0, "zz", ASSIGNED, "zz"},
        {"BaseStationSoftex", NET_BASE_STATION, 1, "zz", DEFAULT, ""},
    };
}

class AdminHidden : public PagesTest, public ::testing::WithParamInterface<HiddenCase> {};

TEST_P(AdminHidden, MacGroupStaysHiddenAndLeavingKeepsStoredText) {
    const HiddenCase& c = GetParam();
    profile(c.type, c.address, c.softex);
    FakeAdminPage p;
    p.open();
    for (int id : {IDC_ADMIN_MAC_GROUP, DEFAULT, ASSIGNED, MAC})
        EXPECT_FALSE(p.view.shown[id]) << id;
    EXPECT_TRUE(p.view.checks[c.selected]);
    EXPECT_FALSE(p.view.checks[c.selected == DEFAULT ? ASSIGNED : DEFAULT]);
    // The first showing after loading compares with mode 0: bit 0 cleared.
    EXPECT_FALSE(mac_bit());
    // Something else in the field than the stored text: never read.
    p.view.texts[MAC] = "00601d03bc3a";
    active_configuration.system_scale = 3;
    p.view.checks[SMALL] = false;
    p.view.checks[MEDIUM] = true;
    EXPECT_TRUE(p.leave());
    EXPECT_TRUE(p.messages().empty());
    EXPECT_STREQ(active_configuration.network_address, c.address_after);
    EXPECT_FALSE(mac_bit());
    EXPECT_EQ(active_configuration.system_scale, 2u);
}

INSTANTIATE_TEST_SUITE_P(Applet, AdminHidden, ::testing::ValuesIn(hidden_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// A hidden "&Network Assigned" leaves bit 0 as the showing set it: set when
// the previous showing selected "&Default".
TEST_F(PagesTest, AdminHiddenAssignedKeepsBitAsShowingSetIt) {
    profile(NET_BASE_STATION, "");
    {
        FakeAdminPage p;
        p.open();
        EXPECT_TRUE(p.leave());
    }
    std::snprintf(active_configuration.network_address, CONFIG_TEXT_SIZE, "%s", "bad");
    FakeAdminPage p;
    p.open();
    EXPECT_TRUE(p.view.checks[ASSIGNED]);
    EXPECT_TRUE(mac_bit());
    EXPECT_TRUE(p.leave());
    EXPECT_TRUE(mac_bit());
    EXPECT_STREQ(active_configuration.network_address, "bad");
}

// The Access Point page: what is stored, typed and chosen, what leaving
// stores or refuses.
struct MacCase {
    const char* name;
    const char* stored;
    int choose;  // a MAC button clicked, or 0
    bool typed;  // the field typed anew (keys), else left as shown
    const char* keys;
    const char* field;  // the field's text when leaving
    bool accepted;
    const char* address_after;
    bool bit_after;
};

std::vector<MacCase> mac_cases() {
    return {
        {"TypedUpperCaseArrivesLowerAndPasses", "", ASSIGNED, true, "02601D03BC3A", "02601d03bc3a",
         true, "02601d03bc3a", true},
        {"TypedGroupBitRefused", "", ASSIGNED, true, "01601D03BC3A", "01601d03bc3a", false,
         "01601d03bc3a", true},
        {"TypedNotLocalRefused", "", ASSIGNED, true, "00601D03BC3A", "00601d03bc3a", false,
         "00601d03bc3a", true},
        {"TypedElevenDigitsRefused", "", ASSIGNED, true, "02601D03BC3", "02601d03bc3", false,
         "02601d03bc3", true},
        {"TypedNothingRefused", "", ASSIGNED, true, "", "", false, "", true},
        {"TypedThirteenCutToTwelve", "", ASSIGNED, true, "02601D03BC3A4", "02601d03bc3a", true,
         "02601d03bc3a", true},
        {"NonHexBeepsAndIsDropped", "", ASSIGNED, true, "02g601x-D03BC3A", "02601d03bc3a", true,
         "02601d03bc3a", true},
        {"BackspaceMends", "", ASSIGNED, true, "01\b\b02601D03BC3A", "02601d03bc3a", true,
         "02601d03bc3a", true},
        {"FirstByte06Passes", "", ASSIGNED, true, "06601D03BC3A", "06601d03bc3a", true,
         "06601d03bc3a", true},
        {"FirstByteFEPasses", "", ASSIGNED, true, "FE601D03BC3A", "fe601d03bc3a", true,
         "fe601d03bc3a", true},
        {"FirstByte03Refused", "", ASSIGNED, true, "03601D03BC3A", "03601d03bc3a", false,
         "03601d03bc3a", true},
        // Shown as stored, left unchanged: no restart.
        {"StoredValidKept", "02601d03bc3a", 0, false, "", "02601d03bc3a", true, "02601d03bc3a",
         false},
        {"StoredUpperCaseValidKept", "02601D03BC3A", 0, false, "", "02601D03BC3A", true,
         "02601D03BC3A", false},
        {"StoredValidRetyped", "02601d03bc3a", 0, true, "0A601D03BC3A", "0a601d03bc3a", true,
         "0a601d03bc3a", true},
        {"StoredInvalidRefused", "01601d03bc3a", 0, false, "", "01601d03bc3a", false,
         "01601d03bc3a", false},
        {"StoredThirteenRefused", "02601d03bc3a0", 0, false, "", "02601d03bc3a0", false,
         "02601d03bc3a0", false},
        {"StoredElevenRefused", "02601d03bc3", 0, false, "", "02601d03bc3", false, "02601d03bc3",
         false},
        {"StoredNonHexRefused", "02601d03bc3g", 0, false, "", "02601d03bc3g", false, "02601d03bc3g",
         false},
        // "&Default": empty without a check, whatever the field holds.
        {"DefaultStoresEmpty", "02601d03bc3a", DEFAULT, false, "", "02601d03bc3a", true, "", true},
        {"DefaultOverInvalidStoresEmpty", "01601d03bc3a", DEFAULT, false, "", "01601d03bc3a", true,
         "", true},
        {"DefaultShownStaysEmpty", "", 0, true, "0160", "0160", true, "", false},
    };
}

class AdminMac : public PagesTest, public ::testing::WithParamInterface<MacCase> {};

TEST_P(AdminMac, TypeChooseLeave) {
    const MacCase& c = GetParam();
    profile(NET_ACCESS_POINT, c.stored);
    // A showing before this one that selected the same button as this one
    // will, so that bit 0 starts clear and only this showing's acts count.
    {
        FakeAdminPage first;
        first.open();
    }
    FakeAdminPage p;
    p.open();
    EXPECT_EQ(p.view.texts[MAC], c.stored);
    const bool assigned = c.stored[0] != '\0';
    EXPECT_EQ(p.view.checks[ASSIGNED], assigned);
    EXPECT_EQ(p.view.checks[DEFAULT], !assigned);
    EXPECT_EQ(p.view.is_enabled(MAC), assigned);
    EXPECT_FALSE(mac_bit());

    if (c.choose) p.click(c.choose);
    if (c.typed) p.type(c.keys);
    EXPECT_EQ(p.view.texts[MAC], c.field);
    const uint32_t scale = active_configuration.system_scale = 1;
    p.view.checks[LARGE] = false;
    p.view.checks[SMALL] = true;

    EXPECT_EQ(p.leave(), c.accepted);
    if (c.accepted) {
        EXPECT_TRUE(p.messages().empty());
        EXPECT_EQ(active_configuration.system_scale, 3u);
    } else {
        EXPECT_EQ(p.messages(), std::vector<uint16_t>{IDS_LOCAL_MAC_INVALID});
        EXPECT_EQ(p.view.messages[0].caption_id, IDS_CAPTION_2245);
        EXPECT_EQ(p.view.messages[0].kind, MESSAGE_WARNING);
        EXPECT_TRUE(p.view.messages[0].owned);
        EXPECT_EQ(active_configuration.system_scale, scale);
    }
    EXPECT_STREQ(active_configuration.network_address, c.address_after);
    EXPECT_EQ(mac_bit(), c.bit_after);
}

INSTANTIATE_TEST_SUITE_P(Applet, AdminMac, ::testing::ValuesIn(mac_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// The field takes an address only while "&Network Assigned" is chosen: each
// button turns it from the state the other one left.
TEST_F(PagesTest, AdminMacButtonsEnableAndDisableTheField) {
    for (const char* stored : {"", "02601d03bc3a"}) {
        SCOPED_TRACE(stored);
        restart();
        profile(NET_ACCESS_POINT, stored);
        FakeAdminPage p;
        p.open();
        EXPECT_EQ(p.view.is_enabled(MAC), stored[0] != '\0');
        p.click(ASSIGNED);
        EXPECT_TRUE(p.view.is_enabled(MAC));
        p.click(DEFAULT);
        EXPECT_FALSE(p.view.is_enabled(MAC));
        p.click(ASSIGNED);
        EXPECT_TRUE(p.view.is_enabled(MAC));
    }
}

// The MAC field's characters: what passes (and tells the sheet), what is made
// lower case, what beeps.
TEST_F(PagesTest, AdminMacCharacterRule) {
    profile(NET_ACCESS_POINT, "");
    FakeAdminPage p;
    p.open();
    int passed = 0, dropped = 0;
    for (int i = 0; i < 256; ++i) {
        char c = static_cast<char>(i);
        const char before = c;
        const CharAction action = p.page.mac_char(c);
        const bool hex_lower = (before >= '0' && before <= '9') || (before >= 'a' && before <= 'f');
        const bool hex_upper = before >= 'A' && before <= 'F';
        if (before == '\b' || hex_lower || hex_upper) {
            EXPECT_EQ(action, CHAR_PASS) << i;
            EXPECT_EQ(c, hex_upper ? static_cast<char>(before - 'A' + 'a') : before) << i;
            ++passed;
        } else {
            EXPECT_EQ(action, CHAR_DROP) << i;
            ++dropped;
        }
    }
    EXPECT_EQ(passed, 23);
    EXPECT_EQ(p.view.changes, 23);
    EXPECT_EQ(p.view.beeps, dropped);
}

// A paste into the MAC field: all or nothing by the typing rule; a backspace
// or any other control character in it is refused with a beep.
TEST_F(PagesTest, AdminMacPaste) {
    struct Case {
        const char* clipboard;
        bool taken;
        const char* inserted;  // what the glue puts in, when taken
        int changes;
        int beeps;
    };
    const Case cases[] = {
        {"02601D03BC3A", true, "02601d03bc3a", 1, 0},
        {"0260", true, "0260", 1, 0},
        {"", true, "", 0, 0},
        {"02601d03bc3\b", false, "02601d03bc3\b", 0, 1},
        {"0260 1d03", false, "0260 1d03", 0, 1},
        {"\t02601d03bc3a", false, "\t02601d03bc3a", 0, 1},
        {"02601d03bc3g", false, "02601d03bc3g", 0, 1},
    };
    for (const Case& c : cases) {
        profile(NET_ACCESS_POINT, "");
        FakeAdminPage p;
        p.open();
        const int changes = p.view.changes;
        char text[32];
        std::snprintf(text, sizeof text, "%s", c.clipboard);
        EXPECT_EQ(p.page.mac_paste(text), c.taken) << c.clipboard;
        EXPECT_STREQ(text, c.inserted) << c.clipboard;
        EXPECT_EQ(p.view.changes - changes, c.changes) << c.clipboard;
        EXPECT_EQ(p.view.beeps, c.beeps) << c.clipboard;
    }
}

// A refused leaving keeps the rejected text in memory and the page; mended,
// the next leaving goes.
TEST_F(PagesTest, AdminRefusedThenMended) {
    profile(NET_ACCESS_POINT, "");
    active_configuration.system_scale = 2;
    FakeAdminPage p;
    p.open();
    p.click(ASSIGNED);
    p.click(SMALL);
    p.type("01601d03bc3a");
    EXPECT_FALSE(p.leave());
    EXPECT_STREQ(active_configuration.network_address, "01601d03bc3a");
    EXPECT_EQ(active_configuration.system_scale, 2u);
    p.type("02601d03bc3a");
    EXPECT_TRUE(p.leave());
    EXPECT_STREQ(active_configuration.network_address, "02601d03bc3a");
    EXPECT_EQ(active_configuration.system_scale, 3u);
    EXPECT_EQ(p.messages(), std::vector<uint16_t>{IDS_LOCAL_MAC_INVALID});
    EXPECT_TRUE(mac_bit());
    EXPECT_EQ(p.view.changes, 2 + 24);
}

// ---- bit 0 across showings ----

TEST_F(PagesTest, AdminFirstShowingClearsBitThenSwitchesSetAndClear) {
    for (const char* stored : {"", "02601d03bc3a"}) {
        SCOPED_TRACE(stored);
        restart();
        profile(NET_ACCESS_POINT, stored);
        active_configuration.restart_marks[SLOT] = RESTART_MAC_ADDRESS | RESTART_ADAPTER;
        active_configuration.restart_marks[0] = RESTART_MAC_ADDRESS;
        EXPECT_EQ(admin_mac_mode, 0);
        FakeAdminPage p;
        p.open();
        // Mode 0 matches neither button: cleared, the other bits and
        // profiles untouched.
        EXPECT_EQ(marks(), RESTART_ADAPTER);
        EXPECT_EQ(active_configuration.restart_marks[0], RESTART_MAC_ADDRESS);
        p.click(stored[0] ? DEFAULT : ASSIGNED);
        EXPECT_TRUE(mac_bit());
        p.click(stored[0] ? ASSIGNED : DEFAULT);
        EXPECT_FALSE(mac_bit());
        EXPECT_EQ(marks(), RESTART_ADAPTER);
    }
}

struct ShowingCase {
    const char* name;
    const char* first;   // stored at the first showing
    const char* second;  // stored at the next
    bool bit_at_second;
};

TEST_F(PagesTest, AdminLaterShowingsCompareWithThePreviousOne) {
    const ShowingCase cases[] = {
        {"DefaultThenDefault", "", "", false},
        {"DefaultThenAssigned", "", "02601d03bc3a", true},
        {"AssignedThenDefault", "02601d03bc3a", "", true},
        {"AssignedThenAssigned", "02601d03bc3a", "0a601d03bc3a", false},
    };
    for (const ShowingCase& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        profile(NET_ACCESS_POINT, c.first);
        {
            FakeAdminPage p;
            p.open();
            EXPECT_TRUE(p.leave());
            EXPECT_FALSE(mac_bit());
        }
        std::snprintf(active_configuration.network_address, CONFIG_TEXT_SIZE, "%s", c.second);
        // A new sheet: the mode of the previous showing is still in place.
        FakeAdminPage p;
        p.open();
        EXPECT_EQ(mac_bit(), c.bit_at_second);
        EXPECT_EQ(admin_mac_mode, c.second[0] ? ASSIGNED : DEFAULT);
        EXPECT_STREQ(admin_mac_at_showing, c.second);
    }
}

// The comparison on leaving is with the whole address as shown, even one too
// long for the field.
TEST_F(PagesTest, AdminComparesWithWholeAddressAtShowing) {
    std::string long_address = "02601d03bc3a" + std::string(200, '0');
    profile(NET_ACCESS_POINT, long_address);
    FakeAdminPage p;
    p.open();
    EXPECT_EQ(std::string(admin_mac_at_showing), long_address);
    // Refused as it is (longer than 12).
    EXPECT_FALSE(p.leave());
    EXPECT_FALSE(mac_bit());
    // Its first 12 characters typed: a different address.
    p.type("02601d03bc3a");
    EXPECT_TRUE(p.leave());
    EXPECT_TRUE(mac_bit());
}

TEST_F(PagesTest, AppletResetForgetsMacModeAndAddress) {
    profile(NET_ACCESS_POINT, "02601d03bc3a");
    FakeAdminPage p;
    p.open();
    EXPECT_EQ(admin_mac_mode, ASSIGNED);
    restart();
    EXPECT_EQ(admin_mac_mode, 0);
    EXPECT_STREQ(admin_mac_at_showing, "");
}

// ---- the distance between access points ----

struct ScaleCase {
    const char* name;
    uint32_t stored;
    int shown;    // checked by the showing, 0 for none
    int clicked;  // 0 for none
    uint32_t after;
};

std::vector<ScaleCase> scale_cases() {
    return {
        {"LargeKept", 1, LARGE, 0, 1},          {"MediumShown", 2, MEDIUM, 0, 2},
        {"SmallKept", 3, SMALL, 0, 3},          {"ZeroShowsNoneStores1", 0, 0, 0, 1},
        {"FourShowsNoneStores1", 4, 0, 0, 1},   {"HugeShowsNoneStores1", 0xFFFFFFFF, 0, 0, 1},
        {"LargeToMedium", 1, LARGE, MEDIUM, 2}, {"MediumToSmall", 2, MEDIUM, SMALL, 3},
        {"SmallToLarge", 3, SMALL, LARGE, 1},   {"NoneToSmall", 0, 0, SMALL, 3},
    };
}

class AdminScale : public PagesTest, public ::testing::WithParamInterface<ScaleCase> {};

TEST_P(AdminScale, ShowClickLeave) {
    const ScaleCase& c = GetParam();
    profile(NET_BASE_STATION, "");
    active_configuration.system_scale = c.stored;
    FakeAdminPage p;
    p.open();
    for (int id : {LARGE, MEDIUM, SMALL}) EXPECT_EQ(p.view.checks[id], id == c.shown) << id;
    if (c.clicked) p.click(c.clicked);
    EXPECT_EQ(p.view.changes, c.clicked ? 1 : 0);
    EXPECT_TRUE(p.leave());
    EXPECT_EQ(active_configuration.system_scale, c.after);
}

INSTANTIATE_TEST_SUITE_P(Applet, AdminScale, ::testing::ValuesIn(scale_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PagesTest, AdminHelpTopic) {
    profile(NET_ACCESS_POINT, "");
    FakeAdminPage p;
    p.open();
    p.page.help();
    EXPECT_EQ(p.view.help_topics, std::vector<uint32_t>{HELP_TOPIC_ADMIN});
}

// check_local_mac on its own.
TEST_F(PagesTest, CheckLocalMac) {
    struct {
        const char* address;
        int valid;
    } cases[] = {
        {"02601d03bc3a", 1},  {"02601D03BC3A", 1},
        {"0e0000000000", 1},  {"fa0000000000", 1},
        {"01601d03bc3a", 0},  {"00601d03bc3a", 0},
        {"03601d03bc3a", 0},  {"02601d03bc3", 0},
        {"02601d03bc3a0", 0}, {"", 0},
        {"02601d03bc3 ", 0},  {" 2601d03bc3a", 0},
        {"0x601d03bc3a", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        profile(NET_ACCESS_POINT, c.address);
        FakeView view;
        EXPECT_EQ(check_local_mac(view), c.valid);
        EXPECT_EQ(view.message_ids(),
                  c.valid ? std::vector<uint16_t>{} : std::vector<uint16_t>{IDS_LOCAL_MAC_INVALID});
    }
    // An unterminated field is judged by its 256 bytes, not beyond.
    profile(NET_ACCESS_POINT, "");
    std::memset(active_configuration.network_address, '2', CONFIG_TEXT_SIZE);
    FakeView view;
    EXPECT_EQ(check_local_mac(view), 0);
}

}  // namespace

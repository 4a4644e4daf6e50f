// The Basic page's logic over a fake window: the network name by type, the
// radio settings derived at each showing, own_channel, and for gateway and
// peer-to-peer profiles the data-security box and Key 1 with its mask; what
// typing, pasting and clicking do, and what leaving the page accepts, refuses
// and stores.
#include <cstring>
#include <string>
#include <vector>

#include "basic_page.h"
#include "encryption.h"
#include "fake_view.h"
#include "fixture.h"
#include "page_record.h"
#include "resource.h"
#include "store.h"

namespace {

using case_name::operator<<;

const int NAME = IDC_BASIC_NAME;
const int KEY = IDC_BASIC_KEY;
const int BOX = IDC_BASIC_DATA_SECURITY;

const char HELP_GATEWAY[] =
    " For Network Name enter the 6-character ID printed\n on a label on the back of your "
    "Residential Gateway.\n\n The default Encryption Key equals the last 5 characters\n of the "
    "Network Name.";
const char HELP_ACCESS_POINT[] =
    " The Network Name should match the Network Name\n value of the Access Point(s).\n\n Consult "
    "your LAN administrator for the correct value.";
const char HELP_PEER[] =
    " To connect to a Peer-to-Peer workgroup, all workgroup\n participants should use the same "
    "Network Name value. ";
const char HELP_BASE_STATION[] =
    " The Network Name is the name of the network you\n are creating with this profile.";
const char KEY_PRINTABLE[] = "Use 5 printable characters (or 13 with ";
const char COMPOSED_WARNING[] = "Use 5 printable characters (or 13 with Duocard (WEP 128))";

// The page over a fake window whose edits behave as edits do: typed characters
// land at the end within the field's limit, a backspace takes the last one.
class FakeBasicPage {
public:
    FakeView view;
    BasicPage page{view};

    FakeBasicPage() {
        view.strings[IDS_HELP_RESIDENTIAL_GATEWAY] = HELP_GATEWAY;
        view.strings[IDS_HELP_ACCESS_POINT] = HELP_ACCESS_POINT;
        view.strings[IDS_HELP_PEER_TO_PEER] = HELP_PEER;
        view.strings[IDS_HELP_BASE_STATION] = HELP_BASE_STATION;
        view.strings[IDS_KEY_PRINTABLE] = KEY_PRINTABLE;
        // The box's replacement procedure sees every BM_SETCHECK first.
        view.on_set_check = [this](int id, bool checked) {
            if (id == BOX) page.security_set_check(checked);
        };
    }

    // The sheet creates the page at its first showing.
    void open() {
        page.init();
        page.set_active();
    }

    // Keystrokes into a field: characters, and <bs>, <left>, <ctrl-v>,
    // <paste:text>, <cut>, <clear>.
    void keys(int id, const std::string& keys) {
        for (size_t i = 0; i < keys.size(); ++i) {
            if (keys[i] != '<') {
                stroke(id, keys[i], true);
                continue;
            }
            const size_t end = keys.find('>', i);
            const std::string token = keys.substr(i + 1, end - i - 1);
            i = end;
            if (token == "bs")
                stroke(id, '\b', true);
            else if (token == "ctrl-v")
                stroke(id, '\x16', true);
            else if (token == "left")
                stroke(id, 0, false);
            else if (token.rfind("paste:", 0) == 0)
                paste(id, token.substr(6));
            else if (token == "cut" || token == "clear")
                cut(id);
            else
                ADD_FAILURE() << "unknown keystroke " << token;
        }
    }

    // A key press: WM_KEYDOWN, WM_CHAR when the key makes one, WM_KEYUP.
    void stroke(int id, char c, bool makes_char) {
        if (id == KEY) page.key_key_down();
        if (makes_char) {
            const CharAction action = id == KEY ? page.key_char(c) : page.name_char(c);
            if (action == CHAR_PASS) insert(id, std::string(1, c));
        }
        if (id == NAME) page.name_key_up();
    }

    void paste(int id, const std::string& clipboard) {
        if (id == KEY) {
            if (page.key_paste(clipboard.c_str())) insert(id, clipboard);
            return;
        }
        std::vector<char> text(clipboard.begin(), clipboard.end());
        text.push_back('\0');
        if (!page.name_paste(text.data())) return;
        insert(id, text.data());
        page.name_key_up();
    }

    // Select all, then cut (or clear): the edit cuts, the name's key follows.
    void cut(int id) {
        if (id == KEY) {
            page.key_cut_or_clear();
            view.texts[id].clear();
            return;
        }
        page.name_cut_or_clear();
        view.texts[id].clear();
        page.name_key_up();
    }

    // A click on the auto check box: it sets its own new state, then the
    // mouse capture ends.
    void click_box() {
        view.set_check(BOX, !view.checks[BOX]);
        page.security_clicked();
    }

    bool leave() { return page.kill_active(); }

    std::string text(int id) { return view.texts[id]; }

private:
    void insert(int id, const std::string& what) {
        std::string& text = view.texts[id];
        auto limit = view.limits.find(id);
        for (char c : what) {
            if (c == '\b') {
                if (!text.empty()) text.pop_back();
            } else if (limit == view.limits.end() || text.size() < limit->second) {
                text += c;
            }
        }
    }
};

// A stored Encryption text as a test sets it up.
enum class Stored {
    EMPTY_KEY,    // data security off, no Key 1
    KEY_5,        // data security on, Key 1 "k1abc"
    KEY_13_OFF,   // data security off, Key 1 "thirteenchars"
    WRONG_MAGIC,  // 102 characters of a record without the magic
    SHORT_TEXT,   // 101 characters
};

const char STORED_KEY_5[] = "k1abc";
const char STORED_KEY_13[] = "thirteenchars";
const char STORED_KEY_2[] = "slot2";

// The record behind a stored text. Keys 2 to 4 and the transmit key tell
// whether a leave kept what was loaded.
EncryptionRecord stored_record(Stored stored) {
    EncryptionRecord r;
    init_encryption_record(&r);
    r.tx_key_index = 2;
    r.keys[1].length = 5;
    std::memcpy(r.keys[1].material, STORED_KEY_2, 5);
    switch (stored) {
    case Stored::EMPTY_KEY: break;
    case Stored::KEY_5:
        r.data_security = 1;
        r.keys[0].length = 5;
        std::memcpy(r.keys[0].material, STORED_KEY_5, 5);
        break;
    case Stored::KEY_13_OFF:
        r.keys[0].length = 13;
        std::memcpy(r.keys[0].material, STORED_KEY_13, 13);
        break;
    case Stored::WRONG_MAGIC:
        r.magic = 0x48576878;
        r.data_security = 1;
        r.keys[0].length = 5;
        std::memcpy(r.keys[0].material, STORED_KEY_5, 5);
        break;
    case Stored::SHORT_TEXT: break;
    }
    return r;
}

std::string stored_text(Stored stored) {
    const EncryptionRecord r = stored_record(stored);
    char text[ENCRYPTION_TEXT_SIZE];
    encode_encryption_text(&r, text);
    std::string s = text;
    if (stored == Stored::SHORT_TEXT) s.pop_back();
    return s;
}

std::vector<uint8_t> bytes_of(const EncryptionRecord& r) {
    std::vector<uint8_t> bytes(ENCRYPTION_RECORD_SIZE);
    pack_encryption_record(&r, bytes.data());
    return bytes;
}

// What the active configuration's Encryption text decodes to; empty when it
// does not.
std::vector<uint8_t> decoded_bytes() {
    EncryptionRecord r;
    if (!decode_valid_encryption_text(active_configuration.encryption, &r)) return {};
    return bytes_of(r);
}

struct Message {
    uint16_t id;  // 0: the composed key warning
    uint16_t caption;
    bool owned;
    bool operator==(const Message& o) const {
        return id == o.id && caption == o.caption && owned == o.owned;
    }
};

std::ostream& operator<<(std::ostream& os, const Message& m) {
    return os << "{" << m.id << ", caption " << m.caption << (m.owned ? ", page}" : ", none}");
}

std::vector<Message> messages_of(const FakeView& view) {
    std::vector<Message> out;
    for (const AskedMessage& m : view.messages) {
        EXPECT_EQ(m.kind, MESSAGE_WARNING);
        if (m.text_id == 0) {
            EXPECT_EQ(m.text, COMPOSED_WARNING);
        }
        out.push_back({m.text_id, m.caption_id, m.owned});
    }
    return out;
}

const Message M1322{IDS_NETWORK_NAME_MISSING, IDS_CAPTION_2249, true};
const Message M1323{IDS_NETWORK_NAME_LENGTH, IDS_CAPTION_2249, true};
const Message M1334{IDS_NETWORK_NAME_ANY, IDS_CAPTION_2249, true};
const Message M1327{IDS_BASIC_KEY_MISSING, IDS_CAPTION_2247, false};
const Message M1316{0, IDS_CAPTION_2247, false};
const Message M1333{IDS_DATA_SECURITY_OFF, IDS_CAPTION_2246, true};

class BasicPageTest : public SimTest {
protected:
    // The current profile (number 2 here: the page must look at the current
    // one) of this type, its names and Encryption text as loaded.
    void profile(uint32_t type, const std::string& desired, const std::string& own,
                 const std::string& encryption) {
        reset_profile_defaults();
        ActiveConfiguration& config = active_configuration;
        config.current_profile = 2;
        config.profile_types[1] = type;
        config.profile_types[0] =
            type == NET_RESIDENTIAL_GATEWAY ? NET_PEER_TO_PEER : NET_RESIDENTIAL_GATEWAY;
        std::snprintf(config.desired_ssid, sizeof config.desired_ssid, "%s", desired.c_str());
        std::snprintf(config.own_ssid, sizeof config.own_ssid, "%s", own.c_str());
        std::snprintf(config.encryption, sizeof config.encryption, "%s", encryption.c_str());
        // What a showing must overwrite.
        config.port_type = 3;
        config.create_ibss = type == NET_PEER_TO_PEER ? 0 : 1;
        config.ap_mode = 5;
        config.own_channel = 1;
    }

    FakeBasicPage p_;
};

// ---- one row: a profile, what the user types, what leaving gives ----

struct Expected {
    // Key 1 as stored after an accepted leave of a type 1 or 2 page, and
    // data_security; kept_slots: keys 2 to 4 as loaded (not a fresh record).
    const char* key1 = nullptr;
    int data_security = 0;
    bool kept_slots = false;
};

struct LeaveCase {
    const char* name = "";
    uint32_t type = 0;
    const char* stored_name = "";  // DesiredSSID, or OwnSSID for type 3
    Stored stored = Stored::EMPTY_KEY;
    const char* name_keys = "";
    int box_clicks = 0;
    const char* key_keys = "";  // typed after the clicks
    // After typing.
    const char* name_field = "";
    const char* key_field = "";
    int beeps = 0;
    int changes = 0;
    // Leaving.
    bool accepted = false;
    std::vector<Message> messages;
    const char* desired = "";
    const char* own = "";
    uint32_t own_channel = 1;
    Expected record;  // only for accepted leaves of types 1 and 2

    LeaveCase& shows(const char* name_text, const char* key_text, int beep_count,
                     int change_count) {
        name_field = name_text;
        key_field = key_text;
        beeps = beep_count;
        changes = change_count;
        return *this;
    }
    // A message before the leave (the box's warning).
    LeaveCase& warned(const Message& m) {
        messages.push_back(m);
        return *this;
    }
    LeaveCase& accepts(const char* desired_ssid, const char* own_ssid, uint32_t channel,
                       Expected stored_record = {}) {
        accepted = true;
        desired = desired_ssid;
        own = own_ssid;
        own_channel = channel;
        record = stored_record;
        return *this;
    }
    LeaveCase& refuses(const Message& m, const char* desired_ssid, const char* own_ssid,
                       uint32_t channel) {
        messages.push_back(m);
        desired = desired_ssid;
        own = own_ssid;
        own_channel = channel;
        return *this;
    }
};

const char* const MASK = KEY_MASK;

// A profile of this type with this name and Encryption text; what the user
// types into the name field, how often the box is clicked, what is typed
// into the key field.
LeaveCase row(const char* name, uint32_t type, const char* stored_name, Stored stored,
              const char* name_keys, int box_clicks = 0, const char* key_keys = "") {
    LeaveCase c;
    c.name = name;
    c.type = type;
    c.stored_name = stored_name;
    c.stored = stored;
    c.name_keys = name_keys;
    c.box_clicks = box_clicks;
    c.key_keys = key_keys;
    return c;
}

std::vector<LeaveCase> leave_cases() {
    const uint32_t AP = NET_ACCESS_POINT, RG = NET_RESIDENTIAL_GATEWAY, P2P = NET_PEER_TO_PEER,
                   BS = NET_BASE_STATION;
    const Stored EMPTY = Stored::EMPTY_KEY, KEY5 = Stored::KEY_5, KEY13 = Stored::KEY_13_OFF,
                 WRONG = Stored::WRONG_MAGIC, SHORT = Stored::SHORT_TEXT;
    const char* const ID = "12abef";
    return {
        // Access point: no rule at all.
        row("ApKeepsName", AP, "office", KEY5, "")
            .shows("office", "", 0, 0)
            .accepts("office", "", 1),
        // Cut and clear are changes, as a paste is.
        row("ApEmptyName", AP, "office", KEY5, "<clear>").shows("", "", 0, 1).accepts("", "", 1),
        row("ApNameCut", AP, "office", KEY5, "<cut>").shows("", "", 0, 1).accepts("", "", 1),
        row("ApAny", AP, "", KEY5, "ANY").shows("ANY", "", 0, 3).accepts("ANY", "", 1),
        row("ApEveryCharacterPasses", AP, "", KEY5, "g <bs>!~")
            .shows("g!~", "", 0, 5)
            .accepts("g!~", "", 1),
        row("ApNameCutTo32", AP, "", KEY5, "<paste:0123456789012345678901234567890123456789>")
            .shows("01234567890123456789012345678901", "", 0, 1)
            .accepts("01234567890123456789012345678901", "", 1),

        // Residential gateway.
        row("GatewayTypedIdGivesKey", RG, "", EMPTY, "0A1b2C")
            .shows("0a1b2c", "a1b2c", 0, 6)
            .accepts("0a1b2c", "", 1, {"a1b2c", 1, true}),
        row("GatewayLetterGBeeps", RG, "", EMPTY, "0a1b2g")
            .shows("0a1b2", "", 1, 5)
            .refuses(M1323, "0a1b2", "", 1),
        row("GatewaySevenKeysSixLand", RG, "", EMPTY, "0a1b2c3")
            .shows("0a1b2c", "a1b2c", 0, 7)
            .accepts("0a1b2c", "", 1, {"a1b2c", 1, true}),
        row("GatewayBackspaceRederives", RG, "", EMPTY, "0a1b2c<bs>d")
            .shows("0a1b2d", "a1b2d", 0, 8)
            .accepts("0a1b2d", "", 1, {"a1b2d", 1, true}),
        row("GatewayEmptiedNameRefused", RG, "", KEY5, "<bs>")
            .shows("", "", 0, 1)
            .refuses(M1323, "", "", 1),
        row("GatewayCtrlVDropped", RG, "", EMPTY, "<ctrl-v>")
            .shows("", "", 1, 0)
            .refuses(M1323, "", "", 1),
        // A stored ID, untouched, keeps the stored key behind its mask.
        row("GatewayUntouchedKeepsKey", RG, ID, KEY5, "")
            .shows(ID, MASK, 0, 0)
            .accepts(ID, "", 1, {STORED_KEY_5, 1, true}),
        // Arrow keys do not type: no name-typed flag, the mask stays.
        row("GatewayArrowKeepsMask", RG, ID, KEY5, "<left>")
            .shows(ID, MASK, 0, 0)
            .accepts(ID, "", 1, {STORED_KEY_5, 1, true}),
        // A dropped character sets no flag either.
        row("GatewayDroppedKeepsMask", RG, ID, KEY5, "x")
            .shows(ID, MASK, 1, 0)
            .accepts(ID, "", 1, {STORED_KEY_5, 1, true}),
        // Data security was stored off: the gateway shows it on all the same.
        row("GatewayStoredOffShowsOn", RG, ID, KEY13, "")
            .shows(ID, MASK, 0, 0)
            .accepts(ID, "", 1, {STORED_KEY_13, 1, true}),
        row("GatewayKeyTypedOver", RG, ID, KEY5, "", 0, "zz9!?")
            .shows(ID, "zz9!?", 0, 5)
            .accepts(ID, "", 1, {"zz9!?", 1, true}),
        row("GatewayKeyLimitFive", RG, ID, KEY5, "", 0, "abcdefgh")
            .shows(ID, "abcde", 0, 8)
            .accepts(ID, "", 1, {"abcde", 1, true}),
        row("GatewayShortKeyComposedWarning", RG, ID, KEY5, "", 0, "abc")
            .shows(ID, "abc", 0, 3)
            .refuses(M1316, ID, "", 1),
        row("GatewayEmptiedKey1327", RG, ID, KEY5, "", 0, "<left>")
            .shows(ID, "", 0, 0)
            .refuses(M1327, ID, "", 1),
        // Unchecking warns (1333) but goes through; then an empty key passes.
        row("GatewayUncheckedEmptyKey", RG, ID, EMPTY, "", 1)
            .shows(ID, "", 0, 1)
            .warned(M1333)
            .accepts(ID, "", 1, {"", 0, true}),
        row("GatewayUncheckRecheck", RG, ID, KEY5, "", 2)
            .shows(ID, MASK, 0, 2)
            .warned(M1333)
            .accepts(ID, "", 1, {STORED_KEY_5, 1, true}),
        // Pastes: all or nothing by the typing rule.
        row("GatewayPasteConverted", RG, "", KEY5, "<paste:0A1B2C>")
            .shows("0a1b2c", "a1b2c", 0, 1)
            .accepts("0a1b2c", "", 1, {"a1b2c", 1, true}),
        row("GatewayPasteRefused", RG, ID, KEY5, "<paste:12 ab>")
            .shows(ID, MASK, 1, 0)
            .accepts(ID, "", 1, {STORED_KEY_5, 1, true}),
        row("GatewayPasteBackspaceRefused", RG, "", KEY5, "<paste:1\b>")
            .shows("", MASK, 1, 0)
            .refuses(M1323, "", "", 1),
        // A cut name no longer gives a key: the key follows it, as typed.
        row("GatewayNameCutEmptiesTheKey", RG, ID, KEY5, "<cut>")
            .shows("", "", 0, 1)
            .refuses(M1323, "", "", 1),
        row("GatewayNameClearedThenTyped", RG, ID, KEY5, "<clear>9f8e7d")
            .shows("9f8e7d", "f8e7d", 0, 7)
            .accepts("9f8e7d", "", 1, {"f8e7d", 1, true}),
        row("GatewayKeyPasteReplacesMask", RG, ID, KEY5, "", 0, "<paste:pqrst>")
            .shows(ID, "pqrst", 0, 1)
            .accepts(ID, "", 1, {"pqrst", 1, true}),
        // A wrong magic: a fresh record, the key field empty; on for a gateway.
        row("GatewayWrongMagic", RG, ID, WRONG, "").shows(ID, "", 0, 0).refuses(M1327, ID, "", 1),
        row("GatewayShortTextTyped", RG, "", SHORT, "abcdef")
            .shows("abcdef", "bcdef", 0, 6)
            .accepts("abcdef", "", 1, {"bcdef", 1, false}),

        // Peer-to-peer.
        row("PeerAnyUpper", P2P, "", EMPTY, "ANY").shows("ANY", "", 0, 3).refuses(M1334, "", "", 1),
        row("PeerAnyLower", P2P, "any", EMPTY, "").shows("any", "", 0, 0).refuses(M1334, "", "", 1),
        row("PeerAnyMixed", P2P, "aNy", EMPTY, "").shows("aNy", "", 0, 0).refuses(M1334, "", "", 1),
        row("PeerBeginsWithAny", P2P, "ANYthing", EMPTY, "")
            .shows("ANYthing", "", 0, 0)
            .accepts("ANYthing", "", 10, {"", 0, true}),
        row("PeerAnyWithBlank", P2P, "ANY ", EMPTY, "")
            .shows("ANY ", "", 0, 0)
            .accepts("ANY ", "", 10, {"", 0, true}),
        row("PeerEmptyName", P2P, "", EMPTY, "").shows("", "", 0, 0).refuses(M1322, "", "", 1),
        row("PeerStoredFlagShown", P2P, "lan", KEY5, "")
            .shows("lan", MASK, 0, 0)
            .accepts("lan", "", 10, {STORED_KEY_5, 1, true}),
        row("PeerKey13", P2P, "lan", EMPTY, "", 1, "abcdefghijklm")
            .shows("lan", "abcdefghijklm", 0, 14)
            .accepts("lan", "", 10, {"abcdefghijklm", 1, true}),
        // own_channel is set once the name passed, before the key is judged.
        row("PeerKeyTenRefused", P2P, "lan", KEY5, "", 0, "abcdefghij")
            .shows("lan", "abcdefghij", 0, 10)
            .refuses(M1316, "lan", "", 10),
        row("PeerKeyEmptyOn1327", P2P, "lan", EMPTY, "", 1)
            .shows("lan", "", 0, 1)
            .refuses(M1327, "lan", "", 10),
        row("PeerKeyEmptyOffAccepted", P2P, "lan", EMPTY, "")
            .shows("lan", "", 0, 0)
            .accepts("lan", "", 10, {"", 0, true}),
        row("PeerMaskCutOff", P2P, "lan", KEY13, "", 0, "<cut>")
            .shows("lan", "", 0, 1)
            .accepts("lan", "", 10, {"", 0, true}),
        row("PeerMaskClearedOn1327", P2P, "lan", KEY5, "", 0, "<clear>")
            .shows("lan", "", 0, 1)
            .refuses(M1327, "lan", "", 10),
        row("PeerUncheckNoWarning", P2P, "lan", KEY5, "", 1)
            .shows("lan", MASK, 0, 1)
            .accepts("lan", "", 10, {STORED_KEY_5, 0, true}),
        row("PeerWrongMagicUnchecked", P2P, "lan", WRONG, "")
            .shows("lan", "", 0, 0)
            .accepts("lan", "", 10, {"", 0, false}),
        row("PeerShortTextUnchecked", P2P, "lan", SHORT, "")
            .shows("lan", "", 0, 0)
            .accepts("lan", "", 10, {"", 0, false}),
        row("PeerNamePasteAnything", P2P, "", EMPTY, "<paste:Caf\xe9 Net>")
            .shows("Caf\xe9 Net", "", 0, 1)
            .accepts("Caf\xe9 Net", "", 10, {"", 0, true}),

        // Base station: OwnSSID, and own_channel 10 even when refused.
        row("BaseStationName", BS, "mine", KEY5, "2")
            .shows("mine2", "", 0, 1)
            .accepts("", "mine2", 10),
        row("BaseStationEmpty", BS, "x", KEY5, "<bs>")
            .shows("", "", 0, 1)
            .refuses(M1322, "", "", 10),
        row("BaseStationAny", BS, "ANY", KEY5, "").shows("ANY", "", 0, 0).accepts("", "ANY", 10),
    };
}

class BasicPageLeave : public BasicPageTest, public ::testing::WithParamInterface<LeaveCase> {};

TEST_P(BasicPageLeave, TypingAndLeaving) {
    const LeaveCase& c = GetParam();
    const std::string text = stored_text(c.stored);
    const bool base = c.type == NET_BASE_STATION;
    // The other name field holds something a leave must empty.
    profile(c.type, base ? "other" : c.stored_name, base ? c.stored_name : "other", text);
    p_.open();
    p_.keys(NAME, c.name_keys);
    for (int i = 0; i < c.box_clicks; ++i) p_.click_box();
    p_.keys(KEY, c.key_keys);

    EXPECT_EQ(p_.text(NAME), c.name_field);
    const bool security = c.type == NET_RESIDENTIAL_GATEWAY || c.type == NET_PEER_TO_PEER;
    if (security) {
        EXPECT_EQ(p_.text(KEY), c.key_field);
    }
    EXPECT_EQ(p_.view.beeps, c.beeps);
    EXPECT_EQ(p_.view.changes, c.changes);

    EXPECT_EQ(p_.leave(), c.accepted);
    EXPECT_EQ(messages_of(p_.view), c.messages);
    const ActiveConfiguration& config = active_configuration;
    EXPECT_STREQ(config.desired_ssid, c.desired);
    EXPECT_STREQ(config.own_ssid, c.own);
    EXPECT_EQ(config.own_channel, c.own_channel);
    EXPECT_EQ(config.port_type, 1u);
    EXPECT_EQ(config.create_ibss, c.type == NET_PEER_TO_PEER ? 1u : 0u);
    EXPECT_EQ(config.ap_mode, base ? 1u : 0u);

    if (!security || !c.accepted) {
        // Only an accepted leave of a page with keys writes the text.
        EXPECT_EQ(config.encryption, text);
        return;
    }
    EncryptionRecord want;
    if (c.record.kept_slots) {
        want = stored_record(c.stored);
    } else {
        init_encryption_record(&want);
    }
    want.tx_key_index = 0;
    want.data_security = static_cast<uint16_t>(c.record.data_security);
    std::memset(&want.keys[0], 0, sizeof want.keys[0]);
    want.keys[0].length = static_cast<uint16_t>(std::strlen(c.record.key1));
    std::memcpy(want.keys[0].material, c.record.key1, want.keys[0].length);
    EXPECT_EQ(decoded_bytes(), bytes_of(want));
    EXPECT_EQ(std::strlen(config.encryption), ENCRYPTION_TEXT_LENGTH);
}

INSTANTIATE_TEST_SUITE_P(Applet, BasicPageLeave, ::testing::ValuesIn(leave_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- creation ----

struct InitCase {
    const char* name;
    uint32_t type;
    unsigned name_limit;
    unsigned key_limit;
    const char* help;  // null: none set
    bool security_controls;
};

class BasicPageInit : public BasicPageTest, public ::testing::WithParamInterface<InitCase> {};

TEST_P(BasicPageInit, LimitsHelpAndControls) {
    const InitCase& c = GetParam();
    profile(c.type, "n", "o", default_encryption_text);
    p_.page.init();
    EXPECT_EQ(p_.view.limits[NAME], c.name_limit);
    EXPECT_EQ(p_.view.limits[KEY], c.key_limit);
    if (c.help)
        EXPECT_EQ(p_.view.texts[IDC_BASIC_HELP_TEXT], c.help);
    else
        EXPECT_EQ(p_.view.texts.count(IDC_BASIC_HELP_TEXT), 0u);
    for (int id : {BOX, static_cast<int>(IDC_BASIC_KEY_LABEL), KEY}) {
        if (c.security_controls)
            EXPECT_TRUE(p_.view.shown[id]) << id;
        else
            EXPECT_EQ(p_.view.shown.count(id), 0u) << id;
    }
    EXPECT_TRUE(p_.view.messages.empty());
    EXPECT_EQ(p_.view.changes, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Applet, BasicPageInit,
    ::testing::Values(InitCase{"AccessPoint", NET_ACCESS_POINT, 32, 13, HELP_ACCESS_POINT, false},
                      InitCase{"Gateway", NET_RESIDENTIAL_GATEWAY, 6, 5, HELP_GATEWAY, true},
                      InitCase{"PeerToPeer", NET_PEER_TO_PEER, 32, 13, HELP_PEER, true},
                      InitCase{"BaseStation", NET_BASE_STATION, 32, 13, HELP_BASE_STATION, false},
                      InitCase{"InternetAccessServer", NET_INTERNET_ACCESS_SERVER, 32, 13, nullptr,
                               false},
                      InitCase{"AdHocDemo", NET_ADHOC_DEMO, 32, 13, nullptr, false},
                      InitCase{"UnknownType", 77, 32, 13, nullptr, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A help text the string table lacks leaves the text area as the template has it.
TEST_F(BasicPageTest, HelpTextOnlyWhenItLoads) {
    profile(NET_PEER_TO_PEER, "n", "", default_encryption_text);
    p_.view.strings.erase(IDS_HELP_PEER_TO_PEER);
    p_.view.texts[IDC_BASIC_HELP_TEXT] = "template";
    p_.page.init();
    EXPECT_EQ(p_.view.texts[IDC_BASIC_HELP_TEXT], "template");
}

// ---- showing ----

struct ShowCase {
    const char* name;
    uint32_t type;
    Stored stored;
    const char* name_field;
    bool checked;
    const char* key_field;
    bool key_enabled;
};

class BasicPageShow : public BasicPageTest, public ::testing::WithParamInterface<ShowCase> {};

TEST_P(BasicPageShow, FieldsAndRadioSettings) {
    const ShowCase& c = GetParam();
    profile(c.type, "desired", "own", stored_text(c.stored));
    // The controls as a showing that ended the other way left them, so that
    // this showing must set each state it is expected to show.
    if (c.type == NET_RESIDENTIAL_GATEWAY || c.type == NET_PEER_TO_PEER)
        p_.view.enabled[KEY] = !c.key_enabled;
    if (c.type == NET_RESIDENTIAL_GATEWAY) p_.view.enabled[BOX] = false;
    p_.open();
    const ActiveConfiguration& config = active_configuration;
    EXPECT_EQ(p_.text(NAME), c.name_field);
    EXPECT_EQ(config.port_type, 1u);
    EXPECT_EQ(config.create_ibss, c.type == NET_PEER_TO_PEER ? 1u : 0u);
    EXPECT_EQ(config.ap_mode, c.type == NET_BASE_STATION ? 1u : 0u);
    EXPECT_EQ(config.own_channel, 1u);  // only a leave sets it
    if (c.type == NET_RESIDENTIAL_GATEWAY || c.type == NET_PEER_TO_PEER) {
        EXPECT_EQ(p_.view.checks[BOX], c.checked);
        EXPECT_EQ(p_.view.is_enabled(KEY), c.key_enabled);
        EXPECT_EQ(p_.text(KEY), c.key_field);
        EXPECT_EQ(page_record.tx_key_index, 0);
        EXPECT_EQ(page_record.magic, ENCRYPTION_RECORD_MAGIC);
        EXPECT_EQ(page_record.key_block_length, KEY_BLOCK_LENGTH);
        EXPECT_EQ(page_record.key_block_type, KEY_BLOCK_TYPE);
    } else {
        EXPECT_EQ(p_.view.checks.count(BOX), 0u);
        EXPECT_EQ(p_.view.texts.count(KEY), 0u);
    }
    if (c.type == NET_RESIDENTIAL_GATEWAY)
        EXPECT_TRUE(p_.view.is_enabled(BOX));
    else
        EXPECT_EQ(p_.view.enabled.count(BOX), 0u);
    EXPECT_TRUE(p_.view.messages.empty());
    EXPECT_EQ(p_.view.changes, 0);
    EXPECT_EQ(p_.view.beeps, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Applet, BasicPageShow,
    ::testing::Values(
        ShowCase{"AccessPoint", NET_ACCESS_POINT, Stored::KEY_5, "desired", false, "", false},
        ShowCase{"BaseStation", NET_BASE_STATION, Stored::KEY_5, "own", false, "", false},
        ShowCase{"GatewayKey", NET_RESIDENTIAL_GATEWAY, Stored::KEY_5, "desired", true, KEY_MASK,
                 true},
        ShowCase{"GatewayStoredOff", NET_RESIDENTIAL_GATEWAY, Stored::KEY_13_OFF, "desired", true,
                 KEY_MASK, true},
        ShowCase{"GatewayNoKey", NET_RESIDENTIAL_GATEWAY, Stored::EMPTY_KEY, "desired", true, "",
                 true},
        ShowCase{"GatewayWrongMagic", NET_RESIDENTIAL_GATEWAY, Stored::WRONG_MAGIC, "desired", true,
                 "", true},
        ShowCase{"PeerOn", NET_PEER_TO_PEER, Stored::KEY_5, "desired", true, KEY_MASK, true},
        ShowCase{"PeerOff", NET_PEER_TO_PEER, Stored::KEY_13_OFF, "desired", false, KEY_MASK,
                 false},
        ShowCase{"PeerWrongMagic", NET_PEER_TO_PEER, Stored::WRONG_MAGIC, "desired", false, "",
                 false},
        ShowCase{"PeerShortText", NET_PEER_TO_PEER, Stored::SHORT_TEXT, "desired", false, "",
                 false}),
    [](const auto& info) { return std::string(info.param.name); });

// A text that is not 102 characters long never shows the keys the record held
// from another profile: the record starts afresh.
TEST_F(BasicPageTest, ShortTextDoesNotShowThePreviousRecord) {
    profile(NET_PEER_TO_PEER, "lan", "", stored_text(Stored::KEY_5));
    p_.open();
    EXPECT_EQ(p_.text(KEY), KEY_MASK);
    ASSERT_TRUE(p_.leave());
    std::snprintf(active_configuration.encryption, sizeof active_configuration.encryption, "%s",
                  stored_text(Stored::SHORT_TEXT).c_str());
    p_.page.set_active();
    EXPECT_EQ(p_.text(KEY), "");
    EXPECT_FALSE(p_.view.checks[BOX]);
    ASSERT_TRUE(p_.leave());
    EncryptionRecord fresh;
    init_encryption_record(&fresh);
    EXPECT_EQ(decoded_bytes(), bytes_of(fresh));
}

// Each showing reloads from memory and re-masks; the key-edited flag is
// cleared, so the first key press empties the field again.
TEST_F(BasicPageTest, ShowingAgainMasksAgain) {
    profile(NET_PEER_TO_PEER, "lan", "", stored_text(Stored::KEY_5));
    p_.open();
    p_.keys(KEY, "newk1");
    ASSERT_TRUE(p_.leave());
    active_configuration.desired_ssid[0] = 'L';  // changed on another page
    p_.page.set_active();
    EXPECT_EQ(p_.text(NAME), "Lan");
    EXPECT_EQ(p_.text(KEY), KEY_MASK);
    p_.keys(KEY, "<left>");
    EXPECT_EQ(p_.text(KEY), "");
    p_.view.texts[KEY] = "ab";  // then the field is read back
    EXPECT_FALSE(p_.leave());
    EXPECT_EQ(messages_of(p_.view), std::vector<Message>{M1316});
}

// A gateway's name-typed flag lives as long as the page: after another
// showing, a key release derives the key again without typing first.
TEST_F(BasicPageTest, NameTypedFlagOutlivesAShowing) {
    profile(NET_RESIDENTIAL_GATEWAY, "", "", stored_text(Stored::KEY_5));
    p_.open();
    p_.keys(NAME, "abcdef");
    ASSERT_TRUE(p_.leave());
    p_.page.set_active();
    EXPECT_EQ(p_.text(KEY), KEY_MASK);
    p_.keys(NAME, "<left>");
    EXPECT_EQ(p_.text(KEY), "bcdef");
}

// The first key press of a masked key field empties it, even an arrow, and
// only the first: later ones leave the text alone.
TEST_F(BasicPageTest, FirstKeyPressEmptiesTheMask) {
    profile(NET_PEER_TO_PEER, "lan", "", stored_text(Stored::KEY_5));
    p_.open();
    p_.keys(KEY, "<left>");
    EXPECT_EQ(p_.text(KEY), "");
    p_.keys(KEY, "abc<left>de");
    EXPECT_EQ(p_.text(KEY), "abcde");
    EXPECT_EQ(p_.view.changes, 5);
    ASSERT_TRUE(p_.leave());
    EXPECT_EQ(page_record.keys[0].length, 5);
    EXPECT_EQ(std::memcmp(page_record.keys[0].material, "abcde", 5), 0);
}

// ---- the check box ----

TEST_F(BasicPageTest, GatewayUncheckWarnsAndDisablesTheKey) {
    profile(NET_RESIDENTIAL_GATEWAY, "12abef", "", stored_text(Stored::KEY_5));
    p_.view.enabled[KEY] = false;  // as an earlier showing without security left it
    p_.open();
    EXPECT_TRUE(p_.view.is_enabled(KEY));
    p_.click_box();
    EXPECT_FALSE(p_.view.checks[BOX]);
    EXPECT_FALSE(p_.view.is_enabled(KEY));
    EXPECT_EQ(messages_of(p_.view), std::vector<Message>{M1333});
    p_.click_box();
    EXPECT_TRUE(p_.view.checks[BOX]);
    EXPECT_TRUE(p_.view.is_enabled(KEY));
    EXPECT_EQ(p_.view.messages.size(), 1u);  // checking says nothing
    EXPECT_EQ(p_.view.changes, 2);
    // Setting an unchecked box unchecked again is no unchecking.
    p_.click_box();
    p_.view.set_check(BOX, false);
    EXPECT_EQ(p_.view.messages.size(), 2u);
}

TEST_F(BasicPageTest, PeerBoxFollowsTheKeyField) {
    profile(NET_PEER_TO_PEER, "lan", "", stored_text(Stored::KEY_5));
    p_.open();
    p_.click_box();
    EXPECT_FALSE(p_.view.is_enabled(KEY));
    p_.click_box();
    EXPECT_TRUE(p_.view.is_enabled(KEY));
    EXPECT_TRUE(p_.view.messages.empty());
}

// ---- check_basic_key and its warnings ----

TEST_F(BasicPageTest, ComposedWarningText) {
    profile(NET_PEER_TO_PEER, "lan", "", stored_text(Stored::KEY_5));
    p_.open();
    p_.keys(KEY, "1234567");
    ASSERT_FALSE(p_.leave());
    ASSERT_EQ(p_.view.messages.size(), 1u);
    EXPECT_EQ(p_.view.messages[0].text, COMPOSED_WARNING);
    EXPECT_EQ(p_.view.messages[0].caption_id, IDS_CAPTION_2247);
    EXPECT_FALSE(p_.view.messages[0].owned);
}

// The warning is assembled within its buffer, however long the string
// table's part of it is.
TEST_F(BasicPageTest, ComposedWarningCutToItsBuffer) {
    profile(NET_PEER_TO_PEER, "lan", "", stored_text(Stored::KEY_5));
    p_.view.strings[IDS_KEY_PRINTABLE] = std::string(1000, 'w');
    p_.open();
    p_.keys(KEY, "12");
    ASSERT_FALSE(p_.leave());
    ASSERT_EQ(p_.view.messages.size(), 1u);
    EXPECT_EQ(p_.view.messages[0].text, std::string(255, 'w'));

    p_.view.messages.clear();
    p_.view.strings[IDS_KEY_PRINTABLE] = std::string(250, 'w');
    ASSERT_FALSE(p_.leave());
    EXPECT_EQ(p_.view.messages[0].text, std::string(250, 'w') + "Duoca");

    p_.view.messages.clear();
    p_.view.strings.erase(IDS_KEY_PRINTABLE);
    ASSERT_FALSE(p_.leave());
    EXPECT_EQ(p_.view.messages[0].text, "Duocard (WEP 128))");
}

// After a key-length refusal Key 1's material is gone but its length stays,
// and the Encryption text is still the last accepted one.
TEST_F(BasicPageTest, KeyRefusalState) {
    const std::string text = stored_text(Stored::KEY_5);
    profile(NET_PEER_TO_PEER, "lan", "", text);
    p_.open();
    p_.keys(KEY, "1234");
    ASSERT_FALSE(p_.leave());
    EXPECT_EQ(page_record.keys[0].length, 5);
    const uint8_t zeros[KEY_MATERIAL_SIZE] = {};
    EXPECT_EQ(std::memcmp(page_record.keys[0].material, zeros, sizeof zeros), 0);
    EXPECT_EQ(active_configuration.encryption, text);
    // The page stays: the user corrects the key and leaves.
    p_.keys(KEY, "5");
    ASSERT_TRUE(p_.leave());
    EXPECT_EQ(std::memcmp(page_record.keys[0].material, "12345\0\0\0", 8), 0);
}

// A key field holding more than its limit (a program set it) is judged by its
// whole length, not by its first 13 characters; a 13-character key fills 13
// of the 14 bytes and leaves the last one zero.
TEST_F(BasicPageTest, KeyJudgedByItsWholeLength) {
    profile(NET_PEER_TO_PEER, "lan", "", stored_text(Stored::KEY_5));
    p_.open();
    p_.keys(KEY, "<left>");
    for (size_t n : {14, 18, 255, 400}) {
        p_.view.messages.clear();
        p_.view.texts[KEY] = std::string(n, 'k');
        EXPECT_FALSE(p_.leave()) << n;
        EXPECT_EQ(messages_of(p_.view), std::vector<Message>{M1316}) << n;
    }
    p_.view.messages.clear();
    p_.view.texts[KEY] = "ABCDEFGHIJKLM";
    ASSERT_TRUE(p_.leave());
    EXPECT_EQ(page_record.keys[0].length, 13);
    EXPECT_EQ(std::memcmp(page_record.keys[0].material, "ABCDEFGHIJKLM\0", 14), 0);
}

// A name field holding more than 32 characters stores its first 32.
TEST_F(BasicPageTest, NameCutToItsField) {
    for (uint32_t type : {NET_ACCESS_POINT, NET_PEER_TO_PEER, NET_BASE_STATION}) {
        profile(type, "", "", default_encryption_text);
        FakeBasicPage p;
        p.open();
        p.view.texts[NAME] = std::string(300, 'n');
        EXPECT_TRUE(p.leave()) << type;
        const ActiveConfiguration& config = active_configuration;
        EXPECT_EQ(type == NET_BASE_STATION ? config.own_ssid : config.desired_ssid,
                  std::string(32, 'n'));
    }
    // A gateway ID of 6 followed by more is no ID of 6.
    profile(NET_RESIDENTIAL_GATEWAY, "", "", default_encryption_text);
    FakeBasicPage p;
    p.open();
    p.view.texts[NAME] = "abcdef" + std::string(40, '0');
    EXPECT_FALSE(p.leave());
    EXPECT_EQ(messages_of(p.view), std::vector<Message>{M1323});
    EXPECT_EQ(active_configuration.desired_ssid, "abcdef" + std::string(26, '0'));
}

// A key release reads only 31 characters of the name: a longer one (set by a
// program) gives an empty key.
TEST_F(BasicPageTest, GatewayKeyUpLongName) {
    profile(NET_RESIDENTIAL_GATEWAY, "", "", stored_text(Stored::KEY_5));
    p_.open();
    p_.keys(NAME, "a");
    p_.view.texts[NAME] = std::string(200, 'a');
    p_.page.name_key_up();
    EXPECT_EQ(p_.text(KEY), "");
}

// ---- characters, one by one ----

TEST_F(BasicPageTest, GatewayCharacterRule) {
    profile(NET_RESIDENTIAL_GATEWAY, "", "", default_encryption_text);
    p_.open();
    for (int i = 0; i < 256; ++i) {
        char c = static_cast<char>(i);
        const int beeps = p_.view.beeps, changes = p_.view.changes;
        const CharAction action = p_.page.name_char(c);
        const bool hex = (i >= '0' && i <= '9') || (i >= 'a' && i <= 'f');
        const bool upper = i >= 'A' && i <= 'F';
        if (hex || upper || i == '\b') {
            EXPECT_EQ(action, CHAR_PASS) << i;
            EXPECT_EQ(c, upper ? static_cast<char>(i + 32) : static_cast<char>(i)) << i;
            EXPECT_EQ(p_.view.changes, changes + 1) << i;
            EXPECT_EQ(p_.view.beeps, beeps) << i;
        } else {
            EXPECT_EQ(action, CHAR_DROP) << i;
            EXPECT_EQ(p_.view.beeps, beeps + 1) << i;
            EXPECT_EQ(p_.view.changes, changes) << i;
        }
    }
}

TEST_F(BasicPageTest, OtherTypesPassEveryCharacter) {
    for (uint32_t type : {NET_ACCESS_POINT, NET_PEER_TO_PEER, NET_BASE_STATION}) {
        profile(type, "", "", default_encryption_text);
        FakeBasicPage p;
        p.open();
        for (int i = 0; i < 256; ++i) {
            char c = static_cast<char>(i);
            EXPECT_EQ(p.page.name_char(c), CHAR_PASS);
            EXPECT_EQ(c, static_cast<char>(i));
            char k = static_cast<char>(i);
            EXPECT_EQ(p.page.key_char(k), CHAR_PASS);
            EXPECT_EQ(k, static_cast<char>(i));
        }
        EXPECT_EQ(p.view.changes, 512);
        EXPECT_EQ(p.view.beeps, 0);
        // No flag to derive a key from: a key release changes nothing.
        p.view.texts[KEY] = "kept";
        p.view.texts[NAME] = "123456";
        p.page.name_key_up();
        EXPECT_EQ(p.text(KEY), "kept");
    }
}

// ---- pastes ----

TEST_F(BasicPageTest, GatewayPasteConvertsInPlace) {
    profile(NET_RESIDENTIAL_GATEWAY, "", "", default_encryption_text);
    p_.open();
    char text[] = "0A1b2C";
    EXPECT_TRUE(p_.page.name_paste(text));
    EXPECT_STREQ(text, "0a1b2c");
    EXPECT_EQ(p_.view.changes, 1);
    char bad[] = "0A1b2G";
    EXPECT_FALSE(p_.page.name_paste(bad));
    EXPECT_STREQ(bad, "0A1b2G");  // untouched when refused
    EXPECT_EQ(p_.view.beeps, 1);
    EXPECT_EQ(p_.view.changes, 1);
}

// An empty clipboard pastes nothing: no change, no beep, no flag.
TEST_F(BasicPageTest, EmptyPaste) {
    profile(NET_RESIDENTIAL_GATEWAY, "123456", "", stored_text(Stored::KEY_5));
    p_.open();
    p_.keys(NAME, "<paste:>");
    EXPECT_EQ(p_.view.changes, 0);
    EXPECT_EQ(p_.view.beeps, 0);
    EXPECT_EQ(p_.text(KEY), KEY_MASK);
}

// A paste into an unmasked key field keeps what is there.
TEST_F(BasicPageTest, KeyPasteAfterTyping) {
    profile(NET_PEER_TO_PEER, "lan", "", stored_text(Stored::EMPTY_KEY));
    p_.open();
    p_.keys(KEY, "ab<paste:cde>");
    EXPECT_EQ(p_.text(KEY), "abcde");
    EXPECT_EQ(p_.view.changes, 3);
}

// ---- help and the profile the page reads ----

TEST_F(BasicPageTest, HelpTopic) {
    profile(NET_ACCESS_POINT, "", "", default_encryption_text);
    p_.open();
    p_.page.help();
    EXPECT_EQ(p_.view.help_topics, std::vector<uint32_t>{HELP_TOPIC_BASIC});
    EXPECT_EQ(HELP_TOPIC_BASIC, 106);
}

// No current profile yet: the page is profile 1's, as the sheet's pages are.
TEST_F(BasicPageTest, NoCurrentProfileMeansProfile1) {
    profile(NET_ACCESS_POINT, "", "", default_encryption_text);
    active_configuration.current_profile = 0;
    active_configuration.profile_types[0] = NET_RESIDENTIAL_GATEWAY;
    p_.open();
    EXPECT_EQ(p_.view.limits[NAME], 6u);
    EXPECT_TRUE(p_.view.checks[BOX]);
}

// A type the sheet gives no Basic page is left alone.
TEST_F(BasicPageTest, OtherTypesTouchNothing) {
    profile(NET_ADHOC_DEMO, "d", "o", default_encryption_text);
    const ActiveConfiguration before = active_configuration;
    p_.open();
    p_.view.texts[NAME] = "";
    EXPECT_TRUE(p_.leave());
    EXPECT_EQ(std::memcmp(&before, &active_configuration, sizeof before), 0);
    EXPECT_TRUE(p_.view.messages.empty());
    EXPECT_EQ(p_.view.texts.count(KEY), 0u);
}

}  // namespace

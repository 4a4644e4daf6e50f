// The Encryption page's logic over a fake window: creation, showing, the
// masks, typing, pasting and cutting in both modes, the data-security box,
// the transmit key, and what leaving accepts, refuses and stores.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "encryption_page.h"
#include "fake_view.h"
#include "fixture.h"

namespace {

using case_name::operator<<;

const int SECURITY = IDC_ENCRYPTION_DATA_SECURITY;
const int TX_KEY = IDC_ENCRYPTION_TX_KEY;
const int ALPHANUMERIC = IDC_ENCRYPTION_ALPHANUMERIC;
const int HEX = IDC_ENCRYPTION_HEX;
const int KEY_FIELDS[4] = {IDC_ENCRYPTION_KEY_1, IDC_ENCRYPTION_KEY_2, IDC_ENCRYPTION_KEY_3,
                           IDC_ENCRYPTION_KEY_4};
// Every control the box greys out.
const int GUARDED[] = {IDC_ENCRYPTION_KEY_1,
                       IDC_ENCRYPTION_KEY_2,
                       IDC_ENCRYPTION_KEY_3,
                       IDC_ENCRYPTION_KEY_4,
                       TX_KEY,
                       ALPHANUMERIC,
                       HEX};

const std::string MASK(35, '*');
const std::string PRINTABLE_WARNING = "Use 5 printable characters (or 13 with Duocard (WEP 128))";
const std::string HEX_WARNING = "Use 10 hex digits (or 26 with Duocard (WEP 128))";

// Bytes from hex digits ("a1b2" is two bytes).
std::string bytes(const char* hex) {
    std::string out;
    for (size_t i = 0; hex[i] && hex[i + 1]; i += 2) {
        unsigned v = 0;
        std::sscanf(hex + i, "%2x", &v);
        out += static_cast<char>(v);
    }
    return out;
}

// A record as a test writes it: the switch, the transmit key and four keys
// (their bytes; the length is their count).
struct Rec {
    int security = 0;
    int tx = 0;
    std::array<std::string, 4> keys;
};
Rec rec(int security, int tx, const std::string& k1 = "", const std::string& k2 = "",
        const std::string& k3 = "", const std::string& k4 = "") {
    return {security, tx, {k1, k2, k3, k4}};
}

EncryptionRecord make_record(const Rec& r) {
    EncryptionRecord record;
    init_encryption_record(&record);
    record.data_security = static_cast<uint16_t>(r.security);
    record.tx_key_index = static_cast<uint16_t>(r.tx);
    for (int k = 0; k < 4; ++k) {
        record.keys[k].length = static_cast<uint16_t>(r.keys[k].size());
        std::memcpy(record.keys[k].material, r.keys[k].data(),
                    std::min<size_t>(r.keys[k].size(), KEY_MATERIAL_SIZE));
    }
    return record;
}

// Every field and byte of a record, readable in a failure.
std::string dump(const EncryptionRecord& r) {
    char line[64];
    std::snprintf(line, sizeof line, "magic=%08x block=%u/%04x tx=%u security=%u",
                  static_cast<unsigned>(r.magic), r.key_block_length, r.key_block_type,
                  r.tx_key_index, r.data_security);
    std::string out = line;
    for (const KeySlot& slot : r.keys) {
        std::snprintf(line, sizeof line, " | %u:", slot.length);
        out += line;
        for (uint8_t b : slot.material) {
            std::snprintf(line, sizeof line, "%02x", b);
            out += line;
        }
    }
    return out;
}

std::string encryption_text(const EncryptionRecord& record) {
    char text[ENCRYPTION_TEXT_SIZE];
    encode_encryption_text(&record, text);
    return text;
}

// The page over a fake window with the replacement procedures of its controls
// in place, and what a user does to it.
class FakeEncryptionPage {
public:
    FakeView view;
    EncryptionPage page{view};

    FakeEncryptionPage() {
        view.strings[IDS_TX_KEY_EMPTY] = "You can only select a specified Encryption key.";
        view.strings[IDS_KEYS_MISSING] = "Enter a key or disable Data Security";
        view.strings[IDS_KEY_PRINTABLE] = "Use 5 printable characters (or 13 with ";
        view.strings[IDS_KEY_HEX] = "Use 10 hex digits (or 26 with ";
        for (int k = 0; k < 4; ++k)
            view.strings[static_cast<uint16_t>(IDS_KEY_1 + k)] = "Key " + std::to_string(k + 1);
        // BM_SETCHECK reaches the box's and the buttons' procedures.
        view.on_set_check = [this](int id, bool checked) {
            if (id == SECURITY) page.security_set_check(checked);
            if (id == ALPHANUMERIC || id == HEX) page.mode_set_check(id, checked);
        };
    }

    void open() {
        page.init();
        page.set_active();
    }
    bool leave() { return page.kill_active(); }

    std::string& field(int k) { return view.texts[KEY_FIELDS[k - 1]]; }
    unsigned limit(int k) {
        auto it = view.limits.find(KEY_FIELDS[k - 1]);
        return it == view.limits.end() ? 30000 : it->second;
    }

    // Keystrokes as the edit gets them: WM_KEYDOWN, then WM_CHAR; a passing
    // character lands at the end of the text (a backspace removes the last),
    // as far as the edit's limit lets it.
    void type(int k, const std::string& keys) {
        for (char key : keys) {
            page.key_key_down(k);
            char c = key;
            if (page.key_char(k, c) == CHAR_DROP) continue;
            std::string& text = field(k);
            if (c == '\b') {
                if (!text.empty()) text.pop_back();
            } else if (text.size() < limit(k)) {
                text += c;
            }
        }
    }
    // A key without a character (an arrow, Shift).
    void arrow(int k) { page.key_key_down(k); }
    // Select all, then paste from the context menu.
    void paste(int k, const std::string& clipboard) {
        std::vector<char> text(clipboard.begin(), clipboard.end());
        text.push_back('\0');
        if (!page.key_paste(k, text.data())) return;
        std::string pasted(text.data());
        field(k) = pasted.substr(0, limit(k));
    }
    // Select all, then cut.
    void cut(int k) {
        page.key_cut_or_clear(k);
        field(k).clear();
    }
    // A click on the box: it checks itself through its procedure and the
    // capture it took goes.
    void click_security() {
        view.set_check(SECURITY, !view.checks[SECURITY]);
        page.control_clicked();
    }
    // A click on a radio button: it checks itself and clears the other.
    void click_mode(int id) {
        view.set_check(id, true);
        view.set_check(id == HEX ? ALPHANUMERIC : HEX, false);
        page.control_clicked();
    }
    void choose_tx_key(int index) {
        view.list_select(TX_KEY, index);
        page.control_clicked();
    }

    std::array<std::string, 4> fields() { return {field(1), field(2), field(3), field(4)}; }
};

class EncryptionPageTest : public SimTest {
protected:
    // The active configuration's Encryption text holds this record.
    void given(const Rec& r) { given(make_record(r)); }
    void given(const EncryptionRecord& record) {
        std::snprintf(active_configuration.encryption, sizeof active_configuration.encryption, "%s",
                      encryption_text(record).c_str());
    }
    std::string stored_text() { return active_configuration.encryption; }
    EncryptionRecord stored_record() {
        EncryptionRecord record;
        std::memset(&record, 0xEE, sizeof record);
        EXPECT_EQ(decode_valid_encryption_text(active_configuration.encryption, &record), 1)
            << "the Encryption text does not decode";
        return record;
    }
    // Every warning this page shows: no owner, caption 2247.
    static void expect_warnings_unowned(const FakeView& view) {
        for (const AskedMessage& m : view.messages) {
            EXPECT_EQ(m.caption_id, IDS_CAPTION_2247);
            EXPECT_EQ(m.kind, MESSAGE_WARNING);
            EXPECT_FALSE(m.owned);
        }
    }

    FakeEncryptionPage p_;
};

// ---------------------------------------------------------------- the table

struct Step {
    enum Op { TYPE, ARROW, PASTE, CUT, SECURITY_CLICK, MODE, TX } op;
    int arg = 0;
    std::string text;
};
Step type(int k, const std::string& keys) { return {Step::TYPE, k, keys}; }
Step arrow(int k) { return {Step::ARROW, k, ""}; }
Step paste(int k, const std::string& text) { return {Step::PASTE, k, text}; }
Step cut(int k) { return {Step::CUT, k, ""}; }
Step click_security() { return {Step::SECURITY_CLICK, 0, ""}; }
Step click_mode(int id) { return {Step::MODE, id, ""}; }
Step choose_tx_key(int index) { return {Step::TX, index, ""}; }
template <typename... S>
std::vector<Step> steps(S... s) {
    return {s...};
}

using Fields = std::array<std::string, 4>;
Fields fields(const std::string& k1, const std::string& k2, const std::string& k3,
              const std::string& k4) {
    return {k1, k2, k3, k4};
}

// The warning of a leave: none, a string id, or 0 and the composed text.
struct Msg {
    uint16_t id;
    std::string text;
    bool operator==(const Msg& o) const { return id == o.id && text == o.text; }
};
std::ostream& operator<<(std::ostream& os, const Msg& m) {
    return os << (m.id ? std::to_string(m.id) : "\"" + m.text + "\"");
}
const Msg NONE{0, ""};
const Msg W1311{IDS_TX_KEY_EMPTY, ""};
const Msg W1313{IDS_KEYS_MISSING, ""};
const Msg WPRINTABLE{0, PRINTABLE_WARNING};
const Msg WHEX{0, HEX_WARNING};

enum Mode { TEXT = 0, HEXM = 1 };
enum Leave { REFUSED = 0, ACCEPTED = 1 };

struct PageCase {
    std::string name;
    Rec shown;  // the record behind the Encryption text at showing
    Mode mode;  // the mode the page opens in
    std::vector<Step> steps;
    Fields fields;  // what the fields show after the steps
    int beeps;
    int changes;  // PSM_CHANGED
    Leave leave;
    Msg message;
    // page_record after leaving; accepted, also what the Encryption text holds.
    Rec after;
};

const std::string K5 = "abcde";
const std::string K13 = "Thirteen char";
const std::string H5 = bytes("0011223344");
const std::string H13 = bytes("00ff10ef20df30cf40bf50af60");
const std::string M = MASK;
const std::string ZERO5(5, '\0');  // a length of 5 over cleared material

std::vector<PageCase> page_cases() {
    const Rec empty = rec(0, 0);
    const Rec all = rec(1, 2, K5, H13, K13, H5);
    const std::vector<Step> none;
    const Fields blank = fields("", "", "", "");
    const Fields masks = fields(M, M, M, M);
    return {
        // The length rules hold for edited keys whatever the switch says.
        {"SevenCharactersRefusedWithSecurityOff", empty, TEXT, steps(type(1, "abcdefg")),
         fields("abcdefg", "", "", ""), 0, 7, REFUSED, WPRINTABLE, empty},
        {"AllEmptyWithSecurityOffAccepted", empty, TEXT, none, blank, 0, 0, ACCEPTED, NONE, empty},
        {"AllEmptyInHexModeWithSecurityOffAccepted", empty, HEXM, none, blank, 0, 0, ACCEPTED, NONE,
         empty},
        {"KeysCutAwayWithSecurityOffAccepted", rec(0, 1, K5, H5), TEXT, steps(cut(1), cut(2)),
         blank, 0, 2, ACCEPTED, NONE, rec(0, 1)},
        {"Key3ChosenOnlyKey1Filled", empty, TEXT,
         steps(click_security(), choose_tx_key(2), type(1, "abcde")), fields("abcde", "", "", ""),
         0, 7, REFUSED, W1311, rec(1, 2, "abcde")},
        {"Key3ChosenAndFilled", empty, TEXT,
         steps(click_security(), choose_tx_key(2), type(3, "abcde")), fields("", "", "abcde", ""),
         0, 7, ACCEPTED, NONE, rec(1, 2, "", "", "abcde")},
        {"SecurityOnNoKeys", empty, TEXT, steps(click_security()), blank, 0, 1, REFUSED, W1313,
         rec(1, 0)},
        {"SecurityOnTheOnlyKeyEmptiedByAnArrow", rec(1, 0, K5), TEXT, steps(arrow(1)), blank, 0, 0,
         REFUSED, W1313, rec(1, 0)},
        {"SecurityOnTransmitKeyCutOthersKept", rec(1, 1, K5, H5), HEXM, steps(cut(2)),
         fields(M, "", "", ""), 0, 1, REFUSED, W1311, rec(1, 1, K5)},
        {"SecurityOffMakesEmptyKeysAcceptable", rec(1, 0, K5), TEXT,
         steps(click_security(), arrow(1)), blank, 0, 1, ACCEPTED, NONE, rec(0, 0)},

        // Hex mode: capitals made lower case, pairs of digits become bytes.
        {"HexCapitalsStoredAsFiveBytes", empty, HEXM,
         steps(click_security(), type(1, "A1B2C3D4E5")), fields("a1b2c3d4e5", "", "", ""), 0, 11,
         ACCEPTED, NONE, rec(1, 0, bytes("a1b2c3d4e5"))},
        {"HexTextInAlphanumericModeRefused", empty, TEXT,
         steps(click_security(), type(1, "A1B2C3D4E5")), fields("A1B2C3D4E5", "", "", ""), 0, 11,
         REFUSED, WPRINTABLE, rec(1, 0)},
        {"HexMixedCase26Digits", empty, HEXM,
         steps(click_security(), type(4, "00FF10eF20Df30cF40bf50AF60")),
         fields("", "", "", "00ff10ef20df30cf40bf50af60"), 0, 27, REFUSED, W1311,
         rec(1, 0, "", "", "", H13)},
        {"HexG", empty, HEXM, steps(type(1, "g")), blank, 1, 0, ACCEPTED, NONE, empty},
        {"HexCapitalG", empty, HEXM, steps(type(1, "G")), blank, 1, 0, ACCEPTED, NONE, empty},
        {"HexNonDigitsDroppedBetweenDigits", empty, HEXM, steps(type(2, "00x11 22-3344zz")),
         fields("", "0011223344", "", ""), 5, 10, ACCEPTED, NONE, rec(0, 0, "", H5)},
        {"HexCtrlVIsACharacterAndDropped", empty, HEXM, steps(type(1, "\x16")), blank, 1, 0,
         ACCEPTED, NONE, empty},
        {"HexFiveDigitsRefused", empty, HEXM, steps(type(1, "abcde")), fields("abcde", "", "", ""),
         0, 5, REFUSED, WHEX, empty},
        {"HexElevenDigitsRefused", empty, HEXM, steps(type(1, "0011223344a")),
         fields("0011223344a", "", "", ""), 0, 11, REFUSED, WHEX, empty},
        {"HexBackspacePasses", empty, HEXM, steps(type(1, "00112233445\b")),
         fields("0011223344", "", "", ""), 0, 12, ACCEPTED, NONE, rec(0, 0, H5)},
        {"HexLimitIs26", empty, HEXM, steps(type(1, "00ff10ef20df30cf40bf50af6077")),
         fields("00ff10ef20df30cf40bf50af60", "", "", ""), 0, 28, ACCEPTED, NONE, rec(0, 0, H13)},

        // Alphanumeric mode: every character passes, the characters are the key.
        {"AlphanumericFive", empty, TEXT, steps(type(2, K5)), fields("", K5, "", ""), 0, 5,
         ACCEPTED, NONE, rec(0, 0, "", K5)},
        {"AlphanumericThirteenOfAnyCharacters", empty, TEXT,
         steps(type(3, "Th!rteen\x16 \x7f\xe9z")), fields("", "", "Th!rteen\x16 \x7f\xe9z", ""), 0,
         13, ACCEPTED, NONE, rec(0, 0, "", "", "Th!rteen\x16 \x7f\xe9z")},
        {"AlphanumericLimitIs13", empty, TEXT, steps(type(1, K13 + "xyz")), fields(K13, "", "", ""),
         0, 16, ACCEPTED, NONE, rec(0, 0, K13)},
        {"AlphanumericBackspace", empty, TEXT, steps(type(1, "abcdef\b")), fields(K5, "", "", ""),
         0, 7, ACCEPTED, NONE, rec(0, 0, K5)},
        // Ten characters typed as text, then judged as hex digits: the
        // length is set before the digits fail.
        {"TextOfTenJudgedAsHexAfterSwitch", empty, TEXT,
         steps(type(1, "zzzzzzzzzz"), click_mode(HEX)), fields("zzzzzzzzzz", "", "", ""), 0, 11,
         REFUSED, WHEX, rec(0, 0, ZERO5)},

        // Masks: untouched keys keep their bytes in either mode, even across
        // a mode switch; a first key press empties only its own field.
        {"MasksKeptAlphanumeric", all, TEXT, none, masks, 0, 0, ACCEPTED, NONE, all},
        {"MasksKeptHex", all, HEXM, none, masks, 0, 0, ACCEPTED, NONE, all},
        {"MasksKeptAfterSwitchToHex", all, TEXT, steps(click_mode(HEX)), masks, 0, 1, ACCEPTED,
         NONE, all},
        {"MasksKeptAfterSwitchToAlphanumeric", all, HEXM, steps(click_mode(ALPHANUMERIC)), masks, 0,
         1, ACCEPTED, NONE, all},
        {"MasksKeptAfterSwitchingBackAndForth", all, TEXT,
         steps(click_mode(HEX), click_mode(ALPHANUMERIC), click_mode(HEX)), masks, 0, 3, ACCEPTED,
         NONE, all},
        {"ArrowEmptiesOnlyItsField", all, TEXT, steps(arrow(2)), fields(M, "", M, M), 0, 0,
         ACCEPTED, NONE, rec(1, 2, K5, "", K13, H5)},
        {"FirstKeystrokeReplacesTheMask", all, TEXT, steps(type(4, "vwxyz")),
         fields(M, M, M, "vwxyz"), 0, 5, ACCEPTED, NONE, rec(1, 2, K5, H13, K13, "vwxyz")},
        {"DroppedHexCharacterStillRemovesTheMask", all, HEXM, steps(type(1, "q")),
         fields("", M, M, M), 1, 0, ACCEPTED, NONE, rec(1, 2, "", H13, K13, H5)},
        {"TransmitKeyFromTheList", all, TEXT, steps(choose_tx_key(3)), masks, 0, 1, ACCEPTED, NONE,
         rec(1, 3, K5, H13, K13, H5)},
        {"TransmitKeyOutOfRangeShownAsKey1StoredAs0", rec(1, 5, K5), TEXT, none,
         fields(M, "", "", ""), 0, 0, ACCEPTED, NONE, rec(1, 0, K5)},
        {"TransmitKeyOutOfRangeOnAnEmptyKey1", rec(1, 5, "", K5), TEXT, none, fields("", M, "", ""),
         0, 0, REFUSED, W1311, rec(1, 0, "", K5)},

        // Processing stops at the first bad key: those after it are not read,
        // those before it are (in memory only).
        {"BadKey1StopsBeforeKey2", rec(0, 0, "", K5), TEXT, steps(type(2, "vwxyz"), type(1, "abc")),
         fields("abc", "vwxyz", "", ""), 0, 8, REFUSED, WPRINTABLE, rec(0, 0, "", K5)},
        {"GoodKey1ReadBeforeBadKey3", rec(0, 0, "", "", K5), TEXT,
         steps(type(1, "vwxyz"), type(3, "abc"), type(4, "zzz")), fields("vwxyz", "", "abc", "zzz"),
         0, 11, REFUSED, WPRINTABLE, rec(0, 0, "vwxyz", "", ZERO5)},

        // Paste, cut and clear: a first key press and a change.
        {"PasteReplacesTheMask", all, TEXT, steps(paste(2, "hello")), fields(M, "hello", M, M), 0,
         1, ACCEPTED, NONE, rec(1, 2, K5, "hello", K13, H5)},
        {"PasteHexCapitalsMadeLowerCase", empty, HEXM, steps(paste(1, "A1B2C3D4E5")),
         fields("a1b2c3d4e5", "", "", ""), 0, 1, ACCEPTED, NONE, rec(0, 0, bytes("a1b2c3d4e5"))},
        {"PasteHexWithANonDigitRefused", all, HEXM, steps(paste(1, "a1b2c3d4eg")), masks, 1, 0,
         ACCEPTED, NONE, all},
        {"PasteHexWithASpaceRefused", empty, HEXM, steps(paste(1, "a1b2c 3d4e5")), blank, 1, 0,
         ACCEPTED, NONE, empty},
        // A control character pasted would land as a character: no hex digit.
        {"PasteHexWithABackspaceRefused", empty, HEXM, steps(paste(1, "a1b2c3d4e\b")), blank, 1, 0,
         ACCEPTED, NONE, empty},
        {"PasteHexWithATabRefused", all, HEXM, steps(paste(2, "\ta1b2c3d4e5")), masks, 1, 0,
         ACCEPTED, NONE, all},
        {"PasteAlphanumericCutToTheLimit", empty, TEXT, steps(paste(1, "0123456789abcdefghij")),
         fields("0123456789abc", "", "", ""), 0, 1, ACCEPTED, NONE, rec(0, 0, "0123456789abc")},
        {"PasteEmptyRemovesTheMask", all, HEXM, steps(paste(4, "")), fields(M, M, M, ""), 0, 1,
         ACCEPTED, NONE, rec(1, 2, K5, H13, K13, "")},
        {"PasteThenTypeAppends", empty, HEXM, steps(paste(1, "A1B2C"), type(1, "3D4E5")),
         fields("a1b2c3d4e5", "", "", ""), 0, 6, ACCEPTED, NONE, rec(0, 0, bytes("a1b2c3d4e5"))},
        {"CutRemovesTheKey", all, TEXT, steps(cut(1)), fields("", M, M, M), 0, 1, ACCEPTED, NONE,
         rec(1, 2, "", H13, K13, H5)},
        {"CutOfTheTransmitKey", all, TEXT, steps(cut(3)), fields(M, M, "", M), 0, 1, REFUSED, W1311,
         rec(1, 2, K5, H13, "", H5)},

        // Clicks count as changes.
        {"SecurityClickedTwice", all, TEXT, steps(click_security(), click_security()), masks, 0, 2,
         ACCEPTED, NONE, all},
    };
}

class EncryptionPageTable : public EncryptionPageTest,
                            public ::testing::WithParamInterface<PageCase> {};

void run_step(FakeEncryptionPage& p, const Step& s) {
    switch (s.op) {
    case Step::TYPE: p.type(s.arg, s.text); break;
    case Step::ARROW: p.arrow(s.arg); break;
    case Step::PASTE: p.paste(s.arg, s.text); break;
    case Step::CUT: p.cut(s.arg); break;
    case Step::SECURITY_CLICK: p.click_security(); break;
    case Step::MODE: p.click_mode(s.arg); break;
    case Step::TX: p.choose_tx_key(s.arg); break;
    }
}

TEST_P(EncryptionPageTable, LeavesAsExpected) {
    const PageCase& c = GetParam();
    given(c.shown);
    key_hex_mode = c.mode;
    const std::string before = stored_text();
    p_.open();
    for (const Step& s : c.steps) run_step(p_, s);

    EXPECT_EQ(p_.fields(), c.fields);
    EXPECT_EQ(p_.view.beeps, c.beeps);
    EXPECT_EQ(p_.view.changes, c.changes);
    const bool accepted = p_.leave();
    EXPECT_EQ(accepted, c.leave == ACCEPTED);
    std::vector<Msg> messages;
    for (const AskedMessage& m : p_.view.messages) messages.push_back({m.text_id, m.text});
    EXPECT_EQ(messages, c.message == NONE ? std::vector<Msg>{} : std::vector<Msg>{c.message});
    expect_warnings_unowned(p_.view);
    EXPECT_EQ(dump(page_record), dump(make_record(c.after)));
    if (accepted) {
        EXPECT_EQ(dump(stored_record()), dump(make_record(c.after)));
    } else {
        EXPECT_EQ(stored_text(), before) << "a refused leave re-encoded the text";
    }
    // Leaving is no keystroke: nothing more beeped or changed.
    EXPECT_EQ(p_.view.beeps, c.beeps);
    EXPECT_EQ(p_.view.changes, c.changes);
}

INSTANTIATE_TEST_SUITE_P(Cases, EncryptionPageTable, ::testing::ValuesIn(page_cases()),
                         [](const auto& info) { return info.param.name; });

// ---------------------------------------------------------------- one behaviour each

TEST_F(EncryptionPageTest, CreationFillsTheTransmitKeyList) {
    p_.page.init();
    EXPECT_EQ(p_.view.lists[TX_KEY],
              (std::vector<std::string>{"Key 1", "Key 2", "Key 3", "Key 4"}));
    // The radio buttons set the limits when the page is shown, not before.
    EXPECT_TRUE(p_.view.limits.empty());
    EXPECT_TRUE(p_.view.messages.empty());
    EXPECT_EQ(p_.view.changes, 0);
}

TEST_F(EncryptionPageTest, ShowingSetsTheControlsFromTheRecord) {
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode ? "hex" : "alphanumeric");
        restart();
        FakeEncryptionPage p;
        given(Rec{1, 3, {K5, "", H13, ""}});
        key_hex_mode = mode;
        // Greyed as an earlier showing without security left them.
        for (int id : GUARDED) p.view.enabled[id] = false;
        p.open();
        EXPECT_TRUE(p.view.checks[SECURITY]);
        for (int id : GUARDED) EXPECT_TRUE(p.view.is_enabled(id)) << id;
        EXPECT_EQ(p.view.list_selection(TX_KEY), 3);
        EXPECT_EQ(p.view.checks[ALPHANUMERIC], mode == 0);
        EXPECT_EQ(p.view.checks[HEX], mode == 1);
        EXPECT_EQ(key_hex_mode, mode);
        for (int k = 1; k <= 4; ++k) EXPECT_EQ(p.limit(k), mode ? 26u : 13u) << k;
        EXPECT_EQ(p.fields(), (std::array<std::string, 4>{MASK, "", MASK, ""}));
        // Showing is no change of the user's.
        EXPECT_EQ(p.view.changes, 0);
        EXPECT_EQ(p.view.beeps, 0);
    }
}

// A transmit key beyond Key 4 is shown, and then stored, as Key 1.
TEST_F(EncryptionPageTest, TransmitKeyOutOfRangeShownAsKey1) {
    for (int tx : {4, 5, 0xFFFF}) {
        SCOPED_TRACE(tx);
        restart();
        FakeEncryptionPage p;
        given(rec(1, tx, K5));
        p.open();
        EXPECT_EQ(p.view.list_selection(TX_KEY), 0);
        EXPECT_EQ(page_record.tx_key_index, 0);
        ASSERT_TRUE(p.leave());
        EXPECT_EQ(stored_record().tx_key_index, 0);
    }
}

TEST_F(EncryptionPageTest, SecurityOffShowsTheControlsGreyed) {
    given(Rec{0, 1, {K5, K5, "", ""}});
    p_.open();
    EXPECT_FALSE(p_.view.checks[SECURITY]);
    for (int id : GUARDED) EXPECT_FALSE(p_.view.is_enabled(id)) << id;
    EXPECT_EQ(p_.view.list_selection(TX_KEY), 1);
}

TEST_F(EncryptionPageTest, UncheckingGreysOutAndKeepsTheContents) {
    given(Rec{1, 2, {K5, "", K13, ""}});
    p_.open();
    p_.type(2, "abc");
    p_.click_security();
    for (int id : GUARDED) EXPECT_FALSE(p_.view.is_enabled(id)) << id;
    EXPECT_EQ(p_.fields(), (std::array<std::string, 4>{MASK, "abc", MASK, ""}));
    EXPECT_EQ(p_.view.list_selection(TX_KEY), 2);
    EXPECT_TRUE(p_.view.checks[ALPHANUMERIC]);
    EXPECT_EQ(p_.limit(1), 13u);
    p_.click_security();
    for (int id : GUARDED) EXPECT_TRUE(p_.view.is_enabled(id)) << id;
    EXPECT_EQ(p_.fields(), (std::array<std::string, 4>{MASK, "abc", MASK, ""}));
    EXPECT_EQ(p_.view.changes, 5);
}

TEST_F(EncryptionPageTest, ModeSwitchSetsTheLimitsAndKeepsTheTexts) {
    given(Rec{1, 0, {K5, "", "", ""}});
    p_.open();
    p_.type(2, "abcdefghijkl");
    p_.click_mode(HEX);
    EXPECT_EQ(key_hex_mode, 1);
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(p_.limit(k), 26u);
    EXPECT_EQ(p_.fields(), (std::array<std::string, 4>{MASK, "abcdefghijkl", "", ""}));
    p_.click_mode(ALPHANUMERIC);
    EXPECT_EQ(key_hex_mode, 0);
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(p_.limit(k), 13u);
    // Unchecking a button is not a choice of mode.
    p_.page.mode_set_check(HEX, false);
    EXPECT_EQ(key_hex_mode, 0);
    EXPECT_EQ(p_.limit(1), 13u);
}

// The mode belongs to the applet: the next showing, also of a later sheet's
// page, starts in the mode last chosen; a freshly loaded applet types text.
TEST_F(EncryptionPageTest, HexModeOutlivesThePageAndTheSheet) {
    EXPECT_EQ(key_hex_mode, 0);
    p_.open();
    EXPECT_TRUE(p_.view.checks[ALPHANUMERIC]);
    p_.click_mode(HEX);
    ASSERT_TRUE(p_.leave());
    p_.page.set_active();
    EXPECT_TRUE(p_.view.checks[HEX]);
    EXPECT_FALSE(p_.view.checks[ALPHANUMERIC]);

    FakeEncryptionPage next_sheet;
    next_sheet.open();
    EXPECT_TRUE(next_sheet.view.checks[HEX]);
    EXPECT_FALSE(next_sheet.view.checks[ALPHANUMERIC]);
    EXPECT_EQ(next_sheet.limit(3), 26u);
    next_sheet.type(1, "A");
    EXPECT_EQ(next_sheet.field(1), "a");

    applet_reset();
    EXPECT_EQ(key_hex_mode, 0);
}

// A text that does not decode to the magic starts from an all-zero record,
// never from what the record held before (another profile's keys).
TEST_F(EncryptionPageTest, TextThatDoesNotDecodeShowsAnEmptyRecord) {
    EncryptionRecord wrong_magic = make_record(Rec{1, 2, {K5, K5, K5, K5}});
    wrong_magic.magic = 0x12345678;
    const std::string valid = encryption_text(make_record(Rec{1, 2, {K5, K5, K5, K5}}));
    const struct {
        const char* name;
        std::string text;
    } texts[] = {
        {"wrong magic", encryption_text(wrong_magic)},
        {"101 characters", valid.substr(0, 101)},
        {"103 characters", valid + "&"},
        {"empty", ""},
        {"garbage", std::string(102, '~')},
    };
    for (const auto& t : texts) {
        SCOPED_TRACE(t.name);
        restart();
        FakeEncryptionPage p;
        // A profile with keys was shown before.
        given(Rec{1, 2, {K5, K5, K5, K5}});
        p.open();
        ASSERT_EQ(p.fields(), (std::array<std::string, 4>{MASK, MASK, MASK, MASK}));

        std::snprintf(active_configuration.encryption, sizeof active_configuration.encryption, "%s",
                      t.text.c_str());
        p.page.set_active();
        EXPECT_EQ(p.fields(), (std::array<std::string, 4>{"", "", "", ""}));
        EXPECT_FALSE(p.view.checks[SECURITY]);
        EXPECT_EQ(p.view.list_selection(TX_KEY), 0);
        EXPECT_EQ(dump(page_record), dump(make_record(Rec{})));
        // Leaving writes a valid empty record, magic and key block included.
        ASSERT_TRUE(p.leave());
        EXPECT_EQ(dump(stored_record()), dump(make_record(Rec{})));
    }
}

// An untouched key keeps every byte of its slot, also those past its length
// that a record from elsewhere may carry.
TEST_F(EncryptionPageTest, UntouchedKeyKeepsAllFourteenBytes) {
    EncryptionRecord record = make_record(Rec{1, 0, {K5, "", "", ""}});
    std::memcpy(record.keys[0].material, "abcde\x01\x02\x03\x04\x05\x06\x07\x08\x09", 14);
    record.keys[2].length = 0;
    std::memcpy(record.keys[2].material, "leftover bytes", 14);
    given(record);
    p_.open();
    p_.click_mode(HEX);
    ASSERT_TRUE(p_.leave());
    EXPECT_EQ(dump(stored_record()), dump(record));
}

// An edited key's slot is cleared before it is filled: a shorter key leaves
// no trace of a longer one.
TEST_F(EncryptionPageTest, EditedKeyClearsItsSlot) {
    given(Rec{1, 0, {K13, "", "", ""}});
    p_.open();
    p_.type(1, "vwxyz");
    ASSERT_TRUE(p_.leave());
    EXPECT_EQ(dump(stored_record()), dump(make_record(Rec{1, 0, {"vwxyz", "", "", ""}})));
}

// What a refusal leaves in memory: the failing slot's material cleared, in hex
// mode its length already set; the text keeps the last accepted record, and
// the next showing decodes that again.
TEST_F(EncryptionPageTest, RefusalLeavesTheRecordPartlyReadAndTheTextAlone) {
    given(Rec{1, 0, {K5, K5, "", ""}});
    key_hex_mode = 1;
    p_.open();
    const std::string before = stored_text();
    // Ten characters typed as text, judged as hex digits.
    p_.click_mode(ALPHANUMERIC);
    p_.type(2, "0011zz3344");
    p_.click_mode(HEX);
    ASSERT_FALSE(p_.leave());
    EXPECT_EQ(p_.view.messages.size(), 1u);
    EXPECT_EQ(p_.view.messages[0].text, HEX_WARNING);
    EncryptionRecord expected = make_record(Rec{1, 0, {K5, "", "", ""}});
    expected.keys[1].length = 5;
    expected.keys[1].material[0] = 0x00;  // the digits before the bad one
    expected.keys[1].material[1] = 0x11;
    EXPECT_EQ(dump(page_record), dump(expected));
    EXPECT_EQ(stored_text(), before);

    // Five characters in hex mode: the material goes, the length stays.
    FakeEncryptionPage q;
    q.open();
    q.type(1, "abcde");
    ASSERT_FALSE(q.leave());
    EncryptionRecord cleared = make_record(Rec{1, 0, {K5, K5, "", ""}});
    std::memset(cleared.keys[0].material, 0, sizeof cleared.keys[0].material);
    EXPECT_EQ(dump(page_record), dump(cleared));

    // Shown again: the text as last accepted, every key masked and untouched.
    p_.page.set_active();
    EXPECT_EQ(p_.fields(), (std::array<std::string, 4>{MASK, MASK, "", ""}));
    ASSERT_TRUE(p_.leave());
    EXPECT_EQ(stored_text(), before);
}

// The key-edited flags start clear at every showing: a key typed into during
// the last one is masked and not read back again.
TEST_F(EncryptionPageTest, EveryShowingClearsTheEditedFlags) {
    given(Rec{1, 0, {K5, "", "", ""}});
    p_.open();
    p_.type(1, "vwxyz");
    ASSERT_TRUE(p_.leave());
    p_.page.set_active();
    EXPECT_EQ(p_.field(1), MASK);
    // Whatever the field holds now is not a key typed on this showing.
    p_.field(1) = "abc";
    ASSERT_TRUE(p_.leave());
    EXPECT_EQ(dump(stored_record()), dump(make_record(Rec{1, 0, {"vwxyz", "", "", ""}})));
}

// A key is judged by its whole entry: a field longer than its limit (text
// typed in hex mode, then the mode switched) is refused, never cut to fit.
TEST_F(EncryptionPageTest, KeyJudgedByItsWholeLength) {
    const struct {
        const char* name;
        int mode;
        std::string text;
    } cases[] = {
        {"26 characters as text", 0, "abcdefghijklmabcdefghijklm"},
        {"14 characters as text", 0, "abcdefghijklmn"},
        {"27 hex digits", 1, "00ff10ef20df30cf40bf50af607"},
        {"255 characters", 0, std::string(255, 'a')},
        {"256 characters", 0, std::string(256, 'a')},
        {"5000 hex digits", 1, std::string(5000, 'a')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        FakeEncryptionPage p;
        given(Rec{0, 0, {}});
        key_hex_mode = c.mode;
        p.open();
        p.arrow(1);
        p.field(1) = c.text;
        EXPECT_FALSE(p.leave());
        ASSERT_EQ(p.view.messages.size(), 1u);
        EXPECT_EQ(p.view.messages[0].text, c.mode ? HEX_WARNING : PRINTABLE_WARNING);
        EXPECT_EQ(dump(page_record), dump(make_record(Rec{})));
    }
}

// The composed warning is built within its buffer, however long the string
// table's part of it.
TEST_F(EncryptionPageTest, ComposedWarningWithinItsBuffer) {
    p_.view.strings[IDS_KEY_PRINTABLE] = std::string(300, 'w');
    p_.open();
    p_.type(1, "abc");
    ASSERT_FALSE(p_.leave());
    ASSERT_EQ(p_.view.messages.size(), 1u);
    EXPECT_EQ(p_.view.messages[0].text, std::string(255, 'w'));

    p_.view.strings[IDS_KEY_PRINTABLE] = std::string(240, 'w');
    ASSERT_FALSE(p_.leave());
    ASSERT_EQ(p_.view.messages.size(), 2u);
    EXPECT_EQ(p_.view.messages[1].text, std::string(240, 'w') + "Duocard (WEP 12");

    // Without its string the fixed part still says what is wanted.
    p_.view.strings.erase(IDS_KEY_PRINTABLE);
    ASSERT_FALSE(p_.leave());
    EXPECT_EQ(p_.view.messages[2].text, "Duocard (WEP 128))");
    expect_warnings_unowned(p_.view);
}

TEST_F(EncryptionPageTest, FilterKeyChar) {
    FakeView view;
    // Every byte, both modes.
    for (int mode : {0, 1}) {
        for (int byte = 0; byte < 256; ++byte) {
            char c = static_cast<char>(byte);
            const int beeps = view.beeps;
            const int passed = filter_key_char(view, mode, c);
            const char lower =
                byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + 32) : static_cast<char>(byte);
            const bool hex_digit = (lower >= '0' && lower <= '9') || (lower >= 'a' && lower <= 'f');
            const bool expected = !mode || byte == 8 || hex_digit;
            EXPECT_EQ(passed, expected ? 1 : 0) << mode << " " << byte;
            EXPECT_EQ(view.beeps - beeps, expected ? 0 : 1) << mode << " " << byte;
            if (passed) {
                EXPECT_EQ(c, mode ? lower : static_cast<char>(byte)) << mode << " " << byte;
            }
        }
    }
}

TEST_F(EncryptionPageTest, PasteConvertsInPlaceOrRefusesWhole) {
    key_hex_mode = 1;
    p_.open();
    char good[] = "0A1b2C3d4E";
    EXPECT_TRUE(p_.page.key_paste(1, good));
    EXPECT_STREQ(good, "0a1b2c3d4e");
    char bad[] = "0A1b2C3d4EX";
    EXPECT_FALSE(p_.page.key_paste(2, bad));
    EXPECT_STREQ(bad, "0A1b2C3d4EX") << "a refused paste was changed";
    EXPECT_EQ(p_.view.beeps, 1);
    EXPECT_EQ(p_.view.changes, 1);

    // As text, a paste passes as it is.
    key_hex_mode = 0;
    char text[] = "AbC \x01";
    EXPECT_TRUE(p_.page.key_paste(3, text));
    EXPECT_STREQ(text, "AbC \x01");
    EXPECT_EQ(p_.view.changes, 2);
}

// A refused paste leaves the mask and the flag: the key is not read back.
TEST_F(EncryptionPageTest, RefusedPasteKeepsTheKey) {
    given(Rec{1, 0, {K5, "", "", ""}});
    key_hex_mode = 1;
    p_.open();
    p_.paste(1, "xyz");
    EXPECT_EQ(p_.field(1), MASK);
    p_.field(1) = "";  // whatever the field shows, the key was not edited
    ASSERT_TRUE(p_.leave());
    EXPECT_EQ(dump(stored_record()), dump(make_record(Rec{1, 0, {K5, "", "", ""}})));
}

TEST_F(EncryptionPageTest, ClicksAreChanges) {
    p_.open();
    p_.page.control_clicked();
    EXPECT_EQ(p_.view.changes, 1);
    EXPECT_TRUE(p_.view.messages.empty());
}

TEST_F(EncryptionPageTest, HelpOpensTopic112) {
    p_.open();
    p_.page.help();
    EXPECT_EQ(p_.view.help_topics, (std::vector<uint32_t>{HELP_TOPIC_ENCRYPTION}));
    EXPECT_EQ(HELP_TOPIC_ENCRYPTION, 112);
}

// Key numbers outside 1 to 4 touch no field.
TEST_F(EncryptionPageTest, KeyNumbersOutOfRangeIgnored) {
    given(Rec{1, 0, {K5, K5, K5, K5}});
    p_.open();
    for (int k : {0, 5, -1, 1000}) {
        p_.page.key_key_down(k);
        char c = 'g';
        p_.page.key_char(k, c);
        char text[] = "abc";
        p_.page.key_paste(k, text);
        p_.page.key_cut_or_clear(k);
    }
    EXPECT_EQ(p_.fields(), (std::array<std::string, 4>{MASK, MASK, MASK, MASK}));
    ASSERT_TRUE(p_.leave());
    EXPECT_EQ(dump(stored_record()), dump(make_record(Rec{1, 0, {K5, K5, K5, K5}})));
}

}  // namespace

// The profile dialog's logic.
#include "profile_dialog.h"

#include <cstring>

#include "card_records.h"
#include "network_types.h"
#include "profiles.h"
#include "resource.h"
#include "store.h"

namespace {

enum : int {
    DIALOG_OK = 1,
    DIALOG_CANCEL = 2,
};

enum : unsigned {
    PROFILE_NAME_MAX = 31,  // the name edits' limit
    // A window text can be longer than its edit's limit: read it whole
    // enough to judge, then copy on only what the field holds.
    CONTROL_TEXT_SIZE = 1024,
};

// The entries of each type list, in order, by network type code.
const uint32_t OFFERED_TYPES[] = {NET_ACCESS_POINT, NET_PEER_TO_PEER};
enum : int { OFFERED_TYPE_COUNT = sizeof OFFERED_TYPES / sizeof OFFERED_TYPES[0] };

bool valid_row(int row) { return row >= 1 && row <= static_cast<int>(PROFILE_COUNT); }

// The string of a network type code; empty for a code without one.
void type_text(View& view, uint32_t code, char* buffer, unsigned size) {
    buffer[0] = '\0';
    if (code < NETWORK_TYPE_COUNT)
        view.load_string(static_cast<uint16_t>(NETWORK_TYPE_STRING_FIRST + code), buffer, size);
}

// At most PROFILE_NAME_MAX characters of an edit into a profile's name.
void read_name(View& view, int row) {
    char text[CONTROL_TEXT_SIZE] = {};
    view.get_text(profile_name_id(row), text, sizeof text);
    char* name = active_configuration.profile_names[row - 1];
    unsigned n = 0;
    while (n < PROFILE_NAME_MAX && text[n] != '\0') ++n;
    std::memcpy(name, text, n);
    name[n] = '\0';
}

// The code whose type string the list shows, 0 when none does.
uint32_t read_type(View& view, int row) {
    char text[CONTROL_TEXT_SIZE] = {};
    view.get_text(profile_type_id(row), text, sizeof text);
    for (uint32_t code = 0; code < NETWORK_TYPE_COUNT; ++code) {
        char wanted[CONFIG_TEXT_SIZE];
        type_text(view, code, wanted, sizeof wanted);
        if (wanted[0] != '\0' && std::strcmp(wanted, text) == 0) return code;
    }
    return NET_ACCESS_POINT;
}

// OK's and Edit Profile's common end: the rows read back, the list stored.
void finish(View& view, int id) {
    ActiveConfiguration& config = active_configuration;
    for (int row = 1; row <= static_cast<int>(PROFILE_COUNT); ++row) {
        read_name(view, row);
        config.profile_types[row - 1] = read_type(view, row);
    }
    const uint32_t current = config.current_profile;
    if (current >= 1 && current <= PROFILE_COUNT && config.profile_names[current - 1][0] == '\0') {
        view.message(IDS_PROFILE_NAME_MISSING, IDS_CAPTION_2250, MESSAGE_WARNING, true);
        return;
    }
    store_profile_list();
    view.save_position();
    view.end_dialog(id);
}

}  // namespace

int profile_select_id(int row) { return valid_row(row) ? IDC_PROFILE_SELECT_1 + row - 1 : 0; }
int profile_name_id(int row) { return valid_row(row) ? IDC_PROFILE_NAME_1 + row - 1 : 0; }
int profile_type_id(int row) { return valid_row(row) ? IDC_PROFILE_TYPE_1 + row - 1 : 0; }

void ProfileDialog::init() {
    ActiveConfiguration& config = active_configuration;
    for (int row = 1; row <= static_cast<int>(PROFILE_COUNT); ++row)
        view_.limit_text(profile_name_id(row), PROFILE_NAME_MAX);

    load_profile_list();
    for (int row = 1; row <= static_cast<int>(PROFILE_COUNT); ++row)
        view_.set_text(profile_name_id(row), config.profile_names[row - 1]);

    if (config.current_profile == 0 || config.current_profile > PROFILE_COUNT)
        config.current_profile = 1;
    // Through the button's own procedure, which selects the row.
    view_.set_check(profile_select_id(static_cast<int>(config.current_profile)), true);

    char entries[OFFERED_TYPE_COUNT][CONFIG_TEXT_SIZE];
    for (int i = 0; i < OFFERED_TYPE_COUNT; ++i)
        type_text(view_, OFFERED_TYPES[i], entries[i], CONFIG_TEXT_SIZE);
    for (int row = 1; row <= static_cast<int>(PROFILE_COUNT); ++row) {
        const int id = profile_type_id(row);
        view_.list_clear(id);
        for (int i = 0; i < OFFERED_TYPE_COUNT; ++i) view_.list_add(id, entries[i]);
        // A stored type the list does not offer shows as its first entry.
        char stored[CONFIG_TEXT_SIZE];
        type_text(view_, config.profile_types[row - 1], stored, sizeof stored);
        int selected = 0;
        for (int i = 0; i < OFFERED_TYPE_COUNT; ++i) {
            if (stored[0] != '\0' && std::strcmp(stored, entries[i]) == 0) {
                selected = i;
                break;
            }
        }
        view_.list_select(id, selected);
    }
}

void ProfileDialog::selection_set(int row, bool checked) {
    if (checked) select_profile_row(row);
}

void ProfileDialog::name_focus_lost(int row) {
    if (!valid_row(row)) return;
    read_name(view_, row);
    if (active_configuration.profile_names[row - 1][0] == '\0')
        active_configuration.profile_new[row - 1] = 1;
}

void ProfileDialog::type_list_command(int row) {
    if (!valid_row(row)) return;
    ActiveConfiguration& config = active_configuration;
    const int selected = view_.list_selection(profile_type_id(row));
    const uint32_t code =
        selected >= 0 && selected < OFFERED_TYPE_COUNT ? OFFERED_TYPES[selected] : OFFERED_TYPES[0];
    if (code == config.shown_types[row - 1]) return;
    // Another type needs other settings: start from the defaults and pass
    // through the property sheet before OK.
    config.profile_new[row - 1] = 1;
    reset_profile_defaults();
    config.shown_types[row - 1] = code;
    select_profile_row(row);
}

void ProfileDialog::command(int id) {
    switch (id) {
    case DIALOG_OK:
        apply_configuration_records();
        finish(view_, id);
        break;
    case IDC_EDIT_PROFILE: finish(view_, id); break;
    case DIALOG_CANCEL:
        view_.save_position();
        view_.end_dialog(DIALOG_CANCEL);
        break;
    case IDC_HELP_BUTTON: view_.help(HELP_TOPIC_PROFILES); break;
    default: break;
    }
}

int ProfileDialog::select_profile_row(int row) {
    if (!valid_row(row)) return 1;
    ActiveConfiguration& config = active_configuration;
    for (int i = 1; i <= static_cast<int>(PROFILE_COUNT); ++i) {
        view_.enable(profile_name_id(i), i == row);
        view_.enable(profile_type_id(i), i == row);
    }
    if (static_cast<uint32_t>(row) != config.current_profile) {
        // The chosen profile becomes the active set at once, and stays so
        // should the dialog then be cancelled.
        config.current_profile = static_cast<uint32_t>(row);
        load_parameters(GROUP_PROFILE);
        store_parameters(GROUP_ACTIVE_SET);
    }
    view_.enable(DIALOG_OK, !config.profile_new[row - 1]);
    return 1;
}

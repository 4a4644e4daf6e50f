// A run of the applet and the logic of its three entries.
#include "run.h"

#include <cstring>

#include "admin_page.h"
#include "card_records.h"
#include "discovery.h"
#include "encryption_page.h"
#include "format.h"
#include "os.h"
#include "page_record.h"
#include "platform/session.h"
#include "profiles.h"
#include "registry.h"
#include "resource.h"
#include "store.h"

const char TARVO_STATUS_FAILED[] = "STATUS_FAILED";
const char TARVO_STATUS_USERCANCEL[] = "STATUS_USERCANCEL";
const char TARVO_STATUS_SUCCESSFUL[] = "STATUS_SUCCESSFUL";

namespace {

// Results of the profile dialog.
enum : int {
    DIALOG_OK = 1,
    DIALOG_EDIT_PROFILE = IDC_EDIT_PROFILE,
    SHEET_OK = 1,
};

int adapter_found;

void write_mailbox(const char* name, uint32_t value) {
    reg_write_dword(PLAT_HKEY_LOCAL_MACHINE, ORVIX_DRIVER_KEY, name, static_cast<int32_t>(value));
}

// The Control Panel keeps the library loaded between double-clicks and
// installers call the entries again and again: each run starts from the
// registry, never from what an earlier run left in memory. What belongs to
// the module's whole life (window position, not_configured, the pages' own
// display modes) stays.
void begin_run() {
    ActiveConfiguration& config = active_configuration;
    config.current_profile = 0;
    std::memset(config.profile_names, 0, sizeof config.profile_names);
    std::memset(config.profile_types, 0, sizeof config.profile_types);
    std::memset(config.shown_types, 0, sizeof config.shown_types);
    std::memset(config.profile_new, 0, sizeof config.profile_new);
    std::memset(config.restart_marks, 0, sizeof config.restart_marks);
    config.own_channel = 0;
}

// What the pages may change in memory while the sheet is open.
struct SheetMemory {
    ActiveConfiguration parameters;  // only the parameter table's fields are used
    uint32_t own_channel;
    uint8_t restart_marks[PROFILE_COUNT];
};

void keep_sheet_memory(SheetMemory* memory) {
    memory->parameters = active_configuration;
    memory->own_channel = active_configuration.own_channel;
    std::memcpy(memory->restart_marks, active_configuration.restart_marks,
                sizeof memory->restart_marks);
}

// A cancelled sheet must not leave its pages' edits behind: the profile
// dialog's OK would send them to the card while the registry keeps the old.
void restore_sheet_memory(const SheetMemory& memory) {
    ActiveConfiguration& config = active_configuration;
    for (const ParameterRow& row : parameter_table) {
        if (row.kind == PARAM_TEXT)
            std::memcpy(config.*row.text, memory.parameters.*row.text, CONFIG_TEXT_SIZE);
        else
            config.*row.number = memory.parameters.*row.number;
    }
    config.own_channel = memory.own_channel;
    std::memcpy(config.restart_marks, memory.restart_marks, sizeof config.restart_marks);
}

void edit_profile(AppletHost& host) {
    SheetMemory before;
    keep_sheet_memory(&before);
    bool cancelled = false;
    const int result = host.run_property_sheet(&cancelled);
    if (cancelled) {
        restore_sheet_memory(before);
    } else if (result == SHEET_OK) {
        ActiveConfiguration& config = active_configuration;
        config.configured = 1;
        if (config.current_profile >= 1 && config.current_profile <= PROFILE_COUNT)
            config.profile_new[config.current_profile - 1] = 0;
        store_parameters(GROUP_ALL);
        store_parameters(GROUP_ACTIVE_SET);
    }
}

int profile_dialog_loop(AppletHost& host) {
    for (;;) {
        const int result = host.run_profile_dialog();
        if (result == DIALOG_EDIT_PROFILE) {
            edit_profile(host);
            continue;
        }
        if (result == DIALOG_OK) restart_prompt(host);
        return result;
    }
}

// Whether a restart is needed: any mark on the current profile, and the
// adapter's I/O base or interrupt on any profile (already stored, in force
// only after a restart whichever profile was current when they changed).
bool restart_needed() {
    const ActiveConfiguration& config = active_configuration;
    const uint32_t current = config.current_profile;
    if (current >= 1 && current <= PROFILE_COUNT && config.restart_marks[current - 1] != 0)
        return true;
    for (unsigned n = 0; n < PROFILE_COUNT; ++n)
        if (config.restart_marks[n] & RESTART_ADAPTER) return true;
    return false;
}

// Cpl_cmd words that stand for a dialog rather than a command.
bool shows_dialog(uint32_t word) {
    const uint32_t code = word & CMD_CODE_MASK;
    return code == CMD_NONE || code == CMD_SHOW || code == CMD_BUSY;
}

// Makes the active set and the card follow a mailbox command's change.
void apply_profile_change() {
    load_parameters(GROUP_PROFILE);
    store_parameters(GROUP_ACTIVE_SET);
    store_profile_list();
    apply_configuration_records();
}

}  // namespace

int applet_init() {
    detect_os_class(nullptr);
    adapter_found = find_adapter(adapter_hardware_ids);
    check_not_configured();
    return adapter_found;
}

uint32_t cm_configure(AppletHost& host, uint32_t command) {
    host.acquire_module();
    detect_os_class(nullptr);
    uint32_t status;
    if (command < CMD_SHOW) {
        status = CPL_STATUS_BAD_COMMAND;
    } else if (!find_adapter(adapter_hardware_ids)) {
        status = CPL_STATUS_NO_ADAPTER;
    } else {
        check_not_configured();
        uint32_t produced = CPL_STATUS_OK;
        const int result = run_applet(host, command, &produced);
        status = result == 1 || result == 2 ? produced : static_cast<uint32_t>(result);
    }
    host.release_module();
    return status;
}

int tarvo_configure(AppletHost& host, uint32_t version, const TarvoTexts* texts,
                    const char** status) {
    if (!status || !texts) return 0;
    if (version != 2 || !texts->first || !texts->second || texts->first[0] == '\0' ||
        texts->second[0] == '\0') {
        *status = TARVO_STATUS_FAILED;
        return 0;
    }
    host.acquire_module();
    detect_os_class(nullptr);
    // Not configured before the call counts as success whatever the user did
    // (installers rely on it); without an adapter nothing was configured.
    const char* outcome = TARVO_STATUS_FAILED;
    if (find_adapter(adapter_hardware_ids)) {
        check_not_configured();
        uint32_t ignored = CPL_STATUS_OK;
        run_applet(host, CMD_NONE, &ignored);
        outcome =
            active_configuration.not_configured ? TARVO_STATUS_SUCCESSFUL : TARVO_STATUS_USERCANCEL;
    }
    *status = outcome;
    host.release_module();
    return 1;
}

int run_applet(AppletHost& host, uint32_t command, uint32_t* status) {
    uint32_t produced = CPL_STATUS_OK;
    begin_run();
    query_card_status();
    read_driver_identity();
    load_parameters(GROUP_ALL);

    // Read before the release check, so that a stopped run can still answer
    // an installer that polls Cpl_Status.
    int32_t mailbox = 0;
    const bool mailbox_read =
        command == RUN_READ_MAILBOX &&
        reg_read_dword(PLAT_HKEY_LOCAL_MACHINE, ORVIX_DRIVER_KEY, "Cpl_cmd", &mailbox);

    int result = 1;
    if (check_driver_release() == DRIVER_RELEASE_WRONG) {
        host.message(IDS_WRONG_DRIVER, IDS_CAPTION_2252, MESSAGE_WARNING);
        produced = CPL_STATUS_WRONG_DRIVER;
        const bool installer_waits =
            command >= CMD_SHOW || (mailbox_read && !shows_dialog(static_cast<uint32_t>(mailbox)));
        if (installer_waits) write_mailbox("Cpl_Status", CPL_STATUS_WRONG_DRIVER);
    } else if (!process_installer_command(command, &produced)) {
        result = profile_dialog_loop(host);
    }

    char version[16];
    format_bounded(version, sizeof version, "%d.%d.%d", REQUIRED_DRIVER_IDENTITY.variant,
                   REQUIRED_DRIVER_IDENTITY.major, REQUIRED_DRIVER_IDENTITY.minor);
    reg_write_string(PLAT_HKEY_LOCAL_MACHINE, ORVIX_DRIVER_KEY, "version", version);
    write_mailbox("Cpl_cmd", 0);
    if (status) *status = produced;
    return result;
}

int process_installer_command(uint32_t command, uint32_t* status) {
    uint32_t ignored;
    if (!status) status = &ignored;
    if (command == CMD_NONE) {
        *status = CPL_STATUS_OK;
        return 0;
    }
    uint32_t word = command;
    if (command == RUN_READ_MAILBOX) {
        int32_t read;
        if (!reg_read_dword(PLAT_HKEY_LOCAL_MACHINE, ORVIX_DRIVER_KEY, "Cpl_cmd", &read)) {
            write_mailbox("Cpl_Status", CPL_STATUS_NO_COMMAND);
            write_mailbox("Cpl_cmd", 0);
            *status = CPL_STATUS_NO_COMMAND;
            return 0;
        }
        word = static_cast<uint32_t>(read);
    }
    write_mailbox("Cpl_Status", CPL_STATUS_OK);
    write_mailbox("Cpl_cmd", CMD_BUSY);

    const uint32_t argument = word & CMD_ARGUMENT_MASK;
    switch (word & CMD_CODE_MASK) {
    case CMD_NONE:
    case CMD_SHOW:
    case CMD_BUSY: *status = CPL_STATUS_OK; return 0;
    case CMD_SELECT_PROFILE:
        if (argument >= 1 && argument <= PROFILE_COUNT) {
            load_profile_list();
            active_configuration.current_profile = argument;
            apply_profile_change();
            *status = CPL_STATUS_OK;
        } else {
            write_mailbox("Cpl_Status", CPL_STATUS_BAD_PROFILE);
            *status = CPL_STATUS_BAD_PROFILE;
        }
        write_mailbox("Cpl_cmd", 0);
        return 1;
    case CMD_DRIVER_ENABLE:
        load_profile_list();
        active_configuration.driver_enable = argument == 0 ? 1 : 0;
        apply_profile_change();
        write_mailbox("Cpl_cmd", 0);
        *status = CPL_STATUS_OK;
        return 1;
    default:
        // Cpl_cmd keeps CMD_BUSY until the run's end clears it.
        write_mailbox("Cpl_Status", CPL_STATUS_BAD_COMMAND);
        *status = CPL_STATUS_BAD_COMMAND;
        return 1;
    }
}

int check_driver_release() {
    if (active_configuration.configured != 1) reset_profile_defaults();
    if (card_identity_valid && identity_is_required(card_identity)) return DRIVER_RELEASE_ACCEPTED;
    return registry_release_ok() ? DRIVER_RELEASE_ACCEPTED : DRIVER_RELEASE_WRONG;
}

void restart_prompt(AppletHost& host) {
    if (!restart_needed()) return;
    if ((os_class & OS_MASK_NT) && plat_enable_shutdown_privilege() != PLAT_PRIVILEGE_ENABLED) {
        host.message(IDS_RESTART_NEEDED, IDS_CAPTION_2253, MESSAGE_QUESTION_OK);
        return;
    }
    if (host.message(IDS_RESTART_QUESTION, IDS_CAPTION_2253, MESSAGE_QUESTION_YES_NO) != ANSWER_YES)
        return;
    write_mailbox("Cpl_cmd", 0);
    // Refused (another program vetoed it): the user must restart by hand.
    if (!plat_restart_windows())
        host.message(IDS_RESTART_NEEDED, IDS_CAPTION_2253, MESSAGE_QUESTION_OK);
}

void applet_reset() {
    adapter_found = 0;
    page_record_reset();
    key_hex_mode = 0;
    admin_mac_mode = 0;
    admin_mac_at_showing[0] = '\0';
}

#include "channel.h"

#include <cstdio>
#include <cstring>

#include "discovery.h"
#include "os.h"
#include "platform/system.h"
#include "registry.h"

// Zero at program start (so it takes no room in the program file); every
// close leaves the handle INVALID_HANDLE_VALUE. Either way nothing is open
// while open_generation is 0.
DriverChannel driver_channel;

namespace {

// The connect answer keeps what the previous connect left in it.
RequestFrame connect_frame;
char vxd_name[32];
char device_name[260];
char device_path[260];
char raw_target[260];

const uint32_t MAX_OPEN_ATTEMPTS = 10;
const uint32_t BUSY_RETRY_MS = 100;

struct Opened {
    PlatHandle handle;
    uint32_t dos_name_defined;
};

const Opened NOT_OPENED = {PLAT_INVALID_HANDLE_VALUE, 0};

// One DeviceIoControl with the frame as request and answer.
int exchange(PlatHandle handle, RequestFrame* frame, uint32_t byte_count, uint32_t* returned) {
    static const uint8_t object_id[4] = {
        uint8_t(CHANNEL_OBJECT_ID), uint8_t(CHANNEL_OBJECT_ID >> 8),
        uint8_t(CHANNEL_OBJECT_ID >> 16), uint8_t(CHANNEL_OBJECT_ID >> 24)};
    *returned = 0;
    return plat_device_io_control(handle, PLAT_IOCTL_NDIS_QUERY_GLOBAL_STATS, object_id,
                                  sizeof object_id, frame, byte_count, returned);
}

// Sends connect on the connect frame. Its context is cleared first, so that a
// driver that writes nothing leaves no context behind and counts as absent.
int send_connect(PlatHandle handle) {
    connect_frame.context = 0;
    connect_frame.status = 0;
    connect_frame.command = CHANNEL_COMMAND_CONNECT;
    uint32_t returned = 0;
    return exchange(handle, &connect_frame, sizeof connect_frame, &returned);
}

bool set_device_names(const char* name) {
    int a = std::snprintf(device_name, sizeof device_name, "%s", name);
    int b = std::snprintf(device_path, sizeof device_path, "\\\\.\\%s", name);
    int c = std::snprintf(raw_target, sizeof raw_target, "\\Device\\%s", name);
    return a >= 0 && b >= 0 && c >= 0 && unsigned(a) < sizeof device_name &&
           unsigned(b) < sizeof device_path && unsigned(c) < sizeof raw_target;
}

void remove_dos_name() {
    plat_define_dos_device(
        PLAT_DDD_RAW_TARGET_PATH | PLAT_DDD_REMOVE_DEFINITION | PLAT_DDD_EXACT_MATCH_ON_REMOVE,
        device_name, raw_target);
}

Opened open_vxd(const char* vendor_code, int generation) {
    std::snprintf(vxd_name, sizeof vxd_name, "RU%s%02d.VXD", vendor_code, generation);
    char path[64];
    std::snprintf(path, sizeof path, "\\\\.\\%s", vxd_name);
    PlatHandle handle = plat_create_file(path);
    if (handle == PLAT_INVALID_HANDLE_VALUE) {
        // Both generations fall back to the generation-51 VxD.
        const size_t digits = std::strlen(vxd_name) - 6;
        vxd_name[digits] = '5';
        vxd_name[digits + 1] = '1';
        std::snprintf(path, sizeof path, "\\\\.\\%s", vxd_name);
        handle = plat_create_file(path);
        if (handle == PLAT_INVALID_HANDLE_VALUE) return NOT_OPENED;
    }
    // The call's own result is not consulted here: the connect frame's status
    // and context decide.
    send_connect(handle);
    return {handle, 0};
}

Opened open_nt4(const char* vendor_code) {
    for (char digit = '1'; digit <= '9'; ++digit) {
        char name[32];
        std::snprintf(name, sizeof name, "RL%s52%c", vendor_code, digit);
        if (!set_device_names(name)) return NOT_OPENED;
        char scratch[260];
        uint32_t defined = 0;
        if (!plat_query_dos_device(device_name, scratch, sizeof scratch)) {
            if (plat_get_last_error() != PLAT_ERROR_FILE_NOT_FOUND) return NOT_OPENED;
            if (!plat_define_dos_device(PLAT_DDD_RAW_TARGET_PATH, device_name, raw_target))
                return NOT_OPENED;
            if (!plat_query_dos_device(device_name, scratch, sizeof scratch)) {
                remove_dos_name();  // leave no name of ours behind
                return NOT_OPENED;
            }
            defined = 1;
        }
        PlatHandle handle = plat_create_file(device_path);
        if (handle == PLAT_INVALID_HANDLE_VALUE) {
            if (defined) remove_dos_name();
            continue;
        }
        if (send_connect(handle)) return {handle, defined};
        if (defined) remove_dos_name();
        plat_close_handle(handle);
    }
    return NOT_OPENED;
}

Opened open_network_adapter() {
    if (!find_adapter(adapter_hardware_ids)) return NOT_OPENED;
    char id[REG_STRING_SIZE];
    if (!reg_read_string(PLAT_HKEY_LOCAL_MACHINE, instance_key, "NetCfgInstanceId", id))
        return NOT_OPENED;
    // An id that would not fit the device path names no device we could open.
    if (!set_device_names(id)) return NOT_OPENED;
    PlatHandle handle = plat_create_file(device_path);
    if (handle == PLAT_INVALID_HANDLE_VALUE) return NOT_OPENED;
    if (!send_connect(handle)) {
        plat_close_handle(handle);
        return NOT_OPENED;
    }
    return {handle, 0};
}

void close_opened(const Opened& opened) {
    plat_close_handle(opened.handle);
    if (opened.dos_name_defined) remove_dos_name();
}

void clear_channel() {
    std::memset(&driver_channel, 0, sizeof driver_channel);
    driver_channel.handle = PLAT_INVALID_HANDLE_VALUE;
}

struct RangeRow {
    uint16_t variant, bottom, top;
};

const RangeRow driver_range_table[] = {
    {41, 1, 99}, {46, 1, 99}, {48, 1, 99}, {51, 1, 99}, {52, 1, 99},
};

}  // namespace

uint16_t channel_open(const char* vendor_code) {
    uint16_t status = CHANNEL_STATUS_NO_DRIVER;
    for (uint32_t attempt = 0; attempt < MAX_OPEN_ATTEMPTS; ++attempt) {
        driver_channel.frame.context = 0;
        driver_channel.dos_name_defined = 0;
        status = CHANNEL_STATUS_NO_DRIVER;

        Opened opened = NOT_OPENED;
        uint32_t generation = 0;
        switch (os_class) {
        case OS_WIN95:
            opened = open_vxd(vendor_code, 41);
            generation = 41;
            break;
        case OS_WIN98:
            opened = open_vxd(vendor_code, 48);
            generation = 48;
            break;
        case OS_WINNT:
            opened = open_nt4(vendor_code);
            generation = 52;
            break;
        case OS_WIN2000:
        case OS_WIN2001:
            opened = open_network_adapter();
            generation = 48;
            break;
        default: break;
        }
        if (opened.handle == PLAT_INVALID_HANDLE_VALUE) break;

        status = connect_frame.status;
        if (status == CHANNEL_STATUS_OK) {
            driver_channel.frame.context = connect_frame.context;
            driver_channel.dos_name_defined = opened.dos_name_defined;
            driver_channel.handle = opened.handle;
            driver_channel.open_generation = generation;
            break;
        }
        close_opened(opened);
        if (status != CHANNEL_STATUS_BUSY) break;
        plat_sleep(BUSY_RETRY_MS);
    }
    if (status != CHANNEL_STATUS_OK) return status;
    if (driver_channel.frame.context == 0) {
        close_opened({driver_channel.handle, driver_channel.dos_name_defined});
        clear_channel();
        return CHANNEL_STATUS_NO_DRIVER;
    }
    return check_driver_range();
}

void channel_close() {
    if (driver_channel.open_generation != 0) {
        // The disconnect request carries status 69; its answer is not examined.
        RequestFrame& f = driver_channel.frame;
        f.status = CHANNEL_DISCONNECT_STATUS;
        f.command = CHANNEL_COMMAND_DISCONNECT;
        f.length = 0;
        f.type = 0;
        uint32_t returned = 0;
        exchange(driver_channel.handle, &f, sizeof f, &returned);
        if (driver_channel.handle != PLAT_INVALID_HANDLE_VALUE)
            plat_close_handle(driver_channel.handle);
        if (driver_channel.dos_name_defined) remove_dos_name();
    }
    clear_channel();
}

uint16_t channel_transact(RequestFrame* frame, uint32_t* byte_count) {
    uint32_t returned = 0;
    frame->status = 0;
    int ok = exchange(driver_channel.handle, frame, *byte_count, &returned);
    *byte_count = returned;
    return ok ? frame->status : static_cast<uint16_t>(CHANNEL_STATUS_NO_DRIVER);
}

uint16_t channel_action(uint16_t code) {
    if (driver_channel.open_generation == 0) return CHANNEL_STATUS_NO_DRIVER;
    switch (code) {
    case 4:
    case 6:
    case 11:
    case 12:
    case CHANNEL_ACTION_APPLY: break;
    default: return CHANNEL_STATUS_BAD_ACTION;
    }
    RequestFrame& f = driver_channel.frame;
    f.command = CHANNEL_COMMAND_ACTION;
    f.length = CARD_RECORD_MAX_LENGTH;
    f.type = code;
    uint32_t count = sizeof f;
    return channel_transact(&f, &count);
}

void card_record_prepare(uint16_t* record, uint16_t length, uint16_t id) {
    std::memset(record, 0, card_record_words(length) * sizeof(uint16_t));
    record[0] = length;
    record[1] = id;
}

uint16_t card_get_record(uint16_t* record) {
    RequestFrame& f = driver_channel.frame;
    f.command = CHANNEL_COMMAND_GET_RECORD;
    uint16_t asked = 0;
    if (record) {
        asked = record[0] < CARD_RECORD_MAX_LENGTH ? record[0] : CARD_RECORD_MAX_LENGTH;
        f.length = asked;
        f.type = record[1];
    } else {
        f.length = 0;
        f.type = 0;
    }
    f.data[0] = 0xFFFF;
    uint32_t count = sizeof f;
    uint16_t status = channel_transact(&f, &count);
    if (record && (status == CHANNEL_STATUS_OK || status == CHANNEL_STATUS_TRUNCATED)) {
        // The length word tells what the driver has; what is copied is bounded
        // by the caller's buffer and the frame, whatever the driver reported.
        const uint16_t n = f.length < asked ? f.length : asked;
        record[0] = f.length;
        if (n >= 1) record[1] = f.type;
        if (n >= 2) std::memcpy(&record[2], f.data, (n - 1) * sizeof(uint16_t));
    }
    return status;
}

uint16_t card_put_record(const uint16_t* record) {
    if (driver_channel.open_generation == 0) return CHANNEL_STATUS_NO_DRIVER;
    RequestFrame& f = driver_channel.frame;
    f.command = CHANNEL_COMMAND_PUT_RECORD;
    if (record) {
        f.length = record[0] < CARD_RECORD_MAX_LENGTH ? record[0] : CARD_RECORD_MAX_LENGTH;
        f.type = record[1];
        // A length of 0 has not even the type word: no data.
        if (f.length >= 2) std::memcpy(f.data, &record[2], (f.length - 1) * sizeof(uint16_t));
    } else {
        f.length = 0;
        f.type = 0;
    }
    uint32_t count = sizeof f;
    return channel_transact(&f, &count);
}

uint16_t check_driver_range() {
    uint16_t range[card_record_words(RECORD_LENGTH_RANGE)];
    card_record_prepare(range, RECORD_LENGTH_RANGE, RECORD_DRIVER_RANGE);
    uint16_t status = card_get_record(range);
    if (status != CHANNEL_STATUS_OK && status != CHANNEL_STATUS_TRUNCATED) return status;
    // Variant, bottom and top are the third to fifth data words.
    if (range[0] < RECORD_LENGTH_RANGE) return CHANNEL_STATUS_INCOMPATIBLE;
    const uint16_t variant = range[4], bottom = range[5], top = range[6];
    bool match = false;
    for (const RangeRow& row : driver_range_table)
        if (row.variant == variant && row.bottom <= top && row.top >= bottom) match = true;
    return match ? CHANNEL_STATUS_OK : CHANNEL_STATUS_INCOMPATIBLE;
}

void channel_reset() {
    clear_channel();
    std::memset(&connect_frame, 0, sizeof connect_frame);
    vxd_name[0] = device_name[0] = device_path[0] = raw_target[0] = 0;
}

#include "discovery.h"

#include <cstring>

#include "format.h"
#include "os.h"
#include "registry.h"

const char* const adapter_hardware_ids[] = {"ORVIX-CALYX-2B13", "ORVIX-CALYX-0087", nullptr};
const char VENDOR_CODE[] = "ORX";

char instance_key[INSTANCE_KEY_SIZE];

namespace {

const char ENUM_9X[] = "Enum";
const char ENUM_NT[] = "System\\CurrentControlSet\\Enum";
const char CLASS_9X[] = "System\\CurrentControlSet\\Services\\Class";
const char CLASS_NT[] = "System\\CurrentControlSet\\Control\\Class";
const char NET_CLASS_FORMAT[] = "%s\\{4D36E972-E325-11CE-BFC1-08002bE10318}\\%04ld";
const char SERVICES[] = "System\\CurrentControlSet\\Services";
const char NT4_FORMAT[] = "%s\\RL%s521\\Parameters";
const char DESCRIPTION_PC_CARD[] = "Calyx PC Card";
const char DESCRIPTION_USB[] = "USB Adapter";

// Path buffers: the longest composition is a fixed root, a hardware ID and a
// 255-character key name.
enum { PATH_SIZE = 600 };

// Takes a candidate instance key; one that did not fit is refused (as not
// found) rather than kept shortened.
bool set_instance_key(const char* candidate, bool fitted) {
    if (!fitted) return false;
    std::memcpy(instance_key, candidate, INSTANCE_KEY_SIZE);
    return true;
}

bool set_instance_key(const char* root, const char* driver) {
    char candidate[INSTANCE_KEY_SIZE];
    return set_instance_key(candidate,
                            format_bounded(candidate, sizeof candidate, "%s\\%s", root, driver));
}

bool set_instance_key_number(long number) {
    char candidate[INSTANCE_KEY_SIZE];
    return set_instance_key(
        candidate, format_bounded(candidate, sizeof candidate, NET_CLASS_FORMAT, CLASS_NT, number));
}

// Reads "Driver" (as text) or "DrvInst" (as number) from key_path.
bool read_instance(const char* key_path, bool by_number, const char* class_root) {
    if (by_number) {
        int32_t number = 0;
        if (!reg_read_dword(PLAT_HKEY_LOCAL_MACHINE, key_path, "DrvInst", &number)) return false;
        return set_instance_key_number(number);
    }
    char driver[REG_STRING_SIZE];
    if (!reg_read_string(PLAT_HKEY_LOCAL_MACHINE, key_path, "Driver", driver)) return false;
    return set_instance_key(class_root, driver);
}

// USB: only the first instance sub key of the hardware ID counts.
bool usb_attempt(const char* enum_root, const char* id, bool by_number, const char* class_root) {
    char usb[PATH_SIZE];
    if (!format_bounded(usb, sizeof usb, "%s\\USB\\%s", enum_root, id)) return false;
    PlatKey key = nullptr;
    if (plat_reg_open_key(PLAT_HKEY_LOCAL_MACHINE, usb, &key) != PLAT_ERROR_SUCCESS) return false;
    char first[256];
    long rc = plat_reg_enum_key(key, 0, first, sizeof first);
    plat_reg_close_key(key);
    if (rc != PLAT_ERROR_SUCCESS) return false;
    first[sizeof first - 1] = 0;
    char instance[PATH_SIZE];
    if (!format_bounded(instance, sizeof instance, "%s\\%s", usb, first)) return false;
    return read_instance(instance, by_number, class_root);
}

bool pc_card_attempt(const char* enum_root, const char* id, const char* instance_number,
                     bool by_number, const char* class_root) {
    char path[PATH_SIZE];
    if (!format_bounded(path, sizeof path, "%s\\PCMCIA\\%s\\%s", enum_root, id, instance_number))
        return false;
    return read_instance(path, by_number, class_root);
}

bool is_description(const char* text, const char* expected) {
    return std::strcmp(text, expected) == 0;
}

// Counts the sub keys of path whose names start with prefix (each one a
// device instance or a driver service); an empty prefix counts them all.
int count_sub_keys(const char* path, const char* prefix) {
    PlatKey key = nullptr;
    if (plat_reg_open_key_ex(PLAT_HKEY_LOCAL_MACHINE, path, PLAT_KEY_ENUMERATE_SUB_KEYS, &key) !=
        PLAT_ERROR_SUCCESS)
        return 0;
    const size_t prefix_length = std::strlen(prefix);
    int count = 0;
    for (uint32_t index = 0;; ++index) {
        char name[260];
        uint32_t size = sizeof name;
        if (plat_reg_enum_key_ex(key, index, name, &size) != PLAT_ERROR_SUCCESS) break;
        name[sizeof name - 1] = 0;
        if (std::strncmp(name, prefix, prefix_length) == 0) ++count;
    }
    plat_reg_close_key(key);
    return count;
}

}  // namespace

int find_instance_key(const char* hardware_id) {
    if (!hardware_id) return 0;
    switch (os_class) {
    case OS_WIN95:
    case OS_WIN98:
        return usb_attempt(ENUM_9X, hardware_id, false, CLASS_9X) ||
               pc_card_attempt(ENUM_9X, hardware_id, "0", false, CLASS_9X);
    case OS_WIN2000:
        return usb_attempt(ENUM_NT, hardware_id, false, CLASS_NT) ||
               pc_card_attempt(ENUM_NT, hardware_id, "1", false, CLASS_NT);
    case OS_WIN2001:
        return usb_attempt(ENUM_NT, hardware_id, true, CLASS_NT) ||
               pc_card_attempt(ENUM_NT, hardware_id, "1", true, CLASS_NT);
    case OS_WINNT:
        format_bounded(instance_key, sizeof instance_key, NT4_FORMAT, SERVICES, VENDOR_CODE);
        return 1;
    default: instance_key[0] = 0; return 0;
    }
}

int match_adapter(const char* hardware_id) {
    if (!find_instance_key(hardware_id)) return 0;
    char description[REG_STRING_SIZE];
    switch (os_class) {
    case OS_WIN95:
    case OS_WIN98:
    case OS_WIN2000:
    case OS_WIN2001:
        if (!reg_read_string(PLAT_HKEY_LOCAL_MACHINE, instance_key, "VendorDescription",
                             description))
            return 0;
        return is_description(description, DESCRIPTION_PC_CARD) ||
               is_description(description, DESCRIPTION_USB);
    case OS_WINNT: {
        // Up to nine service instances RLORX521..RLORX529; the digit stands
        // just before "\Parameters".
        std::memset(description, 0, sizeof description);
        const size_t digit = std::strlen(instance_key) - 12;
        for (char d = '1'; d <= '9'; ++d) {
            instance_key[digit] = d;
            if (reg_read_string(PLAT_HKEY_LOCAL_MACHINE, instance_key, "VendorDescription",
                                description) &&
                is_description(description, DESCRIPTION_PC_CARD))
                return 1;
        }
        return 0;
    }
    default: return 0;
    }
}

int find_adapter(const char* const* hardware_ids) {
    if (!hardware_ids) return 0;
    for (const char* const* id = hardware_ids; *id; ++id)
        if (match_adapter(*id)) return 1;
    return 0;
}

int count_adapters(const char* const* hardware_ids) {
    char prefix[16];
    format_bounded(prefix, sizeof prefix, "RL%s52", VENDOR_CODE);
    int count = count_sub_keys(SERVICES, prefix);

    const char* root = (os_class & OS_MASK_WIN9X) ? ENUM_9X : ENUM_NT;
    if (hardware_ids) {
        for (const char* const* id = hardware_ids; *id; ++id) {
            char path[PATH_SIZE];
            if (format_bounded(path, sizeof path, "%s\\USB\\%s", root, *id))
                count += count_sub_keys(path, "");
        }
        for (const char* const* id = hardware_ids; *id; ++id) {
            char path[PATH_SIZE];
            if (format_bounded(path, sizeof path, "%s\\PCMCIA\\%s", root, *id))
                count += count_sub_keys(path, "");
        }
    }
    return count;
}

void discovery_reset() { std::memset(instance_key, 0, sizeof instance_key); }

// Registry seam over the Win32 API: a thin pass-through.
#include <windows.h>

#include "platform/registry.h"

const PlatKey PLAT_HKEY_LOCAL_MACHINE = reinterpret_cast<PlatKey>(HKEY_LOCAL_MACHINE);
const PlatKey PLAT_HKEY_CURRENT_USER = reinterpret_cast<PlatKey>(HKEY_CURRENT_USER);

static HKEY hkey(PlatKey key) { return reinterpret_cast<HKEY>(key); }

long plat_reg_open_key(PlatKey root, const char* sub_key, PlatKey* out) {
    HKEY opened = nullptr;
    LONG rc = RegOpenKeyA(hkey(root), sub_key, &opened);
    *out = reinterpret_cast<PlatKey>(opened);
    return rc;
}

long plat_reg_open_key_ex(PlatKey root, const char* sub_key, uint32_t access, PlatKey* out) {
    HKEY opened = nullptr;
    LONG rc = RegOpenKeyExA(hkey(root), sub_key, 0, access, &opened);
    *out = reinterpret_cast<PlatKey>(opened);
    return rc;
}

long plat_reg_create_key_ex(PlatKey root, const char* sub_key, uint32_t access, PlatKey* out) {
    HKEY opened = nullptr;
    DWORD disposition = 0;
    LONG rc = RegCreateKeyExA(hkey(root), sub_key, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                              nullptr, &opened, &disposition);
    *out = reinterpret_cast<PlatKey>(opened);
    return rc;
}

long plat_reg_query_value_ex(PlatKey key, const char* name, uint32_t* type, uint8_t* data,
                             uint32_t* size) {
    DWORD t = 0;
    DWORD s = size ? *size : 0;
    LONG rc = RegQueryValueExA(hkey(key), name, nullptr, &t, data, size ? &s : nullptr);
    if (type) *type = t;
    if (size) *size = s;
    return rc;
}

long plat_reg_set_value_ex(PlatKey key, const char* name, uint32_t type, const uint8_t* data,
                           uint32_t size) {
    return RegSetValueExA(hkey(key), name, 0, type, data, size);
}

long plat_reg_enum_key(PlatKey key, uint32_t index, char* name, uint32_t name_size) {
    return RegEnumKeyA(hkey(key), index, name, name_size);
}

long plat_reg_enum_key_ex(PlatKey key, uint32_t index, char* name, uint32_t* name_size) {
    DWORD s = *name_size;
    LONG rc = RegEnumKeyExA(hkey(key), index, name, &s, nullptr, nullptr, nullptr, nullptr);
    *name_size = s;
    return rc;
}

long plat_reg_delete_key(PlatKey root, const char* sub_key) {
    return RegDeleteKeyA(hkey(root), sub_key);
}

long plat_reg_close_key(PlatKey key) { return RegCloseKey(hkey(key)); }

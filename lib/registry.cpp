#include "registry.h"

#include <climits>
#include <cstring>

// A null or empty path would address the root itself (HKEY_LOCAL_MACHINE when
// the instance key is not known): never read or write there.
static bool usable_path(const char* sub_key) { return sub_key && sub_key[0]; }

int reg_read_string(PlatKey root, const char* sub_key, const char* name, char* buffer) {
    if (!usable_path(sub_key) || !buffer) return 0;
    PlatKey key = nullptr;
    if (plat_reg_open_key_ex(root, sub_key, PLAT_KEY_QUERY_VALUE, &key) != PLAT_ERROR_SUCCESS)
        return 0;
    // Read into scratch so that the caller's buffer keeps its content on failure.
    char scratch[REG_STRING_SIZE];
    uint32_t type = 0;
    uint32_t size = sizeof scratch;
    long rc = plat_reg_query_value_ex(key, name, &type, reinterpret_cast<uint8_t*>(scratch), &size);
    plat_reg_close_key(key);
    if (rc != PLAT_ERROR_SUCCESS || size > sizeof scratch) return 0;
    // The stored bytes need not end in a zero: add one, or refuse a value that
    // leaves no room for it.
    if (!std::memchr(scratch, 0, size)) {
        if (size >= sizeof scratch) return 0;
        scratch[size++] = 0;
    }
    std::memcpy(buffer, scratch, size);
    return 1;
}

int reg_write_string(PlatKey root, const char* sub_key, const char* name, const char* text) {
    if (!usable_path(sub_key) || !text) return 0;
    PlatKey key = nullptr;
    if (plat_reg_create_key_ex(root, sub_key, PLAT_KEY_ALL_ACCESS, &key) != PLAT_ERROR_SUCCESS)
        return 0;
    long rc = plat_reg_set_value_ex(key, name, PLAT_REG_SZ, reinterpret_cast<const uint8_t*>(text),
                                    static_cast<uint32_t>(std::strlen(text) + 1));
    plat_reg_close_key(key);
    return rc == PLAT_ERROR_SUCCESS ? 1 : 0;
}

int32_t decimal_text_to_long(const char* text, uint32_t length) {
    uint32_t i = 0;
    while (i < length && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
    for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit) {
            value = limit;  // saturate, and keep consuming digits
        }
    }
    return static_cast<int32_t>(negative ? -value : value);
}

int reg_read_dword(PlatKey root, const char* sub_key, const char* name, int32_t* value) {
    if (!usable_path(sub_key) || !value) return 0;
    PlatKey key = nullptr;
    if (plat_reg_open_key_ex(root, sub_key, PLAT_KEY_QUERY_VALUE, &key) != PLAT_ERROR_SUCCESS)
        return 0;
    uint8_t data[REG_DWORD_READ_SIZE] = {};
    uint32_t type = 0;
    uint32_t size = sizeof data;
    long rc = plat_reg_query_value_ex(key, name, &type, data, &size);
    plat_reg_close_key(key);
    if (rc != PLAT_ERROR_SUCCESS || size > sizeof data) return 0;
    if (type == PLAT_REG_SZ) {
        *value = decimal_text_to_long(reinterpret_cast<const char*>(data), size);
    } else {
        // Bytes the registry did not deliver count as zero.
        *value = static_cast<int32_t>(uint32_t(data[0]) | uint32_t(data[1]) << 8 |
                                      uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24);
    }
    return 1;
}

int reg_write_dword(PlatKey root, const char* sub_key, const char* name, int32_t value) {
    if (!usable_path(sub_key)) return 0;
    PlatKey key = nullptr;
    if (plat_reg_create_key_ex(root, sub_key, PLAT_KEY_ALL_ACCESS, &key) != PLAT_ERROR_SUCCESS)
        return 0;
    const uint32_t v = static_cast<uint32_t>(value);
    const uint8_t bytes[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    long rc = plat_reg_set_value_ex(key, name, PLAT_REG_DWORD, bytes, sizeof bytes);
    plat_reg_close_key(key);
    return rc == PLAT_ERROR_SUCCESS ? 1 : 0;
}

long reg_delete_tree(PlatKey root, const char* sub_key) {
    if (!usable_path(sub_key)) return PLAT_ERROR_BADKEY;
    PlatKey key = nullptr;
    long rc = plat_reg_open_key_ex(root, sub_key, PLAT_DELETE | PLAT_KEY_ENUMERATE_SUB_KEYS, &key);
    if (rc != PLAT_ERROR_SUCCESS) return rc;
    for (;;) {
        // Always index 0: each pass removes the child it found.
        char child[260];
        uint32_t size = sizeof child;
        rc = plat_reg_enum_key_ex(key, 0, child, &size);
        if (rc == PLAT_ERROR_NO_MORE_ITEMS) {
            rc = plat_reg_delete_key(root, sub_key);
            break;
        }
        if (rc != PLAT_ERROR_SUCCESS) break;
        child[sizeof child - 1] = 0;
        rc = reg_delete_tree(key, child);
        if (rc != PLAT_ERROR_SUCCESS) break;
    }
    plat_reg_close_key(key);
    return rc;
}

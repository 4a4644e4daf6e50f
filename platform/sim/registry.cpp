// Simulated registry: case-insensitive key and value names, typed values kept
// byte for byte, Win32 error codes, handles that must be closed.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/registry.h"
#include "state.h"

namespace sim {

std::string lower(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string Key::path() const {
    if (!parent) return name;
    std::string above = parent->path();
    return above.empty() ? name : above + "\\" + name;
}

}  // namespace sim

using namespace sim;

namespace {

struct Handle {
    std::shared_ptr<Key> key;
    uint32_t access;
    bool predefined;
};

Handle hklm_handle{nullptr, PLAT_KEY_ALL_ACCESS, true};
Handle hkcu_handle{nullptr, PLAT_KEY_ALL_ACCESS, true};

Handle* as_handle(PlatKey key) { return reinterpret_cast<Handle*>(key); }

std::shared_ptr<Key> resolve_root(PlatKey root) {
    if (root == PLAT_HKEY_LOCAL_MACHINE) return state().hklm;
    if (root == PLAT_HKEY_CURRENT_USER) return state().hkcu;
    Handle* h = as_handle(root);
    if (!h || !h->key || h->key->deleted) return nullptr;
    return h->key;
}

std::vector<std::string> split(const char* path) {
    std::vector<std::string> parts;
    std::string part;
    for (const char* p = path ? path : ""; *p; ++p) {
        if (*p == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += *p;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

std::shared_ptr<Key> walk(std::shared_ptr<Key> from, const char* path, bool create) {
    for (const std::string& part : split(path)) {
        auto& children = from->children;
        auto it = children.find(lower(part));
        if (it == children.end()) {
            if (!create) return nullptr;
            auto child = std::make_shared<Key>();
            child->name = part;
            child->parent = from.get();
            it = children.emplace(lower(part), child).first;
        }
        from = it->second;
    }
    return from;
}

bool denied_path(const std::string& path, uint32_t access) {
    auto it = state().denied.find(lower(path));
    return it != state().denied.end() && (it->second & access) != 0;
}

bool denied(const std::shared_ptr<Key>& key, uint32_t access) {
    return denied_path(key->path(), access);
}

PlatKey new_handle(std::shared_ptr<Key> key, uint32_t access) {
    ++state().key_handles;
    return reinterpret_cast<PlatKey>(new Handle{std::move(key), access, false});
}

long open(PlatKey root, const char* sub_key, uint32_t access, PlatKey* out, bool create,
          const char* verb) {
    if (!out) return PLAT_ERROR_INVALID_PARAMETER;
    auto base = resolve_root(root);
    std::string shown = (base ? base->path() : "?") + "\\" + (sub_key ? sub_key : "");
    state().reg_log.push_back(std::string(verb) + " " + shown);
    if (!base) return PLAT_ERROR_INVALID_HANDLE;
    const std::vector<std::string> parts = split(sub_key);
    std::shared_ptr<Key> key = base;
    size_t existing = 0;
    for (; existing < parts.size(); ++existing) {
        auto it = key->children.find(lower(parts[existing]));
        if (it == key->children.end()) break;
        key = it->second;
    }
    if (existing == parts.size()) {
        // An existing key opens only for access its own security allows.
        if (denied(key, access)) return PLAT_ERROR_ACCESS_DENIED;
        *out = new_handle(key, access);
        return PLAT_ERROR_SUCCESS;
    }
    if (!create) return PLAT_ERROR_FILE_NOT_FOUND;
    // Each missing key is made under its parent, which must allow sub key
    // creation, and the new leaf must allow the access asked for. Everything
    // is checked before anything is made, so a refusal leaves nothing behind.
    std::string path = key->path();
    for (size_t i = existing; i < parts.size(); ++i) {
        if (denied_path(path, PLAT_KEY_CREATE_SUB_KEY)) return PLAT_ERROR_ACCESS_DENIED;
        path = path.empty() ? parts[i] : path + "\\" + parts[i];
    }
    if (denied_path(path, access)) return PLAT_ERROR_ACCESS_DENIED;
    for (size_t i = existing; i < parts.size(); ++i) {
        auto child = std::make_shared<Key>();
        child->name = parts[i];
        child->parent = key.get();
        key->children.emplace(lower(parts[i]), child);
        key = child;
    }
    *out = new_handle(key, access);
    return PLAT_ERROR_SUCCESS;
}

}  // namespace

const PlatKey PLAT_HKEY_LOCAL_MACHINE = reinterpret_cast<PlatKey>(&hklm_handle);
const PlatKey PLAT_HKEY_CURRENT_USER = reinterpret_cast<PlatKey>(&hkcu_handle);

long plat_reg_open_key(PlatKey root, const char* sub_key, PlatKey* out) {
    return open(root, sub_key, PLAT_KEY_ALL_ACCESS, out, false, "open");
}

long plat_reg_open_key_ex(PlatKey root, const char* sub_key, uint32_t access, PlatKey* out) {
    return open(root, sub_key, access, out, false, "open");
}

long plat_reg_create_key_ex(PlatKey root, const char* sub_key, uint32_t access, PlatKey* out) {
    return open(root, sub_key, access, out, true, "create");
}

long plat_reg_query_value_ex(PlatKey key, const char* name, uint32_t* type, uint8_t* data,
                             uint32_t* size) {
    auto k = resolve_root(key);
    if (!k) return PLAT_ERROR_INVALID_HANDLE;
    state().reg_log.push_back("query " + k->path() + "\\" + (name ? name : ""));
    if (!(as_handle(key)->access & PLAT_KEY_QUERY_VALUE)) return PLAT_ERROR_ACCESS_DENIED;
    auto it = k->values.find(lower(name ? name : ""));
    if (it == k->values.end()) return PLAT_ERROR_FILE_NOT_FOUND;
    const Value& v = it->second;
    if (type) *type = v.type;
    const uint32_t needed = static_cast<uint32_t>(v.data.size());
    if (!data) {
        if (size) *size = needed;
        return PLAT_ERROR_SUCCESS;
    }
    if (!size) return PLAT_ERROR_INVALID_PARAMETER;
    if (*size < needed) {
        *size = needed;
        return PLAT_ERROR_MORE_DATA;
    }
    if (needed) std::memcpy(data, v.data.data(), needed);
    *size = needed;
    return PLAT_ERROR_SUCCESS;
}

long plat_reg_set_value_ex(PlatKey key, const char* name, uint32_t type, const uint8_t* data,
                           uint32_t size) {
    auto k = resolve_root(key);
    if (!k) return PLAT_ERROR_INVALID_HANDLE;
    state().reg_log.push_back("set " + k->path() + "\\" + (name ? name : ""));
    if (!(as_handle(key)->access & PLAT_KEY_SET_VALUE)) return PLAT_ERROR_ACCESS_DENIED;
    Value v;
    v.name = name ? name : "";
    v.type = type;
    if (size) v.data.assign(data, data + size);
    k->values[lower(v.name)] = v;
    return PLAT_ERROR_SUCCESS;
}

static long enum_key(PlatKey key, uint32_t index, std::string* name) {
    auto k = resolve_root(key);
    if (!k) return PLAT_ERROR_INVALID_HANDLE;
    if (!(as_handle(key)->access & PLAT_KEY_ENUMERATE_SUB_KEYS)) return PLAT_ERROR_ACCESS_DENIED;
    if (index >= k->children.size()) return PLAT_ERROR_NO_MORE_ITEMS;
    auto it = k->children.begin();
    std::advance(it, index);
    *name = it->second->name;
    return PLAT_ERROR_SUCCESS;
}

long plat_reg_enum_key(PlatKey key, uint32_t index, char* name, uint32_t name_size) {
    std::string found;
    long rc = enum_key(key, index, &found);
    if (rc) return rc;
    if (!name || found.size() + 1 > name_size) return PLAT_ERROR_MORE_DATA;
    std::memcpy(name, found.c_str(), found.size() + 1);
    return PLAT_ERROR_SUCCESS;
}

long plat_reg_enum_key_ex(PlatKey key, uint32_t index, char* name, uint32_t* name_size) {
    std::string found;
    long rc = enum_key(key, index, &found);
    if (rc) return rc;
    if (!name || !name_size || found.size() + 1 > *name_size) return PLAT_ERROR_MORE_DATA;
    std::memcpy(name, found.c_str(), found.size() + 1);
    *name_size = static_cast<uint32_t>(found.size());
    return PLAT_ERROR_SUCCESS;
}

long plat_reg_delete_key(PlatKey root, const char* sub_key) {
    auto base = resolve_root(root);
    if (!base) return PLAT_ERROR_INVALID_HANDLE;
    state().reg_log.push_back("delete " + base->path() + "\\" + (sub_key ? sub_key : ""));
    if (split(sub_key).empty()) return PLAT_ERROR_ACCESS_DENIED;
    auto key = walk(base, sub_key, false);
    if (!key) return PLAT_ERROR_FILE_NOT_FOUND;
    if (denied(key, PLAT_DELETE)) return PLAT_ERROR_ACCESS_DENIED;
    if (!key->children.empty()) return PLAT_ERROR_ACCESS_DENIED;
    key->deleted = true;
    key->parent->children.erase(lower(key->name));
    return PLAT_ERROR_SUCCESS;
}

long plat_reg_close_key(PlatKey key) {
    if (key == PLAT_HKEY_LOCAL_MACHINE || key == PLAT_HKEY_CURRENT_USER) return 0;
    Handle* h = as_handle(key);
    if (!h) return PLAT_ERROR_INVALID_HANDLE;
    delete h;
    --state().key_handles;
    return PLAT_ERROR_SUCCESS;
}

// ---- control side ----
namespace sim {

static std::shared_ptr<Key> root_of(PlatKey root) {
    return root == PLAT_HKEY_CURRENT_USER ? state().hkcu : state().hklm;
}

void create_key(const std::string& path, PlatKey root) { walk(root_of(root), path.c_str(), true); }

bool key_exists(const std::string& path, PlatKey root) {
    return walk(root_of(root), path.c_str(), false) != nullptr;
}

void set_value(const std::string& path, const std::string& name, uint32_t type,
               const std::vector<uint8_t>& data, PlatKey root) {
    auto key = walk(root_of(root), path.c_str(), true);
    Value v;
    v.name = name;
    v.type = type;
    v.data = data;
    key->values[lower(name)] = v;
}

void set_string(const std::string& path, const std::string& name, const std::string& text,
                PlatKey root) {
    std::vector<uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    set_value(path, name, PLAT_REG_SZ, data, root);
}

void set_dword(const std::string& path, const std::string& name, uint32_t value, PlatKey root) {
    set_value(path, name, PLAT_REG_DWORD,
              {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)},
              root);
}

bool get_value(const std::string& path, const std::string& name, uint32_t* type,
               std::vector<uint8_t>* data, PlatKey root) {
    auto key = walk(root_of(root), path.c_str(), false);
    if (!key) return false;
    auto it = key->values.find(lower(name));
    if (it == key->values.end()) return false;
    if (type) *type = it->second.type;
    if (data) *data = it->second.data;
    return true;
}

bool has_value(const std::string& path, const std::string& name, PlatKey root) {
    return get_value(path, name, nullptr, nullptr, root);
}

std::string get_string(const std::string& path, const std::string& name, PlatKey root) {
    uint32_t type = 0;
    std::vector<uint8_t> data;
    if (!get_value(path, name, &type, &data, root)) return "<missing>";
    if (type != PLAT_REG_SZ) return "<type " + std::to_string(type) + ">";
    std::string text(data.begin(), data.end());
    return text.substr(0, text.find('\0'));
}

int64_t get_dword(const std::string& path, const std::string& name, PlatKey root) {
    uint32_t type = 0;
    std::vector<uint8_t> data;
    if (!get_value(path, name, &type, &data, root) || type != PLAT_REG_DWORD || data.size() != 4)
        return -1;
    return uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 |
           uint32_t(data[3]) << 24;
}

std::vector<std::string> sub_keys(const std::string& path, PlatKey root) {
    std::vector<std::string> names;
    auto key = walk(root_of(root), path.c_str(), false);
    if (key)
        for (auto& child : key->children) names.push_back(child.second->name);
    return names;
}

static void dump_key(const Key& key, std::string* out) {
    *out += "[" + key.path() + "]\n";
    for (auto& v : key.values) {
        *out += "  " + v.second.name + " type " + std::to_string(v.second.type) + ":";
        for (uint8_t b : v.second.data) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02x", b);
            *out += hex;
        }
        *out += "\n";
    }
    for (auto& child : key.children) dump_key(*child.second, out);
}

std::string dump() {
    std::string out;
    dump_key(*state().hklm, &out);
    return out;
}

void deny_access(const std::string& path, uint32_t access_mask) {
    state().denied[lower(path)] |= access_mask;
}

int open_key_handles() { return state().key_handles; }

const std::vector<std::string>& registry_log() { return state().reg_log; }

}  // namespace sim

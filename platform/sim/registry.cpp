// Simulated registry: case-insensitive key and value names, typed values kept
// byte for byte, Win32 error codes, handles that must be closed.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <new>

#include <sanitizer/asan_interface.h>

#include "platform/registry.h"
#include "state.h"

namespace sim {

// Windows folds case by its own table; for the names the system uses that is
// plain ASCII, as in the C locale.
static char lower_char(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lower(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = lower_char(c);
    return out;
}

LowerName::LowerName(std::string_view name) {
    char* out = small_;
    if (name.size() > sizeof small_) {
        large_.resize(name.size());
        out = &large_[0];
    }
    // Eight characters at a time: a fuzz input folds thousands of names, and
    // the sanitizer checks each access, so fewer and wider accesses pay.
    size_t i = 0;
    for (; i + 8 <= name.size(); i += 8) {
        uint64_t x;
        std::memcpy(&x, name.data() + i, sizeof x);
        const uint64_t high = 0x8080808080808080ull;
        const uint64_t seven = x & ~high;
        const uint64_t from_a = seven + 0x3F3F3F3F3F3F3F3Full;  // high bit: at least 'A'
        const uint64_t past_z = seven + 0x2525252525252525ull;  // high bit: past 'Z'
        const uint64_t upper = from_a & ~past_z & ~x & high;    // and plain ASCII
        x |= upper >> 2;                                        // 0x80 >> 2 is the case bit
        std::memcpy(out + i, &x, sizeof x);
    }
    for (; i < name.size(); ++i) out[i] = lower_char(name[i]);
    view_ = std::string_view(out, name.size());
}

// Appends the key's path below its root; false for a root, which adds nothing.
static bool append_path(const Key& key, std::string* out) {
    if (!key.parent) {
        *out += key.name;
        return !key.name.empty();
    }
    if (append_path(*key.parent, out)) *out += '\\';
    *out += key.name;
    return true;
}

std::string Key::path() const {
    std::string out;
    append_path(*this, &out);
    return out;
}

void CallLog::clear() {
    text_.clear();
    entries_.clear();
    parsed_ = 0;
}

const std::vector<std::string>& CallLog::entries() const {
    while (parsed_ < text_.size()) {
        const size_t end = text_.find('\0', parsed_);
        entries_.push_back(text_.substr(parsed_, end - parsed_));
        parsed_ = end + 1;
    }
    return entries_;
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

// The key a root or handle names, or null for a bad or deleted one.
const std::shared_ptr<Key>* resolve_root(PlatKey root) {
    if (root == PLAT_HKEY_LOCAL_MACHINE) return &state().hklm;
    if (root == PLAT_HKEY_CURRENT_USER) return &state().hkcu;
    Handle* h = as_handle(root);
    if (!h || !h->key || h->key->deleted) return nullptr;
    return &h->key;
}

// The names of a path between its backslashes, empty ones skipped.
class Parts {
public:
    explicit Parts(const char* path) : p_(path ? path : "") {}
    bool next(std::string_view* part) {
        p_ += std::strspn(p_, "\\");
        if (!*p_) return false;
        const size_t n = std::strcspn(p_, "\\");
        *part = std::string_view(p_, n);
        p_ += n;
        return true;
    }

private:
    const char* p_;
};

void key_created();

const std::shared_ptr<Key>& add_child(Key& parent, std::string_view name) {
    auto child = std::make_shared<Key>();
    child->name = std::string(name);
    child->parent = &parent;
    key_created();
    return parent.children.emplace(lower(child->name), child).first->second;
}

// Paths the system opens again and again (the instance key, its profiles,
// keys it looks for and that are not there), remembered by their exact
// spelling below a key, so that opening one again neither splits nor folds
// it. A key found is forgotten when any key may go (a delete, a reset), a key
// missing when any key is made.
class KeyCache {
public:
    // The key, or null: then *missing tells whether the path is known to lead nowhere.
    const std::shared_ptr<Key>* find(const Key* base, std::string_view path, bool* missing) const {
        *missing = false;
        const Entry& e = entries_[slot(base, path)];
        if (e.generation != generation_ || e.base != base || std::string_view(e.path) != path)
            return nullptr;
        if (!e.key) *missing = e.created == created_;
        return e.key;
    }
    // key null: the path leads to no key.
    void remember(const Key* base, std::string_view path, const std::shared_ptr<Key>* key) {
        Entry& e = entries_[slot(base, path)];
        e.generation = generation_;
        e.created = created_;
        e.base = base;
        e.path.assign(path.data(), path.size());  // reuses the entry's storage
        e.key = key;
    }
    void forget() { ++generation_; }
    void key_created() { ++created_; }

private:
    struct Entry {
        uint64_t generation = 0;
        uint64_t created = 0;
        const Key* base = nullptr;
        std::string path;
        const std::shared_ptr<Key>* key = nullptr;
    };
    static size_t slot(const Key* base, std::string_view path) {
        const size_t h = std::hash<std::string_view>()(path) ^
                         (reinterpret_cast<uintptr_t>(base) >> 4) * 0x9E3779B97F4A7C15ull;
        return h % SLOTS;
    }
    static const size_t SLOTS = 64;
    Entry entries_[SLOTS];
    uint64_t generation_ = 1;
    uint64_t created_ = 0;
};

KeyCache& key_cache() {
    static KeyCache* cache = new KeyCache;
    return *cache;
}

void key_created() { key_cache().key_created(); }

const std::shared_ptr<Key>* walk(const std::shared_ptr<Key>& from, const char* path, bool create) {
    const std::string_view whole(path ? path : "");
    bool missing = false;
    if (const std::shared_ptr<Key>* known = key_cache().find(from.get(), whole, &missing))
        return known;
    if (missing && !create) return nullptr;
    const std::shared_ptr<Key>* key = &from;
    Parts parts(path);
    std::string_view part;
    while (parts.next(&part)) {
        auto& children = (*key)->children;
        auto it = children.find(LowerName(part).view());
        if (it != children.end()) {
            key = &it->second;
        } else if (create) {
            key = &add_child(**key, part);
        } else {
            key_cache().remember(from.get(), whole, nullptr);
            return nullptr;
        }
    }
    // The base itself may live in a handle, which goes when it is closed:
    // only keys below it are remembered.
    if (key != &from) key_cache().remember(from.get(), whole, key);
    return key;
}

bool denied_path(const std::string& path, uint32_t access) {
    const auto& denied = state().denied;
    if (denied.empty()) return false;
    auto it = denied.find(LowerName(path).view());
    return it != denied.end() && (it->second & access) != 0;
}

// Scratch for paths built only to be looked up, reused from call to call.
std::string& scratch_path() {
    static std::string* path = new std::string;
    path->clear();
    return *path;
}

bool denied(const Key& key, uint32_t access) {
    if (state().denied.empty()) return false;
    std::string& path = scratch_path();
    append_path(key, &path);
    return denied_path(path, access);
}

// "verb PATH\\NAME" into a log entry, PATH of the key (or "?" for none).
void log_call(const char* verb, const Key* key, const char* name) {
    if (!calls_logged()) return;
    std::string& text = state().reg_log.text();
    text += verb;
    text += ' ';
    if (key)
        append_path(*key, &text);
    else
        text += '?';
    text += '\\';
    if (name) text += name;
    state().reg_log.end_entry();
}

void store_value(Key& key, std::string_view name, uint32_t type, const uint8_t* data, size_t size) {
    const LowerName lower_name(name);
    auto it = key.values.find(lower_name.view());
    if (it == key.values.end())
        it = key.values.emplace(std::string(lower_name.view()), Value{}).first;
    Value& v = it->second;
    v.name.assign(name.data(), name.size());
    v.type = type;
    v.data.assign(data, data + size);
}

// Handles come from one block made at first use, and a closed handle waits,
// poisoned for the address sanitizer, behind at least KEEP_POISONED others
// before it is used again: a use or a second close of a closed handle is
// still reported, as the use of freed memory would be, and opening a key
// allocates nothing (a fuzz input then frees all it allocates, and libFuzzer
// makes no leak check of it). More handles open at once than the block holds
// come from the heap.
class HandlePool {
public:
    HandlePool() : block_(static_cast<Handle*>(::operator new(SIZE * sizeof(Handle)))) {
        ASAN_POISON_MEMORY_REGION(block_, SIZE * sizeof(Handle));
        for (size_t i = 0; i < SIZE; ++i) closed_[i] = block_ + i;
        waiting_ = SIZE;
    }
    Handle* take(const std::shared_ptr<Key>& key, uint32_t access) {
        if (waiting_ <= KEEP_POISONED) return new Handle{key, access, false};
        Handle* h = closed_[oldest_];
        oldest_ = (oldest_ + 1) % SIZE;
        --waiting_;
        ASAN_UNPOISON_MEMORY_REGION(h, sizeof *h);
        return new (h) Handle{key, access, false};
    }
    void give_back(Handle* h) {
        if (h < block_ || h >= block_ + SIZE) {
            delete h;
            return;
        }
        h->~Handle();
        ASAN_POISON_MEMORY_REGION(h, sizeof *h);
        closed_[(oldest_ + waiting_) % SIZE] = h;
        ++waiting_;
    }

private:
    static const size_t KEEP_POISONED = 1024;
    static const size_t SIZE = KEEP_POISONED + 64;
    Handle* block_;
    Handle* closed_[SIZE];  // a ring, oldest first
    size_t oldest_ = 0;
    size_t waiting_ = 0;
};

HandlePool& handle_pool() {
    static HandlePool* pool = new HandlePool;
    return *pool;
}

PlatKey new_handle(const std::shared_ptr<Key>& key, uint32_t access) {
    ++state().key_handles;
    return reinterpret_cast<PlatKey>(handle_pool().take(key, access));
}

long open(PlatKey root, const char* sub_key, uint32_t access, PlatKey* out, bool create,
          const char* verb) {
    if (!out) return PLAT_ERROR_INVALID_PARAMETER;
    const std::shared_ptr<Key>* base = resolve_root(root);
    log_call(verb, base ? base->get() : nullptr, sub_key);
    if (!base) return PLAT_ERROR_INVALID_HANDLE;
    const std::string_view whole(sub_key ? sub_key : "");
    bool missing = false;
    const std::shared_ptr<Key>* key = key_cache().find(base->get(), whole, &missing);
    if (missing && !create) return PLAT_ERROR_FILE_NOT_FOUND;
    missing = false;
    Parts parts(sub_key);
    std::string_view part;
    if (!key) {
        key = base;
        while (parts.next(&part)) {
            auto it = (*key)->children.find(LowerName(part).view());
            if (it == (*key)->children.end()) {
                missing = true;
                break;
            }
            key = &it->second;
        }
        if (key != base) key_cache().remember(base->get(), whole, missing ? nullptr : key);
    }
    if (!missing) {
        // An existing key opens only for access its own security allows.
        if (denied(**key, access)) return PLAT_ERROR_ACCESS_DENIED;
        *out = new_handle(*key, access);
        return PLAT_ERROR_SUCCESS;
    }
    if (!create) return PLAT_ERROR_FILE_NOT_FOUND;
    // Each missing key is made under its parent, which must allow sub key
    // creation, and the new leaf must allow the access asked for. Everything
    // is checked before anything is made, so a refusal leaves nothing behind.
    if (!state().denied.empty()) {
        std::string& path = scratch_path();
        append_path(**key, &path);
        Parts rest = parts;
        std::string_view name = part;
        do {
            if (denied_path(path, PLAT_KEY_CREATE_SUB_KEY)) return PLAT_ERROR_ACCESS_DENIED;
            if (!path.empty()) path += '\\';
            path += name;
        } while (rest.next(&name));
        if (denied_path(path, access)) return PLAT_ERROR_ACCESS_DENIED;
    }
    do {
        key = &add_child(**key, part);
    } while (parts.next(&part));
    key_cache().remember(base->get(), whole, key);
    *out = new_handle(*key, access);
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
    log_call("query", k->get(), name);
    if (!(as_handle(key)->access & PLAT_KEY_QUERY_VALUE)) return PLAT_ERROR_ACCESS_DENIED;
    auto it = (*k)->values.find(LowerName(name ? name : "").view());
    if (it == (*k)->values.end()) return PLAT_ERROR_FILE_NOT_FOUND;
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
    log_call("set", k->get(), name);
    if (!(as_handle(key)->access & PLAT_KEY_SET_VALUE)) return PLAT_ERROR_ACCESS_DENIED;
    store_value(**k, name ? name : "", type, size ? data : nullptr, size);
    return PLAT_ERROR_SUCCESS;
}

static long enum_key(PlatKey key, uint32_t index, const std::string** name) {
    auto k = resolve_root(key);
    if (!k) return PLAT_ERROR_INVALID_HANDLE;
    if (!(as_handle(key)->access & PLAT_KEY_ENUMERATE_SUB_KEYS)) return PLAT_ERROR_ACCESS_DENIED;
    const auto& children = (*k)->children;
    if (index >= children.size()) return PLAT_ERROR_NO_MORE_ITEMS;
    auto it = children.begin();
    std::advance(it, index);
    *name = &it->second->name;
    return PLAT_ERROR_SUCCESS;
}

long plat_reg_enum_key(PlatKey key, uint32_t index, char* name, uint32_t name_size) {
    const std::string* found = nullptr;
    long rc = enum_key(key, index, &found);
    if (rc) return rc;
    if (!name || found->size() + 1 > name_size) return PLAT_ERROR_MORE_DATA;
    std::memcpy(name, found->c_str(), found->size() + 1);
    return PLAT_ERROR_SUCCESS;
}

long plat_reg_enum_key_ex(PlatKey key, uint32_t index, char* name, uint32_t* name_size) {
    const std::string* found = nullptr;
    long rc = enum_key(key, index, &found);
    if (rc) return rc;
    if (!name || !name_size || found->size() + 1 > *name_size) return PLAT_ERROR_MORE_DATA;
    std::memcpy(name, found->c_str(), found->size() + 1);
    *name_size = static_cast<uint32_t>(found->size());
    return PLAT_ERROR_SUCCESS;
}

long plat_reg_delete_key(PlatKey root, const char* sub_key) {
    auto base = resolve_root(root);
    if (!base) return PLAT_ERROR_INVALID_HANDLE;
    log_call("delete", base->get(), sub_key);
    std::string_view first;
    if (!Parts(sub_key).next(&first)) return PLAT_ERROR_ACCESS_DENIED;
    auto found = walk(*base, sub_key, false);
    if (!found) return PLAT_ERROR_FILE_NOT_FOUND;
    Key& key = **found;
    if (denied(key, PLAT_DELETE)) return PLAT_ERROR_ACCESS_DENIED;
    if (!key.children.empty()) return PLAT_ERROR_ACCESS_DENIED;
    key.deleted = true;
    key_cache().forget();
    // Handles still open on the key keep it alive, marked deleted.
    auto& siblings = key.parent->children;
    siblings.erase(siblings.find(LowerName(key.name).view()));
    return PLAT_ERROR_SUCCESS;
}

long plat_reg_close_key(PlatKey key) {
    if (key == PLAT_HKEY_LOCAL_MACHINE || key == PLAT_HKEY_CURRENT_USER) return 0;
    Handle* h = as_handle(key);
    if (!h) return PLAT_ERROR_INVALID_HANDLE;
    handle_pool().give_back(h);
    --state().key_handles;
    return PLAT_ERROR_SUCCESS;
}

// ---- control side ----
namespace sim {

static const std::shared_ptr<Key>& root_of(PlatKey root) {
    return root == PLAT_HKEY_CURRENT_USER ? state().hkcu : state().hklm;
}

// The key at a path of the control side, or null when it is missing.
static Key* find_key(const std::string& path, PlatKey root) {
    auto key = walk(root_of(root), path.c_str(), false);
    return key ? key->get() : nullptr;
}

static Key& make_key(const std::string& path, PlatKey root) {
    return **walk(root_of(root), path.c_str(), true);
}

void create_key(const std::string& path, PlatKey root) { make_key(path, root); }

void forget_remembered_keys() { key_cache().forget(); }

bool key_exists(const std::string& path, PlatKey root) { return find_key(path, root) != nullptr; }

void set_value(const std::string& path, const std::string& name, uint32_t type,
               const std::vector<uint8_t>& data, PlatKey root) {
    store_value(make_key(path, root), name, type, data.data(), data.size());
}

void set_string(const std::string& path, const std::string& name, const std::string& text,
                PlatKey root) {
    // With its terminating zero, which c_str() guarantees.
    store_value(make_key(path, root), name, PLAT_REG_SZ,
                reinterpret_cast<const uint8_t*>(text.c_str()), text.size() + 1);
}

void set_dword(const std::string& path, const std::string& name, uint32_t value, PlatKey root) {
    const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                              uint8_t(value >> 24)};
    store_value(make_key(path, root), name, PLAT_REG_DWORD, bytes, sizeof bytes);
}

bool get_value(const std::string& path, const std::string& name, uint32_t* type,
               std::vector<uint8_t>* data, PlatKey root) {
    Key* key = find_key(path, root);
    if (!key) return false;
    auto it = key->values.find(LowerName(name).view());
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
    Key* key = find_key(path, root);
    if (key)
        for (auto& child : key->children) names.push_back(child.second->name);
    return names;
}

static void dump_key(const Key& key, std::string* out) {
    static const char digits[] = "0123456789abcdef";
    *out += '[';
    append_path(key, out);
    *out += "]\n";
    for (auto& v : key.values) {
        *out += "  ";
        *out += v.second.name;
        *out += " type ";
        *out += std::to_string(v.second.type);
        *out += ':';
        for (uint8_t b : v.second.data) {
            const char hex[3] = {' ', digits[b >> 4], digits[b & 15]};
            out->append(hex, sizeof hex);
        }
        *out += '\n';
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

static bool logging = true;

void log_calls(bool on) { logging = on; }

bool calls_logged() { return logging; }

int open_key_handles() { return state().key_handles; }

const std::vector<std::string>& registry_log() { return state().reg_log.entries(); }

}  // namespace sim

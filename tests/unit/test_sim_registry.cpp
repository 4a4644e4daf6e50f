// The simulated registry's create and open paths against the access checks
// Windows makes: a new key needs sub key creation on its parent, an existing
// key opens only for the access it allows, and a refused create leaves nothing.
#include <string>
#include <vector>

#include "fixture.h"

namespace {

using case_name::operator<<;

class SimRegistry : public ::testing::Test {
protected:
    void SetUp() override { reset_library_state(); }
    void TearDown() override { EXPECT_EQ(sim::open_key_handles(), 0); }
};

struct Denial {
    const char* path;
    uint32_t access;
};

struct CreateCase {
    const char* name;
    std::vector<const char*> existing;  // keys laid out before the call
    std::vector<Denial> denials;
    bool create;  // plat_reg_create_key_ex, else plat_reg_open_key_ex
    const char* path;
    uint32_t access;
    long expected;
    std::vector<const char*> absent;  // keys that must not exist afterwards
};

const uint32_t ALL = PLAT_KEY_ALL_ACCESS;
const uint32_t SUB = PLAT_KEY_CREATE_SUB_KEY;

const CreateCase CREATE_CASES[] = {
    {"child_under_parent_denying_sub_keys",
     {"Root\\Parent"},
     {{"Root\\Parent", SUB}},
     true,
     "Root\\Parent\\Child",
     ALL,
     PLAT_ERROR_ACCESS_DENIED,
     {"Root\\Parent\\Child"}},
    {"child_for_read_under_parent_denying_sub_keys",
     {"Root\\Parent"},
     {{"Root\\Parent", SUB}},
     true,
     "Root\\Parent\\Child",
     PLAT_KEY_QUERY_VALUE,
     PLAT_ERROR_ACCESS_DENIED,
     {"Root\\Parent\\Child"}},
    {"chain_under_parent_denying_sub_keys",
     {"Root\\Parent"},
     {{"Root\\Parent", SUB}},
     true,
     "Root\\Parent\\A\\B\\C",
     ALL,
     PLAT_ERROR_ACCESS_DENIED,
     {"Root\\Parent\\A"}},
    {"chain_whose_missing_middle_denies_sub_keys",
     {"Root"},
     {{"Root\\A\\B", SUB}},
     true,
     "Root\\A\\B\\C",
     ALL,
     PLAT_ERROR_ACCESS_DENIED,
     {"Root\\A"}},
    {"denial_spelled_in_other_case",
     {"Root\\Parent"},
     {{"ROOT\\parent", SUB}},
     true,
     "root\\PARENT\\Child",
     ALL,
     PLAT_ERROR_ACCESS_DENIED,
     {"Root\\Parent\\Child"}},
    {"new_leaf_denying_the_access_asked",
     {"Root"},
     {{"Root\\Leaf", PLAT_KEY_SET_VALUE}},
     true,
     "Root\\Leaf",
     ALL,
     PLAT_ERROR_ACCESS_DENIED,
     {"Root\\Leaf"}},
    {"new_chain_whose_leaf_denies_the_access_asked",
     {},
     {{"Root\\A\\Leaf", PLAT_KEY_SET_VALUE}},
     true,
     "Root\\A\\Leaf",
     ALL,
     PLAT_ERROR_ACCESS_DENIED,
     {"Root"}},
    {"new_leaf_denying_other_access",
     {"Root"},
     {{"Root\\Leaf", PLAT_KEY_SET_VALUE}},
     true,
     "Root\\Leaf",
     PLAT_KEY_QUERY_VALUE,
     PLAT_ERROR_SUCCESS,
     {}},
    {"existing_leaf_under_parent_denying_sub_keys",
     {"Root\\Parent\\Child"},
     {{"Root\\Parent", SUB}},
     true,
     "Root\\Parent\\Child",
     ALL,
     PLAT_ERROR_SUCCESS,
     {}},
    {"existing_leaf_denying_the_access_asked",
     {"Root\\Leaf"},
     {{"Root\\Leaf", PLAT_KEY_SET_VALUE}},
     true,
     "Root\\Leaf",
     ALL,
     PLAT_ERROR_ACCESS_DENIED,
     {}},
    {"existing_leaf_denying_sub_keys_opens_to_set",
     {"Root\\Leaf"},
     {{"Root\\Leaf", SUB}},
     true,
     "Root\\Leaf",
     PLAT_KEY_SET_VALUE,
     PLAT_ERROR_SUCCESS,
     {}},
    // Only the parent of a new key is asked, not the keys above it.
    {"grandparent_denying_sub_keys",
     {"Root\\Parent"},
     {{"Root", SUB}},
     true,
     "Root\\Parent\\Child",
     ALL,
     PLAT_ERROR_SUCCESS,
     {}},
    {"parent_denying_only_set_value",
     {"Root\\Parent"},
     {{"Root\\Parent", PLAT_KEY_SET_VALUE}},
     true,
     "Root\\Parent\\Child",
     ALL,
     PLAT_ERROR_SUCCESS,
     {}},
    {"open_missing_key",
     {"Root"},
     {},
     false,
     "Root\\A\\B",
     ALL,
     PLAT_ERROR_FILE_NOT_FOUND,
     {"Root\\A"}},
    {"open_existing_key_denying_the_access_asked",
     {"Root\\Leaf"},
     {{"Root\\Leaf", PLAT_KEY_QUERY_VALUE}},
     false,
     "Root\\Leaf",
     PLAT_KEY_QUERY_VALUE,
     PLAT_ERROR_ACCESS_DENIED,
     {}},
    {"open_existing_key_under_parent_denying_sub_keys",
     {"Root\\Parent\\Child"},
     {{"Root\\Parent", SUB}},
     false,
     "Root\\Parent\\Child",
     ALL,
     PLAT_ERROR_SUCCESS,
     {}},
};

class SimRegistryCreate : public SimRegistry, public ::testing::WithParamInterface<CreateCase> {};

TEST_P(SimRegistryCreate, ChecksWhatWindowsChecks) {
    const CreateCase& c = GetParam();
    for (const char* key : c.existing) sim::create_key(key);
    for (const Denial& d : c.denials) sim::deny_access(d.path, d.access);
    const std::string before = sim::dump();

    PlatKey key = nullptr;
    const long rc = c.create
                        ? plat_reg_create_key_ex(PLAT_HKEY_LOCAL_MACHINE, c.path, c.access, &key)
                        : plat_reg_open_key_ex(PLAT_HKEY_LOCAL_MACHINE, c.path, c.access, &key);
    EXPECT_EQ(rc, c.expected);
    if (rc == PLAT_ERROR_SUCCESS) {
        EXPECT_TRUE(sim::key_exists(c.path));
        EXPECT_EQ(sim::open_key_handles(), 1);
        EXPECT_EQ(plat_reg_close_key(key), PLAT_ERROR_SUCCESS);
    } else {
        EXPECT_EQ(sim::open_key_handles(), 0);
        EXPECT_EQ(sim::dump(), before);
    }
    for (const char* path : c.absent) EXPECT_FALSE(sim::key_exists(path)) << path;
}

INSTANTIATE_TEST_SUITE_P(SimRegistry, SimRegistryCreate, ::testing::ValuesIn(CREATE_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

// A key handle as the root: the denial is on the key it names, whatever path
// reached it.
TEST_F(SimRegistry, CreateBelowAHandleHonoursTheParentsDenial) {
    sim::create_key("Root\\Parent");
    sim::deny_access("Root\\Parent", PLAT_KEY_CREATE_SUB_KEY);
    PlatKey root = nullptr;
    ASSERT_EQ(plat_reg_open_key_ex(PLAT_HKEY_LOCAL_MACHINE, "Root", PLAT_KEY_ALL_ACCESS, &root),
              PLAT_ERROR_SUCCESS);
    PlatKey parent = nullptr;
    ASSERT_EQ(
        plat_reg_open_key_ex(root, "Parent", PLAT_KEY_QUERY_VALUE | PLAT_KEY_SET_VALUE, &parent),
        PLAT_ERROR_SUCCESS);
    PlatKey key = nullptr;
    EXPECT_EQ(plat_reg_create_key_ex(root, "Parent\\Child\\Grandchild", PLAT_KEY_ALL_ACCESS, &key),
              PLAT_ERROR_ACCESS_DENIED);
    EXPECT_EQ(plat_reg_create_key_ex(parent, "Child", PLAT_KEY_ALL_ACCESS, &key),
              PLAT_ERROR_ACCESS_DENIED);
    EXPECT_EQ(sim::sub_keys("Root\\Parent"), std::vector<std::string>{});
    // A sibling under the allowing key is made as usual.
    ASSERT_EQ(plat_reg_create_key_ex(root, "Sibling\\Below", PLAT_KEY_ALL_ACCESS, &key),
              PLAT_ERROR_SUCCESS);
    EXPECT_TRUE(sim::key_exists("Root\\Sibling\\Below"));
    plat_reg_close_key(key);
    plat_reg_close_key(parent);
    plat_reg_close_key(root);
}

// A refused create is still a call the log shows, and it leaves no handle.
TEST_F(SimRegistry, RefusedCreateIsLoggedAndLeavesNoHandle) {
    sim::create_key("Root");
    sim::deny_access("Root", PLAT_KEY_CREATE_SUB_KEY);
    PlatKey key = nullptr;
    EXPECT_EQ(
        plat_reg_create_key_ex(PLAT_HKEY_LOCAL_MACHINE, "Root\\New", PLAT_KEY_ALL_ACCESS, &key),
        PLAT_ERROR_ACCESS_DENIED);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(sim::registry_log(), std::vector<std::string>{"create \\Root\\New"});
}

// What the simulation remembers of paths it walked never outlives the keys.
TEST_F(SimRegistry, OpensSeeDeletesAndResets) {
    PlatKey key = nullptr;
    ASSERT_EQ(
        plat_reg_create_key_ex(PLAT_HKEY_LOCAL_MACHINE, "Root\\Leaf", PLAT_KEY_ALL_ACCESS, &key),
        PLAT_ERROR_SUCCESS);
    plat_reg_close_key(key);
    ASSERT_EQ(plat_reg_delete_key(PLAT_HKEY_LOCAL_MACHINE, "Root\\Leaf"), PLAT_ERROR_SUCCESS);
    EXPECT_EQ(
        plat_reg_open_key_ex(PLAT_HKEY_LOCAL_MACHINE, "Root\\Leaf", PLAT_KEY_ALL_ACCESS, &key),
        PLAT_ERROR_FILE_NOT_FOUND);
    // Made again, it is a new key: the old one's values are gone.
    sim::set_string("Root\\Leaf", "v", "new");
    ASSERT_EQ(
        plat_reg_open_key_ex(PLAT_HKEY_LOCAL_MACHINE, "Root\\Leaf", PLAT_KEY_QUERY_VALUE, &key),
        PLAT_ERROR_SUCCESS);
    char text[8] = {};
    uint32_t size = sizeof text;
    EXPECT_EQ(plat_reg_query_value_ex(key, "V", nullptr, reinterpret_cast<uint8_t*>(text), &size),
              PLAT_ERROR_SUCCESS);
    EXPECT_STREQ(text, "new");
    plat_reg_close_key(key);

    sim::reset();
    EXPECT_EQ(
        plat_reg_open_key_ex(PLAT_HKEY_LOCAL_MACHINE, "Root\\Leaf", PLAT_KEY_ALL_ACCESS, &key),
        PLAT_ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(sim::key_exists("Root\\Leaf"));
}

// The same relative path below two keys names two keys.
TEST_F(SimRegistry, RelativePathsAreTheirBasesOwn) {
    sim::set_string("One\\Same", "v", "1");
    sim::set_string("Two\\Same", "v", "2");
    for (const char* base : {"One", "Two"}) {
        PlatKey root = nullptr, key = nullptr;
        ASSERT_EQ(plat_reg_open_key_ex(PLAT_HKEY_LOCAL_MACHINE, base, PLAT_KEY_ALL_ACCESS, &root),
                  PLAT_ERROR_SUCCESS);
        ASSERT_EQ(plat_reg_open_key_ex(root, "Same", PLAT_KEY_QUERY_VALUE, &key),
                  PLAT_ERROR_SUCCESS);
        char text[4] = {};
        uint32_t size = sizeof text;
        EXPECT_EQ(
            plat_reg_query_value_ex(key, "v", nullptr, reinterpret_cast<uint8_t*>(text), &size),
            PLAT_ERROR_SUCCESS);
        EXPECT_STREQ(text, std::string(base) == "One" ? "1" : "2");
        plat_reg_close_key(key);
        plat_reg_close_key(root);
    }
}

// A handle opened on its own key with an empty path: the key outlives the
// first handle, and a second handle reaches it the same way.
TEST_F(SimRegistry, EmptyPathBelowAHandleOpensItsKeyEveryTime) {
    sim::set_string("Root", "v", "1");
    for (int round = 0; round < 2; ++round) {
        PlatKey root = nullptr, same = nullptr;
        ASSERT_EQ(plat_reg_open_key_ex(PLAT_HKEY_LOCAL_MACHINE, "Root", PLAT_KEY_ALL_ACCESS, &root),
                  PLAT_ERROR_SUCCESS);
        ASSERT_EQ(plat_reg_open_key_ex(root, "", PLAT_KEY_QUERY_VALUE, &same), PLAT_ERROR_SUCCESS);
        plat_reg_close_key(root);
        char text[4] = {};
        uint32_t size = sizeof text;
        EXPECT_EQ(
            plat_reg_query_value_ex(same, "v", nullptr, reinterpret_cast<uint8_t*>(text), &size),
            PLAT_ERROR_SUCCESS);
        EXPECT_STREQ(text, "1");
        plat_reg_close_key(same);
    }
}

// Fuzz targets turn the call logs off; a reset keeps the choice.
TEST_F(SimRegistry, CallLogsCanBeTurnedOff) {
    PlatKey key = nullptr;
    sim::log_calls(false);
    sim::reset();
    ASSERT_EQ(plat_reg_create_key_ex(PLAT_HKEY_LOCAL_MACHINE, "Root", PLAT_KEY_ALL_ACCESS, &key),
              PLAT_ERROR_SUCCESS);
    plat_reg_close_key(key);
    EXPECT_TRUE(sim::registry_log().empty());
    EXPECT_EQ(plat_create_file("\\\\.\\NONE"), PLAT_INVALID_HANDLE_VALUE);
    EXPECT_TRUE(sim::device_log().empty());
    sim::log_calls(true);
    EXPECT_EQ(plat_reg_open_key_ex(PLAT_HKEY_LOCAL_MACHINE, "Root", PLAT_KEY_ALL_ACCESS, &key),
              PLAT_ERROR_SUCCESS);
    plat_reg_close_key(key);
    EXPECT_EQ(sim::registry_log(), std::vector<std::string>{"open \\Root"});
}

#if defined(__SANITIZE_ADDRESS__)
// Closed handles are reused, but a closed one used again is still reported.
TEST_F(SimRegistry, UsingAClosedHandleIsReported) {
    sim::create_key("Root");
    EXPECT_DEATH(
        {
            PlatKey key = nullptr;
            plat_reg_open_key_ex(PLAT_HKEY_LOCAL_MACHINE, "Root", PLAT_KEY_ALL_ACCESS, &key);
            plat_reg_close_key(key);
            plat_reg_set_value_ex(key, "v", PLAT_REG_DWORD, nullptr, 0);
        },
        "use-after-poison");
}
#endif

}  // namespace

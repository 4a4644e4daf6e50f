#include <cstring>

#include "fixture.h"
#include "registry.h"

namespace {

class RegistryTest : public SimTest {};

using case_name::operator<<;

const char KEY[] = "Software\\Test\\Key";
PlatKey HKLM() { return PLAT_HKEY_LOCAL_MACHINE; }

std::vector<uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }

struct DwordCase {
    const char* name;
    uint32_t type;
    std::vector<uint8_t> data;
    int expected_result;
    int32_t expected_value;  // when read
};

const DwordCase DWORD_CASES[] = {
    {"dword", PLAT_REG_DWORD, {0x2A, 0, 0, 0}, 1, 42},
    {"dword_negative", PLAT_REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}, 1, -1},
    {"text_42", PLAT_REG_SZ, bytes(std::string("42", 3)), 1, 42},
    {"text_blank_7_letters", PLAT_REG_SZ, bytes(std::string(" 7abc", 6)), 1, 7},
    {"text_whitespace_sign", PLAT_REG_SZ, bytes(std::string("\t\n -15x", 8)), 1, -15},
    {"text_plus", PLAT_REG_SZ, bytes(std::string("+8", 3)), 1, 8},
    {"text_no_digits", PLAT_REG_SZ, bytes(std::string("abc", 4)), 1, 0},
    {"text_empty", PLAT_REG_SZ, {}, 1, 0},
    {"text_saturates_high", PLAT_REG_SZ, bytes(std::string("99999999999", 12)), 1, INT32_MAX},
    {"text_saturates_low", PLAT_REG_SZ, bytes(std::string("-99999999999", 13)), 1, INT32_MIN},
    {"text_limit", PLAT_REG_SZ, bytes(std::string("-2147483648", 12)), 1, INT32_MIN},
    // No terminator: the conversion stops at the bytes delivered.
    {"text_unterminated", PLAT_REG_SZ, bytes("12345"), 1, 12345},
    {"text_32_bytes", PLAT_REG_SZ, bytes(std::string(31, '1') + std::string(1, '\0')), 1,
     INT32_MAX},
    {"text_40_chars_fails", PLAT_REG_SZ, bytes(std::string(40, '1') + std::string(1, '\0')), 0, 0},
    {"binary_8_bytes", PLAT_REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8}, 1, 0x04030201},
    {"binary_2_bytes", PLAT_REG_BINARY, {0x34, 0x12}, 1, 0x1234},
    {"binary_empty", PLAT_REG_BINARY, {}, 1, 0},
    {"binary_33_bytes_fails", PLAT_REG_BINARY, std::vector<uint8_t>(33, 1), 0, 0},
    {"expand_sz_taken_as_bytes", PLAT_REG_EXPAND_SZ, bytes(std::string("12", 3)), 1, 0x3231},
};

class DwordRead : public SimTest, public ::testing::WithParamInterface<DwordCase> {};

TEST_P(DwordRead, ConvertsOrFails) {
    const DwordCase& c = GetParam();
    sim::set_value(KEY, "V", c.type, c.data);
    int32_t value = 0x5A5A5A5A;
    EXPECT_EQ(reg_read_dword(HKLM(), KEY, "V", &value), c.expected_result);
    EXPECT_EQ(value, c.expected_result ? c.expected_value : 0x5A5A5A5A);
    EXPECT_EQ(sim::open_key_handles(), 0);
}

INSTANTIATE_TEST_SUITE_P(Values, DwordRead, ::testing::ValuesIn(DWORD_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RegistryTest, DwordReadOfMissingValueOrKeyLeavesOutputAlone) {
    int32_t value = 77;
    EXPECT_EQ(reg_read_dword(HKLM(), KEY, "V", &value), 0);
    sim::create_key(KEY);
    EXPECT_EQ(reg_read_dword(HKLM(), KEY, "V", &value), 0);
    EXPECT_EQ(value, 77);
}

struct StringCase {
    const char* name;
    uint32_t type;
    std::vector<uint8_t> data;
    int expected_result;
    std::vector<uint8_t> expected_prefix;  // buffer start when read
};

const StringCase STRING_CASES[] = {
    {"text", PLAT_REG_SZ, bytes(std::string("Calyx", 6)), 1, bytes(std::string("Calyx", 6))},
    {"empty", PLAT_REG_SZ, {0}, 1, {0}},
    {"no_bytes", PLAT_REG_SZ, {}, 1, {0}},
    {"unterminated_gets_terminator", PLAT_REG_SZ, bytes("abc"), 1, bytes(std::string("abc", 4))},
    {"dword_bytes", PLAT_REG_DWORD, {7, 0, 0, 0}, 1, {7, 0, 0, 0}},
    {"258_plus_zero_fits", PLAT_REG_SZ, bytes(std::string(258, 'a') + std::string(1, '\0')), 1,
     bytes(std::string(258, 'a') + std::string(1, '\0'))},
    {"258_unterminated_fits", PLAT_REG_BINARY, bytes(std::string(258, 'b')), 1,
     bytes(std::string(258, 'b') + std::string(1, '\0'))},
    {"259_unterminated_fails", PLAT_REG_BINARY, bytes(std::string(259, 'c')), 0, {}},
    {"259_plus_zero_fails",
     PLAT_REG_SZ,
     bytes(std::string(259, 'd') + std::string(1, '\0')),
     0,
     {}},
};

class StringRead : public SimTest, public ::testing::WithParamInterface<StringCase> {};

TEST_P(StringRead, DeliversTerminatedTextOrLeavesBufferAlone) {
    const StringCase& c = GetParam();
    sim::set_value(KEY, "V", c.type, c.data);
    char buffer[REG_STRING_SIZE + 16];
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(reg_read_string(HKLM(), KEY, "V", buffer), c.expected_result);
    if (c.expected_result) {
        EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + c.expected_prefix.size()),
                  c.expected_prefix);
    } else {
        for (char ch : std::string(buffer, REG_STRING_SIZE)) ASSERT_EQ(ch, 'X');
    }
    // Never past the 259 bytes.
    for (unsigned i = REG_STRING_SIZE; i < sizeof buffer; ++i) ASSERT_EQ(buffer[i], 'X');
    EXPECT_EQ(sim::open_key_handles(), 0);
}

INSTANTIATE_TEST_SUITE_P(Values, StringRead, ::testing::ValuesIn(STRING_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RegistryTest, WriteStringCreatesKeysAndStoresTerminator) {
    EXPECT_EQ(reg_write_string(HKLM(), "A\\B\\C", "Name", "value"), 1);
    uint32_t type = 0;
    std::vector<uint8_t> data;
    ASSERT_TRUE(sim::get_value("A\\B\\C", "Name", &type, &data));
    EXPECT_EQ(type, PLAT_REG_SZ);
    EXPECT_EQ(data, bytes(std::string("value", 6)));
    EXPECT_EQ(reg_write_string(HKLM(), "A\\B\\C", "Empty", ""), 1);
    ASSERT_TRUE(sim::get_value("A\\B\\C", "Empty", &type, &data));
    EXPECT_EQ(data, std::vector<uint8_t>{0});
}

TEST_F(RegistryTest, WriteDwordStoresFourLittleEndianBytes) {
    EXPECT_EQ(reg_write_dword(HKLM(), KEY, "N", 0x01020304), 1);
    uint32_t type = 0;
    std::vector<uint8_t> data;
    ASSERT_TRUE(sim::get_value(KEY, "N", &type, &data));
    EXPECT_EQ(type, PLAT_REG_DWORD);
    EXPECT_EQ(data, (std::vector<uint8_t>{4, 3, 2, 1}));
}

TEST_F(RegistryTest, WritesFailOnAccessDenied) {
    sim::create_key(KEY);
    sim::deny_access(KEY, PLAT_KEY_SET_VALUE);
    EXPECT_EQ(reg_write_string(HKLM(), KEY, "S", "x"), 0);
    EXPECT_EQ(reg_write_dword(HKLM(), KEY, "N", 1), 0);
    EXPECT_FALSE(sim::has_value(KEY, "S"));
    EXPECT_EQ(sim::open_key_handles(), 0);
}

TEST_F(RegistryTest, ReadsFailOnAccessDenied) {
    sim::set_string(KEY, "S", "x");
    sim::deny_access(KEY, PLAT_KEY_QUERY_VALUE);
    char buffer[REG_STRING_SIZE] = "keep";
    int32_t value = 9;
    EXPECT_EQ(reg_read_string(HKLM(), KEY, "S", buffer), 0);
    EXPECT_EQ(reg_read_dword(HKLM(), KEY, "S", &value), 0);
    EXPECT_STREQ(buffer, "keep");
    EXPECT_EQ(value, 9);
}

// An empty path would reach the root of HKEY_LOCAL_MACHINE itself.
TEST_F(RegistryTest, ValueOperationsRefuseAnEmptyOrNullPath) {
    const std::string before = sim::dump();
    char buffer[REG_STRING_SIZE] = "keep";
    int32_t value = 9;
    for (const char* path : {static_cast<const char*>(nullptr), ""}) {
        EXPECT_EQ(reg_write_string(HKLM(), path, "S", "x"), 0);
        EXPECT_EQ(reg_write_dword(HKLM(), path, "N", 1), 0);
        EXPECT_EQ(reg_read_string(HKLM(), path, "S", buffer), 0);
        EXPECT_EQ(reg_read_dword(HKLM(), path, "N", &value), 0);
    }
    EXPECT_EQ(sim::dump(), before);
    EXPECT_TRUE(sim::registry_log().empty());
}

TEST_F(RegistryTest, DeleteTreeRemovesEverythingBelow) {
    sim::set_string("Root\\Victim\\A\\A1", "v", "1");
    sim::set_string("Root\\Victim\\A\\A2\\Deep", "v", "1");
    sim::set_string("Root\\Victim\\B", "v", "1");
    sim::set_string("Root\\Victim", "v", "1");
    sim::set_string("Root\\Sibling", "v", "1");
    EXPECT_EQ(reg_delete_tree(HKLM(), "Root\\Victim"), 0);
    EXPECT_FALSE(sim::key_exists("Root\\Victim"));
    EXPECT_TRUE(sim::key_exists("Root\\Sibling"));
    EXPECT_EQ(sim::open_key_handles(), 0);
}

TEST_F(RegistryTest, DeleteTreeErrors) {
    sim::set_string("Root\\Victim\\Child", "v", "1");
    const std::string before = sim::dump();
    EXPECT_EQ(reg_delete_tree(HKLM(), ""), PLAT_ERROR_BADKEY);
    EXPECT_EQ(reg_delete_tree(HKLM(), nullptr), PLAT_ERROR_BADKEY);
    EXPECT_EQ(reg_delete_tree(HKLM(), "Root\\Missing"), PLAT_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(sim::dump(), before);
}

TEST_F(RegistryTest, DeleteTreeStopsAtTheFirstErrorAndPassesItBack) {
    sim::set_string("Root\\Victim\\A", "v", "1");
    sim::set_string("Root\\Victim\\B", "v", "1");
    sim::deny_access("Root\\Victim\\B", PLAT_DELETE);
    EXPECT_EQ(reg_delete_tree(HKLM(), "Root\\Victim"), PLAT_ERROR_ACCESS_DENIED);
    EXPECT_FALSE(sim::key_exists("Root\\Victim\\A"));  // deleted before the failure
    EXPECT_TRUE(sim::key_exists("Root\\Victim\\B"));
    EXPECT_EQ(sim::open_key_handles(), 0);
}

}  // namespace

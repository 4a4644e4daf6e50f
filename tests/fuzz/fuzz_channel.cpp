// Driver answers of any content: a device whose every answer (success or
// failure, returned byte count, context, status, length, type, data words) comes
// from the input, behind the channel's openers, record reads with buffers of
// many sizes, the identity query, the apply and the tool's driver commands.
// Checks that nothing is written outside the caller's buffer or the frame,
// that the channel always ends closed, and that 'M' prints twelve characters.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "card_records.h"
#include "channel.h"
#include "discovery.h"
#include "encryption.h"
#include "library_state.h"
#include "os.h"
#include "sim.h"
#include "store.h"
#include "tool.h"

namespace {

void check(bool condition) {
    if (!condition) abort();
}

const char kGuid[] = "{5C1D0000-0000-4000-8000-000000000042}";
const uint16_t kSentinel = 0xA5C3;
const unsigned kGuardWords = 16;

// Caller buffer sizes (words after the length word) around the records the
// system reads and the frame's limit.
const uint16_t kAskedLengths[] = {0,  1,  2,   3,    4,    5,    6,    7,
                                  52, 53, 255, 4095, 4096, 4097, 4098, 0xFFFF};

FuzzedDataProvider* input = nullptr;

// A good driver's answer, so that the input can reach past connect and checks.
void behave(RequestFrame* f) {
    f->status = 0;
    switch (f->command) {
    case CHANNEL_COMMAND_CONNECT: f->context = 0x5C1D0001; break;
    case CHANNEL_COMMAND_GET_RECORD: {
        static const uint16_t range[] = {0, 0, 48, 1, 99};
        static const uint16_t identity[] = {0, 1, 6, 41};
        static const uint16_t mac[] = {0x0002, 0x4C5C, 0x117B};
        const uint16_t* data = nullptr;
        uint16_t words = 0;
        if (f->type == 0x0827) {
            data = range;
            words = 5;
        } else if (f->type == 0x0826) {
            data = identity;
            words = 4;
        } else if (f->type == 0xFC01) {
            data = mac;
            words = 3;
        }
        if (data) {
            f->length = static_cast<uint16_t>(words + 1);
            std::memcpy(f->data, data, words * sizeof(uint16_t));
        }
        break;
    }
    default: break;
    }
}

// The device: every answer chosen by the input. The frame it is handed must be
// exactly one RequestFrame; everything it writes stays inside it.
int fuzz_driver(uint32_t code, const void* in, uint32_t in_size, void* out, uint32_t out_size,
                uint32_t* returned) {
    check(code == 0x00170002u && in && in_size == 4);
    check(out && out_size == sizeof(RequestFrame));
    *returned = 0;
    if (!input || input->remaining_bytes() == 0)
        return 0;  // an exhausted input is a driver that stopped answering
    auto* frame = static_cast<RequestFrame*>(out);
    auto* bytes = static_cast<uint8_t*>(out);
    const uint8_t mode = input->ConsumeIntegral<uint8_t>();
    if (mode & 0x80) behave(frame);
    if (mode & 0x02) frame->context = input->ConsumeIntegral<uint32_t>();
    if (mode & 0x04) frame->status = input->ConsumeIntegral<uint16_t>();
    if (mode & 0x08)
        frame->length = input->ConsumeBool() ? 0xFFFF : input->ConsumeIntegral<uint16_t>();
    if (mode & 0x10) frame->type = input->ConsumeIntegral<uint16_t>();
    if (mode & 0x20) {
        // A run of bytes anywhere in the frame, or the whole data area filled.
        if (input->ConsumeBool()) {
            std::memset(frame->data, input->ConsumeIntegral<uint8_t>(), sizeof frame->data);
        } else {
            const size_t at = input->ConsumeIntegralInRange<size_t>(0, out_size - 1);
            const size_t n =
                input->ConsumeIntegralInRange<size_t>(0, std::min<size_t>(64, out_size - at));
            const std::vector<uint8_t> run = input->ConsumeBytes<uint8_t>(n);
            if (!run.empty()) std::memcpy(bytes + at, run.data(), run.size());
        }
    }
    *returned = (mode & 0x40) ? input->ConsumeIntegral<uint32_t>() : out_size;
    return (mode & 0x01) ? 0 : 1;
}

void mark_release(const std::string& key) {
    sim::set_dword(key, "DriverVariant", 1);
    sim::set_dword(key, "DriverMajor", 6);
    sim::set_dword(key, "DriverMinor", 41);
}

// An installed adapter with two profiles for the Windows chosen, and the
// fuzzed driver under every name an opener may try.
void install(unsigned windows) {
    static const sim::Windows kWindows[] = {sim::Windows::Win95, sim::Windows::Win98,
                                            sim::Windows::Nt40, sim::Windows::Win2000,
                                            sim::Windows::WinXp};
    const sim::Windows which = kWindows[windows % 5];
    sim::set_windows(which);
    std::string key;
    switch (which) {
    case sim::Windows::Win95:
    case sim::Windows::Win98:
        sim::set_string("Enum\\PCMCIA\\ORVIX-CALYX-2B13\\0", "Driver", "Net\\0003");
        key = "System\\CurrentControlSet\\Services\\Class\\Net\\0003";
        break;
    case sim::Windows::Nt40:
        key = "System\\CurrentControlSet\\Services\\RLORX521\\Parameters";
        break;
    default:
        sim::set_dword("System\\CurrentControlSet\\Enum\\PCMCIA\\ORVIX-CALYX-2B13\\1", "DrvInst",
                       7);
        key =
            "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002bE10318}"
            "\\0007";
        sim::set_string(key, "NetCfgInstanceId", kGuid);
        break;
    }
    sim::set_string(key, "VendorDescription", "Calyx PC Card");
    mark_release(key);
    sim::set_dword(key, "ConfigType", 1);
    sim::set_string(key, "Encryption", default_encryption_text);
    sim::set_string(key + "\\Config01", "ConfigName", "Home");
    sim::set_string(key + "\\Config01", "Encryption", default_encryption_text);

    for (const char* name : {"RUORX41.VXD", "RUORX48.VXD", "RUORX51.VXD", kGuid})
        sim::add_named_device(name, fuzz_driver);
    // NT 4: instance 1 without a DOS name, so that the open defines one.
    sim::add_device("\\Device\\RLORX521", fuzz_driver);
    sim::add_named_device("RLORX522", fuzz_driver);
}

void check_closed() {
    check(driver_channel.open_generation == 0);
    check(driver_channel.handle == PLAT_INVALID_HANDLE_VALUE);
    check(sim::open_device_handles() == 0);
}

// One record read into a buffer of `asked` words after the length word, with
// guard words after it (or an exact allocation for the address sanitizer). A
// record always has its type word, even when it asks for nothing.
void read_record(uint16_t asked, uint16_t id, bool exact) {
    // Copied from a filled block: filling up to 64 K words one by one cost
    // more than the read itself.
    static const std::vector<uint16_t> sentinels(1u + 0xFFFF + kGuardWords, kSentinel);
    const size_t words = 1u + std::max<size_t>(asked, 1) + (exact ? 0 : kGuardWords);
    std::vector<uint16_t> buffer(sentinels.begin(), sentinels.begin() + words);
    buffer[0] = asked;
    buffer[1] = id;
    const std::vector<uint16_t> before = buffer;
    const uint16_t status = card_get_record(buffer.data());
    size_t touched = 0;  // words after the length word the read may write
    if (status == CHANNEL_STATUS_OK || status == CHANNEL_STATUS_TRUNCATED) {
        touched = std::min<size_t>({buffer[0], asked, CARD_RECORD_MAX_LENGTH});
    } else {
        check(buffer[0] == asked);
    }
    const size_t kept = 1 + touched;
    check(std::memcmp(buffer.data() + kept, before.data() + kept,
                      (words - kept) * sizeof(uint16_t)) == 0);
}

void run(const std::vector<std::string>& arguments, std::string* output = nullptr) {
    std::vector<const char*> argv{"RCTOOL48.EXE"};
    for (const auto& a : arguments) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    sim::take_stdout();
    rctool_run(static_cast<int>(argv.size() - 1), argv.data());
    const std::string out = sim::take_stdout();
    if (output) *output = out;
}

bool upper_hex(const std::string& text) {
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    input = &provider;
    sim::log_calls(false);  // nothing here reads the call logs
    reset_library_state();
    install(provider.ConsumeIntegral<uint8_t>());

    for (int step = 0; step < 6 && provider.remaining_bytes() > 0; ++step) {
        switch (provider.ConsumeIntegralInRange<int>(0, 6)) {
        case 0: {
            // The channel directly: open, a few reads of any size, a put, close.
            // Open or not (a range read's own status leaves it open), the
            // reads below must stay inside their buffers.
            channel_open("ORX");
            const int reads = provider.ConsumeIntegralInRange<int>(0, 4);
            for (int i = 0; i < reads; ++i) {
                const uint16_t asked = provider.PickValueInArray(kAskedLengths);
                read_record(asked, provider.ConsumeIntegral<uint16_t>(), provider.ConsumeBool());
            }
            if (provider.ConsumeBool()) {
                const uint16_t length = provider.PickValueInArray(kAskedLengths);
                const size_t words = 2u + (length >= 1 ? std::min<size_t>(length - 1u, 4096) : 0);
                std::vector<uint16_t> record(words, 0x1234);
                record[0] = length;
                card_put_record(record.data());
            }
            if (provider.ConsumeBool()) channel_action(provider.ConsumeIntegral<uint16_t>());
            channel_close();
            break;
        }
        case 1: {
            const int result = query_card_status();
            check(result == 0 || result == 1);
            check(card_identity_valid <= 1);
            if (card_identity_valid) check(identity_is_required(card_identity));
            break;
        }
        case 2: {
            std::string out;
            run({"M"}, &out);
            check(out.size() == 12);
            check(out == "XXXXXXXXXXXX" || upper_hex(out));
            break;
        }
        case 3: {
            std::string key = provider.ConsumeBytesAsString(5);
            run({"W", key, provider.ConsumeBool() ? "0" : "1"});
            break;
        }
        case 4: {
            const std::string ssid = provider.ConsumeRandomLengthString(CONFIG_TEXT_SIZE - 1);
            std::snprintf(active_configuration.desired_ssid, CONFIG_TEXT_SIZE, "%s", ssid.c_str());
            std::snprintf(active_configuration.encryption, CONFIG_TEXT_SIZE, "%s",
                          default_encryption_text);
            apply_configuration_records();
            break;
        }
        case 5: run({"R", provider.ConsumeBool() ? "0" : "1"}); break;
        default: run({"e", default_encryption_text, "0"}); break;
        }
        check_closed();
    }
    input = nullptr;
    // What the input built is freed within it: libFuzzer runs an input that
    // ends with more allocations than frees again, with a full leak check.
    reset_library_state();
    return 0;
}

// simcard_probe: loads simcard.sys as a kernel service under Wine (or
// Windows), talks to it as the adapter library would and prints what came
// back. A check of the driver itself; ctest runs it beside the Win32 tier.
// Its last line, "N passed, M failed", is what the test is judged by.
//
//   simcard_probe.exe [path\to\simcard.sys]
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "simcard_service.h"

namespace {

int passed = 0;
int failed = 0;

void check(bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "ok  " : "FAIL", what);
    (ok ? passed : failed)++;
}

struct Frame {
    unsigned char bytes[SIMCARD_FRAME_SIZE];

    unsigned get16(unsigned off) const { return bytes[off] | (bytes[off + 1] << 8); }
    unsigned get32(unsigned off) const { return get16(off) | (get16(off + 2) << 16); }
    void put16(unsigned off, unsigned v) {
        bytes[off] = static_cast<unsigned char>(v);
        bytes[off + 1] = static_cast<unsigned char>(v >> 8);
    }
    void put32(unsigned off, unsigned v) {
        put16(off, v & 0xFFFF);
        put16(off + 2, v >> 16);
    }
};

// One IOCTL_NDIS_QUERY_GLOBAL_STATS exchange; false when DeviceIoControl fails.
bool exchange(HANDLE device, Frame* frame, DWORD* returned) {
    const unsigned char object_id[4] = {0x01, 0x04, 0x02, 0xFF};
    *returned = 0;
    return DeviceIoControl(device, SIMCARD_IOCTL_QUERY_GLOBAL_STATS,
                           const_cast<unsigned char*>(object_id), sizeof object_id, frame->bytes,
                           sizeof frame->bytes, returned, nullptr) != FALSE;
}

HANDLE open_name(const char* name) {
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "\\\\.\\%s", name);
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

bool start(SimcardServiceConfig config, const char* sys) {
    if (sys) config.sys_path = sys;
    std::string error;
    bool ok = simcard_service_start(config, &error);
    if (!ok) std::printf("     start %s: %s\n", config.service.c_str(), error.c_str());
    check(ok, ("service " + config.service + " runs as \\\\.\\" + config.device_name).c_str());
    return ok;
}

void stop(const char* service) {
    std::string error;
    bool ok = simcard_service_stop(service, &error);
    if (!ok) std::printf("     stop %s: %s\n", service, error.c_str());
    check(ok, (std::string("service ") + service + " stopped and deleted").c_str());
}

void probe_identity(const char* sys) {
    SimcardServiceConfig config;
    config.service = "simcard_probe";
    config.device_name = "RLORX523";
    if (!start(config, sys)) return;

    HANDLE device = open_name("RLORX523");
    check(device != INVALID_HANDLE_VALUE, "CreateFileA \\\\.\\RLORX523");
    if (device == INVALID_HANDLE_VALUE) return;

    Frame frame;
    std::memset(&frame, 0, sizeof frame);
    DWORD returned = 0;
    bool ok = exchange(device, &frame, &returned);
    unsigned context = frame.get32(0);
    std::printf("     connect: ok %d, returned %lu, status %u, context 0x%08X\n", ok,
                static_cast<unsigned long>(returned), frame.get16(4), context);
    check(ok && returned == SIMCARD_FRAME_SIZE && frame.get16(4) == 0 && context != 0,
          "connect answers status 0 with a context");

    frame.put16(4, 0);
    frame.put16(6, SIMCARD_CMD_GET);
    frame.put16(8, 5);
    frame.put16(10, SIMCARD_RECORD_IDENTITY);
    frame.put16(12, 0xFFFF);
    ok = exchange(device, &frame, &returned);
    std::printf("     get 0x0826: status %u, length %u, type 0x%04X, data %u %u %u %u\n",
                frame.get16(4), frame.get16(8), frame.get16(10), frame.get16(12), frame.get16(14),
                frame.get16(16), frame.get16(18));
    check(ok && frame.get16(4) == 0 && frame.get16(8) == 5 && frame.get16(14) == 1 &&
              frame.get16(16) == 6 && frame.get16(18) == 41,
          "identity record reads 1, 6, 41");

    // A put, then the control request shows what the card stored.
    frame.put16(4, 0);
    frame.put16(6, SIMCARD_CMD_PUT);
    frame.put16(8, 2);
    frame.put16(10, 0x0902);
    frame.put16(12, 1);
    ok = exchange(device, &frame, &returned);
    check(ok && frame.get16(4) == 0, "put 0x0902 answers status 0");
    std::vector<uint16_t> data;
    int length = simcard_read_record("RLORX523", 0x0902, &data);
    check(length == 2 && data.size() == 1 && data[0] == 1, "record 0x0902 read back as put");

    SimCardControlAnswer answer;
    ok = simcard_read("RLORX523", 0x0826, &answer);
    std::printf("     counters: connects %u, gets %u, puts %u, context mismatches %u\n",
                answer.counters.connects, answer.counters.gets, answer.counters.puts,
                answer.counters.context_mismatches);
    check(ok && answer.counters.connects == 1 && answer.counters.gets == 1 &&
              answer.counters.puts == 1 && answer.counters.context_mismatches == 0 &&
              answer.context == context,
          "counters seen through the control request");
    CloseHandle(device);
    stop("simcard_probe");

    device = open_name("RLORX523");
    check(device == INVALID_HANDLE_VALUE, "\\\\.\\RLORX523 is gone after the stop");
    if (device != INVALID_HANDLE_VALUE) CloseHandle(device);
}

void probe_nt4_names(const char* sys) {
    SimcardServiceConfig config;
    config.service = "simcard_probe_nt4";
    config.device_name = "RLORX523";
    config.extra_dos_names = {"RLORX521", "RLORX522"};
    config.set("BusyConnects", 2);
    if (!start(config, sys)) return;

    char target[MAX_PATH];
    DWORD n = QueryDosDeviceA("RLORX521", target, sizeof target);
    std::printf("     QueryDosDeviceA RLORX521: %lu \"%s\"\n", static_cast<unsigned long>(n),
                n ? target : "");
    check(n != 0, "QueryDosDeviceA finds the extra name");

    HANDLE device = open_name("RLORX521");
    DWORD error = GetLastError();
    std::printf("     CreateFileA \\\\.\\RLORX521: error %lu\n", static_cast<unsigned long>(error));
    check(device == INVALID_HANDLE_VALUE && error == ERROR_PATH_NOT_FOUND,
          "the extra name fails with error 3");
    if (device != INVALID_HANDLE_VALUE) CloseHandle(device);

    device = open_name("RLORX523");
    check(device != INVALID_HANDLE_VALUE, "the card's own name opens");
    if (device != INVALID_HANDLE_VALUE) {
        unsigned statuses[3];
        for (unsigned& status : statuses) {
            Frame frame;
            std::memset(&frame, 0, sizeof frame);
            DWORD returned = 0;
            exchange(device, &frame, &returned);
            status = frame.get16(4);
        }
        std::printf("     connects: %u %u %u\n", statuses[0], statuses[1], statuses[2]);
        check(statuses[0] == 68 && statuses[1] == 68 && statuses[2] == 0,
              "BusyConnects 2: busy, busy, ready");
        CloseHandle(device);
    }
    stop("simcard_probe_nt4");

    n = QueryDosDeviceA("RLORX521", target, sizeof target);
    check(n == 0, "the extra name is gone after the stop");
}

void probe_guid_identity(const char* sys) {
    const char* guid = "{6B0F1F3A-2C4D-4E5F-8A9B-0C1D2E3F4A5B}";
    SimcardServiceConfig config;
    config.service = "simcard_probe_guid";
    config.device_name = guid;
    config.set("Minor", 40).set("NoAnswerRecord", 0xFC01);
    if (!start(config, sys)) return;
    HANDLE device = open_name(guid);
    check(device != INVALID_HANDLE_VALUE, "\\\\.\\{GUID} opens");
    if (device != INVALID_HANDLE_VALUE) {
        Frame frame;
        std::memset(&frame, 0, sizeof frame);
        DWORD returned = 0;
        exchange(device, &frame, &returned);
        frame.put16(6, SIMCARD_CMD_GET);
        frame.put16(8, 5);
        frame.put16(10, SIMCARD_RECORD_IDENTITY);
        bool ok = exchange(device, &frame, &returned);
        check(ok && frame.get16(18) == 40, "Minor 40 overrides the identity");
        frame.put16(6, SIMCARD_CMD_GET);
        frame.put16(8, 4);
        frame.put16(10, SIMCARD_RECORD_MAC);
        ok = exchange(device, &frame, &returned);
        check(!ok, "NoAnswerRecord 0xFC01 makes DeviceIoControl fail");
        CloseHandle(device);
    }
    stop("simcard_probe_guid");
}

}  // namespace

int main(int argc, char** argv) {
    const char* sys = argc > 1 ? argv[1] : nullptr;
    probe_identity(sys);
    probe_nt4_names(sys);
    probe_guid_identity(sys);
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}

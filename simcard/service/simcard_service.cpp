#include "simcard_service.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

void set_error(std::string* error, const std::string& what, DWORD code) {
    if (!error) return;
    char text[64];
    std::snprintf(text, sizeof text, " (error %lu)", static_cast<unsigned long>(code));
    *error = what + text;
}

bool file_exists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string program_dir() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path) return ".";
    std::string dir(path, n);
    size_t slash = dir.find_last_of("\\/");
    return slash == std::string::npos ? "." : dir.substr(0, slash);
}

std::string parent_of(const std::string& dir) {
    size_t slash = dir.find_last_of("\\/");
    return slash == std::string::npos ? dir : dir.substr(0, slash);
}

std::string driver_file(const std::string& service) {
    char system_dir[MAX_PATH];
    UINT n = GetSystemDirectoryA(system_dir, sizeof system_dir);
    std::string dir =
        (n && n < sizeof system_dir) ? std::string(system_dir, n) : "C:\\windows\\system32";
    return dir + "\\drivers\\" + service + ".sys";
}

bool wait_for_state(SC_HANDLE service, DWORD state, DWORD timeout_ms) {
    SERVICE_STATUS status;
    for (DWORD waited = 0;; waited += 50) {
        if (!QueryServiceStatus(service, &status)) return false;
        if (status.dwCurrentState == state) return true;
        if (waited >= timeout_ms) return false;
        Sleep(50);
    }
}

// While services.exe is still starting the prefix's own services at boot, it
// answers ERROR_SERVICE_DATABASE_LOCKED: wait for it.
bool start_service(SC_HANDLE service, const std::string& name, std::string* error) {
    for (int tries = 0;; tries++) {
        if (StartServiceA(service, 0, nullptr)) return true;
        DWORD code = GetLastError();
        if (code != ERROR_SERVICE_DATABASE_LOCKED || tries >= 300) {
            set_error(error, "StartServiceA " + name + " failed", code);
            return false;
        }
        Sleep(100);
    }
}

HANDLE open_device(const std::string& device_name) {
    std::string path = "\\\\.\\" + device_name;
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

bool write_values(const SimcardServiceConfig& config, std::string* error) {
    std::string path = "System\\CurrentControlSet\\Services\\" + config.service;
    HKEY key;
    LONG rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) {
        set_error(error, "cannot open the service key " + path, rc);
        return false;
    }
    rc = RegSetValueExA(key, "DeviceName", 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(config.device_name.c_str()),
                        static_cast<DWORD>(config.device_name.size() + 1));
    if (rc == ERROR_SUCCESS && !config.extra_dos_names.empty()) {
        std::string multi;
        for (const std::string& name : config.extra_dos_names) {
            multi += name;
            multi += '\0';
        }
        multi += '\0';
        rc = RegSetValueExA(key, "ExtraDosNames", 0, REG_MULTI_SZ,
                            reinterpret_cast<const BYTE*>(multi.data()),
                            static_cast<DWORD>(multi.size()));
    }
    for (const auto& value : config.dwords) {
        if (rc != ERROR_SUCCESS) break;
        DWORD data = value.second;
        rc = RegSetValueExA(key, value.first.c_str(), 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&data), sizeof data);
    }
    if (rc == ERROR_SUCCESS && !config.mac.empty())
        rc = RegSetValueExA(key, "MacAddress", 0, REG_BINARY, config.mac.data(),
                            static_cast<DWORD>(config.mac.size()));
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) {
        set_error(error, "cannot write the service values", rc);
        return false;
    }
    return true;
}

}  // namespace

std::string simcard_sys_path(const SimcardServiceConfig& config) {
    if (!config.sys_path.empty()) return file_exists(config.sys_path) ? config.sys_path : "";
    char env[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("SIMCARD_SYS", env, sizeof env);
    if (n && n < sizeof env && file_exists(env)) return env;
    std::string dir = program_dir();
    for (int up = 0; up <= 3; up++) {
        std::string candidate = dir + "\\simcard.sys";
        if (file_exists(candidate)) return candidate;
        dir = parent_of(dir);
    }
    return "";
}

bool simcard_service_stop(const std::string& name, std::string* error) {
    SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!scm) {
        set_error(error, "OpenSCManagerA failed", GetLastError());
        return false;
    }
    SC_HANDLE service = OpenServiceA(scm, name.c_str(), SERVICE_ALL_ACCESS);
    if (!service) {
        DWORD code = GetLastError();
        CloseServiceHandle(scm);
        if (code == ERROR_SERVICE_DOES_NOT_EXIST) return true;
        set_error(error, "OpenServiceA " + name + " failed", code);
        return false;
    }
    SERVICE_STATUS status;
    bool ok = true;
    if (QueryServiceStatus(service, &status) && status.dwCurrentState != SERVICE_STOPPED) {
        ControlService(service, SERVICE_CONTROL_STOP, &status);
        if (!wait_for_state(service, SERVICE_STOPPED, 5000)) {
            set_error(error, "service " + name + " does not stop", GetLastError());
            ok = false;
        }
    }
    if (!DeleteService(service) && GetLastError() != ERROR_SERVICE_MARKED_FOR_DELETE) {
        set_error(error, "DeleteService " + name + " failed", GetLastError());
        ok = false;
    }
    CloseServiceHandle(service);
    CloseServiceHandle(scm);
    return ok;
}

bool simcard_service_start(const SimcardServiceConfig& config, std::string* error) {
    std::string sys = simcard_sys_path(config);
    if (sys.empty()) {
        set_error(error, "simcard.sys not found (set SIMCARD_SYS)", ERROR_FILE_NOT_FOUND);
        return false;
    }
    if (!simcard_service_stop(config.service, error)) return false;
    std::string target = driver_file(config.service);
    if (!CopyFileA(sys.c_str(), target.c_str(), FALSE)) {
        set_error(error, "cannot copy " + sys + " to " + target, GetLastError());
        return false;
    }

    SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!scm) {
        set_error(error, "OpenSCManagerA failed", GetLastError());
        return false;
    }
    SC_HANDLE service =
        CreateServiceA(scm, config.service.c_str(), config.service.c_str(), SERVICE_ALL_ACCESS,
                       SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                       target.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!service) {
        set_error(error, "CreateServiceA " + config.service + " failed", GetLastError());
        CloseServiceHandle(scm);
        return false;
    }
    bool ok = write_values(config, error);
    if (ok) ok = start_service(service, config.service, error);
    if (ok && !wait_for_state(service, SERVICE_RUNNING, 5000)) {
        set_error(error, "service " + config.service + " does not run", GetLastError());
        ok = false;
    }
    CloseServiceHandle(service);
    CloseServiceHandle(scm);
    if (!ok) return false;

    // Running means DriverEntry returned; make sure the name answers too.
    for (int tries = 0; tries < 100; tries++) {
        HANDLE device = open_device(config.device_name);
        if (device != INVALID_HANDLE_VALUE) {
            CloseHandle(device);
            return true;
        }
        Sleep(20);
    }
    set_error(error, "\\\\.\\" + config.device_name + " does not open", GetLastError());
    return false;
}

bool simcard_control(const std::string& device_name, const SimCardControlRequest& request,
                     SimCardControlAnswer* answer, std::string* error) {
    HANDLE device = open_device(device_name);
    if (device == INVALID_HANDLE_VALUE) {
        set_error(error, "cannot open \\\\.\\" + device_name, GetLastError());
        return false;
    }
    DWORD returned = 0;
    BOOL ok =
        DeviceIoControl(device, SIMCARD_IOCTL_CONTROL, const_cast<SimCardControlRequest*>(&request),
                        sizeof request, answer, sizeof *answer, &returned, nullptr);
    DWORD code = GetLastError();
    CloseHandle(device);
    if (!ok || returned != sizeof *answer || answer->version != SIMCARD_CONTROL_VERSION) {
        set_error(error, "control request to " + device_name + " failed", ok ? 0 : code);
        return false;
    }
    return true;
}

static SimCardControlRequest make_request(uint32_t op, uint16_t record_id) {
    SimCardControlRequest request;
    std::memset(&request, 0, sizeof request);
    request.op = op;
    request.record_id = record_id;
    return request;
}

bool simcard_read(const std::string& device_name, uint16_t record_id, SimCardControlAnswer* answer,
                  std::string* error) {
    return simcard_control(device_name, make_request(SIMCARD_OP_READ, record_id), answer, error);
}

int simcard_read_record(const std::string& device_name, uint16_t record_id,
                        std::vector<uint16_t>* data) {
    SimCardControlAnswer answer;
    if (!simcard_read(device_name, record_id, &answer) || answer.length < 0) return -1;
    if (data) {
        size_t words = answer.length > 0 ? static_cast<size_t>(answer.length) - 1 : 0;
        if (words > SIMCARD_RECORD_DATA_WORDS) words = SIMCARD_RECORD_DATA_WORDS;
        data->assign(answer.data, answer.data + words);
    }
    return answer.length;
}

bool simcard_write_record(const std::string& device_name, uint16_t record_id, uint16_t length,
                          const std::vector<uint16_t>& data) {
    SimCardControlRequest request = make_request(SIMCARD_OP_WRITE_RECORD, record_id);
    request.length = length;
    for (size_t i = 0; i < data.size() && i < SIMCARD_RECORD_DATA_WORDS; i++)
        request.data[i] = data[i];
    SimCardControlAnswer answer;
    return simcard_control(device_name, request, &answer) && answer.op_result == 1;
}

bool simcard_set_faults(const std::string& device_name, const SimCardFaults& faults) {
    SimCardControlRequest request = make_request(SIMCARD_OP_SET_FAULTS, 0);
    request.faults = faults;
    SimCardControlAnswer answer;
    return simcard_control(device_name, request, &answer) && answer.op_result == 1;
}

bool simcard_clear_counters(const std::string& device_name) {
    SimCardControlAnswer answer;
    return simcard_control(device_name, make_request(SIMCARD_OP_CLEAR_COUNTERS, 0), &answer) &&
           answer.op_result == 1;
}

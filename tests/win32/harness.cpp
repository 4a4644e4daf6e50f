#include "harness.h"

#include <cstdio>

namespace {

const char* const HARDWARE_IDS[] = {"ORVIX-CALYX-2B13", "ORVIX-CALYX-0087"};
const char NET_GUID[] = "{4D36E972-E325-11CE-BFC1-08002bE10318}";
const char NT_CLASS[] = "System\\CurrentControlSet\\Control\\Class";
const char NT_ENUM[] = "System\\CurrentControlSet\\Enum";
// A class instance number no real adapter of the prefix uses.
const int INSTANCE_NUMBER = 42;

// The C runtime's rules: backslashes double only before a quote.
std::string quote(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            out.append(backslashes * 2 + 1, '\\');
        else
            out.append(backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    out += '"';
    return out;
}

}  // namespace

std::string error_text(DWORD code) {
    char text[256] = "";
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, text, sizeof text, nullptr);
    std::string message(text, n < sizeof text ? n : 0);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return "error " + std::to_string(code) + (message.empty() ? "" : " (" + message + ")");
}

namespace {

std::string program_dir() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string p(path, n);
    return p.substr(0, p.find_last_of("\\/"));
}

}  // namespace

std::string dist_dir() {
    char value[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("RC_DIST", value, sizeof value);
    if (n > 0 && n < sizeof value) return std::string(value, n);
    return program_dir();
}

std::string self_path() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, n > 0 && n < sizeof path ? n : 0);
}

std::string self_name() {
    const std::string path = self_path();
    return path.substr(path.find_last_of("\\/") + 1);
}

void set_windows_version(const std::string& program, const std::string& version) {
    const std::string key = "Software\\Wine\\AppDefaults\\" + program;
    HKEY k;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                        nullptr) != ERROR_SUCCESS)
        return;
    if (version.empty())
        RegDeleteValueA(k, "Version");
    else
        RegSetValueExA(k, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                       static_cast<DWORD>(version.size() + 1));
    RegCloseKey(k);
}

ProcessResult run_program(const std::string& path, const std::vector<std::string>& arguments,
                          DWORD timeout_ms) {
    ProcessResult result;
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read_end, write_end;
    if (!CreatePipe(&read_end, &write_end, &sa, 0)) {
        result.start_error = GetLastError();
        result.report = "CreatePipe failed: " + error_text(result.start_error);
        std::fprintf(stderr, "%s\n", result.report.c_str());
        return result;
    }
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);

    std::string command = quote(path);
    for (const auto& a : arguments) command += " " + quote(a);
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);

    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = write_end;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    BOOL ok = CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                             &si, &pi);
    const DWORD start_error = ok ? 0 : GetLastError();
    CloseHandle(write_end);
    if (!ok) {
        CloseHandle(read_end);
        result.start_error = start_error;
        result.report = "CreateProcessA(" + path + ") failed: " + error_text(start_error);
        // At once, so the log shows it even where a test does not ask.
        std::fprintf(stderr, "%s\n", result.report.c_str());
        return result;
    }
    result.started = true;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0)
        result.output.append(buffer, got);
    CloseHandle(read_end);
    if (WaitForSingleObject(pi.hProcess, timeout_ms) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 0xDEAD);
        WaitForSingleObject(pi.hProcess, INFINITE);
    }
    GetExitCodeProcess(pi.hProcess, &result.exit_code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return result;
}

ProcessResult run_tool(const std::vector<std::string>& arguments, const std::string& version) {
    set_windows_version("RCTOOL48.EXE", version);
    return run_program(dist_dir() + "\\RCTOOL48.EXE", arguments);
}

void reg_put_value(const std::string& path, const std::string& name, DWORD type,
                   const std::vector<BYTE>& data) {
    HKEY k;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &k, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(k, name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
    RegCloseKey(k);
}

void reg_put_string(const std::string& path, const std::string& name, const std::string& text) {
    std::vector<BYTE> data(text.begin(), text.end());
    data.push_back(0);
    reg_put_value(path, name, REG_SZ, data);
}

void reg_put_dword(const std::string& path, const std::string& name, DWORD value) {
    reg_put_value(path, name, REG_DWORD,
                  {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)});
}

void reg_make_key(const std::string& path) {
    HKEY k;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &k, nullptr) == ERROR_SUCCESS)
        RegCloseKey(k);
}

bool reg_has_key(const std::string& path) {
    HKEY k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return false;
    RegCloseKey(k);
    return true;
}

bool reg_get_value(const std::string& path, const std::string& name, DWORD* type,
                   std::vector<BYTE>* data) {
    HKEY k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    LONG rc = RegQueryValueExA(k, name.c_str(), nullptr, type, nullptr, &size);
    if (rc == ERROR_SUCCESS && data) {
        data->resize(size);
        rc = RegQueryValueExA(k, name.c_str(), nullptr, type, data->data(), &size);
        data->resize(size);
    }
    RegCloseKey(k);
    return rc == ERROR_SUCCESS;
}

std::string reg_get_string(const std::string& path, const std::string& name) {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!reg_get_value(path, name, &type, &data)) return "<missing>";
    if (type != REG_SZ) return "<type " + std::to_string(type) + ">";
    std::string text(data.begin(), data.end());
    return text.substr(0, text.find('\0'));
}

int64_t reg_get_dword(const std::string& path, const std::string& name) {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!reg_get_value(path, name, &type, &data) || type != REG_DWORD || data.size() != 4)
        return -1;
    return DWORD(data[0]) | DWORD(data[1]) << 8 | DWORD(data[2]) << 16 | DWORD(data[3]) << 24;
}

void reg_remove_tree(const std::string& path) {
    HKEY k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS)
        return;
    for (;;) {
        char child[260];
        DWORD size = sizeof child;
        if (RegEnumKeyExA(k, 0, child, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        reg_remove_tree(path + "\\" + child);
    }
    RegCloseKey(k);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
}

bool atom_exists(const std::string& name) { return GlobalFindAtomA(name.c_str()) != 0; }

void clear_atom(const std::string& name) {
    for (int i = 0; i < 1000; ++i) {
        ATOM atom = GlobalFindAtomA(name.c_str());
        if (!atom) return;
        GlobalDeleteAtom(atom);
    }
}

Adapter install_adapter(const std::string& version, int hardware_id, int nt4_instance,
                        const std::string& description) {
    const std::string id = HARDWARE_IDS[hardware_id];
    char number[8];
    std::snprintf(number, sizeof number, "%04d", INSTANCE_NUMBER + hardware_id);
    Adapter adapter;
    if (version == "win95" || version == "win98" || version == "winme") {
        const std::string driver = std::string("Net\\") + number;
        reg_put_string("Enum\\PCMCIA\\" + id + "\\0", "Driver", driver);
        adapter.instance_key = "System\\CurrentControlSet\\Services\\Class\\" + driver;
    } else if (version == "nt40") {
        adapter.instance_key = "System\\CurrentControlSet\\Services\\RLORX52" +
                               std::to_string(nt4_instance) + "\\Parameters";
    } else if (version == "win2k") {
        const std::string driver = std::string(NET_GUID) + "\\" + number;
        reg_put_string(std::string(NT_ENUM) + "\\PCMCIA\\" + id + "\\1", "Driver", driver);
        adapter.instance_key = std::string(NT_CLASS) + "\\" + driver;
    } else {
        reg_put_dword(std::string(NT_ENUM) + "\\PCMCIA\\" + id + "\\1", "DrvInst",
                      INSTANCE_NUMBER + hardware_id);
        adapter.instance_key = std::string(NT_CLASS) + "\\" + NET_GUID + "\\" + number;
    }
    reg_put_string(adapter.instance_key, "VendorDescription", description);
    reg_put_dword(adapter.instance_key, "DriverVariant", 1);
    reg_put_dword(adapter.instance_key, "DriverMajor", 6);
    reg_put_dword(adapter.instance_key, "DriverMinor", 41);
    return adapter;
}

void remove_adapters() {
    for (const char* id : HARDWARE_IDS) {
        reg_remove_tree(std::string("Enum\\PCMCIA\\") + id);
        reg_remove_tree(std::string("Enum\\USB\\") + id);
        reg_remove_tree(std::string(NT_ENUM) + "\\PCMCIA\\" + id);
        reg_remove_tree(std::string(NT_ENUM) + "\\USB\\" + id);
    }
    for (int i = 0; i < 2; ++i) {
        char number[8];
        std::snprintf(number, sizeof number, "%04d", INSTANCE_NUMBER + i);
        reg_remove_tree(std::string("System\\CurrentControlSet\\Services\\Class\\Net\\") + number);
        reg_remove_tree(std::string(NT_CLASS) + "\\" + NET_GUID + "\\" + number);
    }
    for (char d = '1'; d <= '9'; ++d)
        reg_remove_tree(std::string("System\\CurrentControlSet\\Services\\RLORX52") + d);
    reg_remove_tree("Software\\Orvix");
}

std::string hex_bytes(const std::vector<BYTE>& data) {
    std::string out;
    char hex[4];
    for (BYTE b : data) {
        std::snprintf(hex, sizeof hex, "%02x", b);
        out += hex;
    }
    return out;
}

// Win32 test harness: starts the real deliverables as child processes and
// lays out and reads the real registry, files and atoms. Runs on Windows and
// under Wine alike.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Folder of the deliverables under test (RC_DIST, else beside this program).
std::string dist_dir();

struct ProcessResult {
    bool started = false;
    DWORD start_error = 0;  // GetLastError of a failed start
    // Why it did not start: the call, the program, the error code with the
    // system's text; empty when it started.
    std::string report;
    DWORD exit_code = 0;  // the full code, as GetExitCodeProcess gives it
    std::string output;   // standard output
};

// Under Wine: the Windows version a program sees ("win98", "nt40", "win2k",
// "winxp", ...), set per program in HKCU\Software\Wine\AppDefaults; an empty
// version removes the setting.
void set_windows_version(const std::string& program, const std::string& version);

// This test program's own path, and its file name (what its per-program
// Windows version is set under).
std::string self_path();
std::string self_name();

// Runs a program with the given arguments (quoted as the C runtime splits
// them) and waits for it.
ProcessResult run_program(const std::string& path, const std::vector<std::string>& arguments,
                          DWORD timeout_ms = 60000);

// A Win32 error code with the system's text: "error 2 (File not found)".
std::string error_text(DWORD code);
// RCTOOL48.EXE from dist_dir(), seeing the given Windows version.
ProcessResult run_tool(const std::vector<std::string>& arguments,
                       const std::string& version = "winxp");

// ---- registry below HKEY_LOCAL_MACHINE ----
void reg_put_string(const std::string& path, const std::string& name, const std::string& text);
void reg_put_dword(const std::string& path, const std::string& name, DWORD value);
void reg_put_value(const std::string& path, const std::string& name, DWORD type,
                   const std::vector<BYTE>& data);
void reg_make_key(const std::string& path);
bool reg_has_key(const std::string& path);
// Type and bytes; false when missing.
bool reg_get_value(const std::string& path, const std::string& name, DWORD* type,
                   std::vector<BYTE>* data);
// REG_SZ text; "<missing>" or "<type N>" otherwise.
std::string reg_get_string(const std::string& path, const std::string& name);
// REG_DWORD; -1 when missing or of another type.
int64_t reg_get_dword(const std::string& path, const std::string& name);
void reg_remove_tree(const std::string& path);

// ---- atoms ----
bool atom_exists(const std::string& name);
// Deletes every reference to the atom (atoms outlive the program that added them).
void clear_atom(const std::string& name);

// ---- an installed adapter, as the driver's installation leaves it ----
struct Adapter {
    std::string instance_key;
};
// Lays out the adapter's device registry for a Windows version ("win95",
// "win98", "nt40", "win2k", "winxp"); hardware ID 0 or 1; NT 4 service
// instance number.
Adapter install_adapter(const std::string& version, int hardware_id = 0, int nt4_instance = 1,
                        const std::string& description = "Calyx PC Card");
// Removes every key an install_adapter or a test may have made.
void remove_adapters();

std::string hex_bytes(const std::vector<BYTE>& data);

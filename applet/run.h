// A run of the applet: the driver release check, the installer mailbox, the
// profile dialog and property sheet loop, the restart prompt; and the logic of
// the three exports around it.
#pragma once
#include <cstdint>

#include "host.h"

// Installer command word (Cpl_cmd, or CMConfigure's argument): bits 8 to 15
// the command, bits 0 to 7 its argument.
enum : uint32_t {
    CMD_NONE = 0x0000,
    CMD_SHOW = 0x0100,
    CMD_SELECT_PROFILE = 0x0200,
    CMD_DRIVER_ENABLE = 0x0300,
    CMD_BUSY = 0xFF00,
    CMD_CODE_MASK = 0xFF00,
    CMD_ARGUMENT_MASK = 0x00FF,
};

// run_applet's command for a Control Panel start: read the word from Cpl_cmd.
enum : uint32_t { RUN_READ_MAILBOX = 1 };

// Cpl_Status values, and CMConfigure's results.
enum : uint32_t {
    CPL_STATUS_OK = 0,
    CPL_STATUS_BAD_COMMAND = 0x8001,
    CPL_STATUS_NO_ADAPTER = 0x8002,
    CPL_STATUS_NO_COMMAND = 0x8003,
    CPL_STATUS_BAD_PROFILE = 0x8004,
    CPL_STATUS_WRONG_DRIVER = 0x8005,  // the run stopped at the driver release check
};

// check_driver_release's answers.
enum : int {
    DRIVER_RELEASE_ACCEPTED = 1,
    DRIVER_RELEASE_WRONG = 3,
};

// Outcome texts of TarvoConfigure.
extern const char TARVO_STATUS_FAILED[];      // "STATUS_FAILED"
extern const char TARVO_STATUS_USERCANCEL[];  // "STATUS_USERCANCEL"
extern const char TARVO_STATUS_SUCCESSFUL[];  // "STATUS_SUCCESSFUL"

// TarvoConfigure's record of two texts.
struct TarvoTexts {
    const char* first;
    const char* second;
};

// CPL_INIT after the module is loaded: OS class, adapter, not_configured.
// Returns whether an adapter was found (0 drops the applet).
int applet_init();
// The whole of CMConfigure(command) once its caller has set the parent
// window: the status it returns.
uint32_t cm_configure(AppletHost& host, uint32_t command);
// The whole of TarvoConfigure: 1 or 0, *status set to one of the texts above
// (left alone when status is null).
int tarvo_configure(AppletHost& host, uint32_t version, const TarvoTexts* texts,
                    const char** status);

// One run (command 0: the dialog; RUN_READ_MAILBOX; or a command word).
// Returns the last dialog result, or 1 when no dialog was shown; *status gets
// the installer status the run produced.
int run_applet(AppletHost& host, uint32_t command, uint32_t* status);
// 1 when it handled the command without a dialog.
int process_installer_command(uint32_t command, uint32_t* status);
int check_driver_release();
// Asks to restart Windows when a change needs it, and restarts on Yes.
void restart_prompt(AppletHost& host);

// The applet's state back to a freshly loaded module (tests).
void applet_reset();

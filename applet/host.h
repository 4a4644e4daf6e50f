// What a run of the applet asks of its windowed surroundings: the module
// reference the entries hold, the two modal windows, message boxes owned by
// the applet's parent window. applet/win32 implements it; native tests use a
// scripted fake.
#pragma once
#include <cstdint>

#include "view.h"

class AppletHost {
public:
    // Takes and drops the reference to the applet's own file that every
    // resource comes from.
    virtual void acquire_module() = 0;
    virtual void release_module() = 0;
    // The profile dialog (1200), modal: 1 (OK), 2 (Cancel), 2110 (Edit
    // Profile), or -1 when it could not be created.
    virtual int run_profile_dialog() = 0;
    // The property sheet for the current profile, modal: its result (1 after
    // OK). *cancelled is set when the user cancelled it (its pages were reset).
    virtual int run_property_sheet(bool* cancelled) = 0;
    // A message box owned by the parent window.
    virtual MessageAnswer message(uint16_t text_id, uint16_t caption_id, MessageKind kind) = 0;

protected:
    ~AppletHost() = default;
};

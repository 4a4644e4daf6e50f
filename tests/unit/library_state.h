// The simulated Windows and the library's process-wide state back at program
// start: what every native test and fuzz input begins from.
#pragma once
#include "card_records.h"
#include "channel.h"
#include "discovery.h"
#include "os.h"
#include "sim.h"
#include "sim_session.h"
#include "store.h"
// Test programs that link the applet's logic define RC_TESTS_LINK_APPLET.
#ifdef RC_TESTS_LINK_APPLET
#include "run.h"
#endif

inline void reset_library_state() {
    sim::reset();
    os_reset();
    discovery_reset();
    store_reset();
    channel_reset();
    card_records_reset();
    sim::session_reset();
#ifdef RC_TESTS_LINK_APPLET
    applet_reset();
#endif
}

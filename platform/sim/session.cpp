// Simulated session: the shutdown privilege and ExitWindowsEx.
#include "platform/session.h"

#include "platform/system.h"
#include "sim_session.h"

namespace sim {
namespace {

struct Session {
    bool privilege_assigned = true;
    bool restart_fails = false;
    int privilege_requests = 0;
    int restart_requests = 0;
    std::function<void()> restart_hook;
};

Session& session() {
    static Session s;
    return s;
}

// Windows 95 and 98 have no process token: the adjustment cannot happen.
bool has_token() {
    PlatVersionInfo info{};
    return plat_get_version(&info) && info.platform_id == PLAT_VER_PLATFORM_WIN32_NT;
}

}  // namespace

void session_reset() { session() = Session(); }
void set_shutdown_privilege(bool assigned) { session().privilege_assigned = assigned; }
void fail_restart(bool fail) { session().restart_fails = fail; }
void on_restart(std::function<void()> hook) { session().restart_hook = std::move(hook); }
int privilege_requests() { return session().privilege_requests; }
int restart_requests() { return session().restart_requests; }

}  // namespace sim

int plat_enable_shutdown_privilege() {
    sim::Session& s = sim::session();
    ++s.privilege_requests;
    return s.privilege_assigned && sim::has_token() ? PLAT_PRIVILEGE_ENABLED
                                                    : PLAT_PRIVILEGE_UNAVAILABLE;
}

int plat_restart_windows() {
    sim::Session& s = sim::session();
    ++s.restart_requests;
    if (s.restart_hook) s.restart_hook();
    return s.restart_fails ? 0 : 1;
}

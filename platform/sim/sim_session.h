// Control side of the simulated Windows session: whether the user holds the
// shutdown privilege, whether a restart is accepted, and what was asked for.
#pragma once
#include <functional>

namespace sim {

// Back to a session whose user holds the privilege and whose restarts are
// accepted; nothing asked for yet.
void session_reset();

// Whether the shutdown privilege is assigned to the user (NT family only: on
// Windows 95 and 98 there is no token to adjust, so it is never enabled).
void set_shutdown_privilege(bool assigned);
// ExitWindowsEx refuses every restart (as when another program vetoes it).
void fail_restart(bool fail = true);
// Runs at each restart request, before it is answered: lets a test look at
// the registry as it was when Windows was asked to restart.
void on_restart(std::function<void()> hook);

// How often the privilege was asked for, and a restart.
int privilege_requests();
int restart_requests();

}  // namespace sim

#pragma once

#include <chrono>
#include <optional>

namespace lanzhou::platform {

// How long an answer of the system stands, and how long a question to the
// session bus may take.
inline constexpr std::chrono::seconds kDoNotDisturbLifetime{2};
inline constexpr std::chrono::milliseconds kDoNotDisturbCallLimit{200};

// Whether the desktop asks programs to keep their notifications back (its
// do-not-disturb). The system is asked at most once in kDoNotDisturbLifetime;
// in between, its last answer stands. One thread at a time.
[[nodiscard]] bool desktopDoNotDisturb();

// For tests: while set, desktopDoNotDisturb() gives `state` and asks nothing;
// nullopt asks the system again at the next call.
void overrideDesktopDoNotDisturb(std::optional<bool> state);

// The system's answer now, without the cache or the override. On Windows the
// user notification state: busy (a full-screen application), a full-screen
// Direct3D application, presentation mode or quiet time count as on.
// Elsewhere the Inhibited property of the session's notification service
// (org.freedesktop.Notifications), asked over the session bus without
// starting a service that does not run and waiting at most
// kDoNotDisturbCallLimit; no session bus, no service, no such property or no
// answer in time count as off, and a bus that left a question unanswered is
// not asked again for a minute.
[[nodiscard]] bool askDesktopDoNotDisturb();

}  // namespace lanzhou::platform

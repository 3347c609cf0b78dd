// Whether the tests run under Wine, which (running as root here) neither
// enforces the read-only attribute nor keeps creation times. Checks of that
// real-Windows behaviour are skipped under Wine only.
#pragma once

namespace testing_support {

// True when ntdll exports wine_get_version; always false in the sandbox.
bool RunningUnderWine();

}  // namespace testing_support

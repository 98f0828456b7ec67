// Asking Windows to restart. Only a program's restart seam calls this: tests never reach it.
#pragma once

namespace install {

// Obtains the shutdown privilege the platform requires (its result is not used), then asks Windows to
// restart with the reboot flag alone: no force flag, no reason code. The request's result is not used.
void RequestWindowsRestart();

} // namespace install

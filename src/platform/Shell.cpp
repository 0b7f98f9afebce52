#include "platform/Shell.h"

#include "platform/ServiceSlot.h"

namespace platform {

namespace {
TServiceSlot<Shell> gShell;
}

void SetShell(Shell* shell) { gShell.Set(shell); }
Shell& TheShell() { return gShell.Get(); }

}  // namespace platform

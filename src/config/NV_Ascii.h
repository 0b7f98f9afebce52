// The A-Z case rules live in base/Ascii.h. This header remains only for the control layer,
// which still names the comparison through config; it goes once that layer includes base's.
#pragma once

#include "base/Ascii.h"

namespace config {

using base::SameTextAscii;

}  // namespace config

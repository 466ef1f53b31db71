#pragma once

#include "pulse_server.h"

namespace tactoria::testing {
// The private server this test process plays to; null when none could be started.
extern PulseServer* g_pulse;
}  // namespace tactoria::testing

// The engine run: the fifteen phases in their order.
#pragma once

#include "console.h"
#include "run_state.h"

namespace drevik {

// One simulation in the working folder; returns the exit status (0 after a complete
// run, 1 after a failure, whose message has been written to the console).
int run_engine(RunState& state, Console& console);

}  // namespace drevik

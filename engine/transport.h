// The history loop: source, flights, escapes, interaction choice, rotation.
#pragma once

#include "run_state.h"

namespace drevik {

class Console;

// Runs every photon history of the run, one progress line per bin on the console.
// Reads the start time into state.start_time before the first bin.
void run_transport(RunState& state, Console& console);

}  // namespace drevik

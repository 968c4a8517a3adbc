// The CSV results file: ten condition lines, the headings, one row per bin.
#pragma once

#include <string>

#include "run_state.h"

namespace drevik {

// Forms the totals (kind 3) and writes the file through a temporary file that is
// renamed over the final name. Throws InputError (file, the system's reason) on failure.
void write_results_file(RunState& state);

}  // namespace drevik

#include "results_file.h"

namespace drevik {

// Placeholder until the results writer lands.
void write_results_file(RunState& /*state*/) {}

}  // namespace drevik

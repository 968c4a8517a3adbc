#include "counters.h"

namespace drevik {

// Placeholder until the counters land.
int tally_bin(float energy_kev) { return static_cast<int>(energy_kev * 2.0F - 0.001F) + 1; }

void score_segment(const Point& /*start*/, const Point& /*end*/, float /*energy_kev*/, int /*kind*/,
                   Tallies& /*tallies*/) {}

}  // namespace drevik

// The six counter spheres on the axis and the tallies of the flights through them.
#pragma once

#include "run_state.h"

namespace drevik {

// Counter depths in cm, depth index 1..6.
constexpr float kCounterDepthCm[kDepthCount + 1] = {0.0F, 0.0F, 2.0F, 5.0F, 10.0F, 15.0F, 20.0F};
constexpr float kCounterRadiusSquaredCm2 = 0.25F;

// The bin a photon of energy E is counted in: trunc(E x 2.0 - 0.001) + 1.
int tally_bin(float energy_kev);

struct Point {
  float x = 0.0F;
  float y = 0.0F;
  float z = 0.0F;
};

// Counts the flight from start to end once at every depth whose sphere it passes.
void score_segment(const Point& start, const Point& end, float energy_kev, int kind, Tallies& tallies);

}  // namespace drevik

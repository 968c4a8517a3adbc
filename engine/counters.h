// The six counter spheres on the beam axis and the tallies of the flights through them.
#pragma once

#include "run_state.h"

namespace drevik {

// Counter depths in cm, depth index 1..6 (element 0 unused).
constexpr float kCounterDepthCm[kDepthCount + 1] = {0.0F, 0.0F, 2.0F, 5.0F, 10.0F, 15.0F, 20.0F};
constexpr float kCounterRadiusCm = 0.5F;
constexpr double kCounterRadiusSquaredCm2 = 0.25;

// The bin a photon of energy E is counted in: trunc(E x 2.0 - 0.001) + 1.
int tally_bin(float energy_kev);

struct Point {
  float x = 0.0F;
  float y = 0.0F;
  float z = 0.0F;
};

// Whether the closed segment from start to end comes within the counter radius of the
// centre (0, 0, depth_cm): the closest point of the segment, in double precision.
bool segment_meets_counter(const Point& start, const Point& end, float depth_cm);

// Counts the flight from start to end once at every depth whose sphere it meets, under
// its kind (kPrimary or kScatter) and the bin of its energy.
void score_segment(const Point& start, const Point& end, float energy_kev, int kind, Tallies& tallies);

}  // namespace drevik

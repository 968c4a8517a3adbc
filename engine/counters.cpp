#include "counters.h"

#include <algorithm>

namespace drevik {

namespace {

// Slack of the quick rejections below, far above any rounding of the exact test, so
// that they never drop a flight the exact test would count.
constexpr float kRejectionMarginCm = 1.0e-3F;
constexpr float kReachCm = kCounterRadiusCm + kRejectionMarginCm;

}  // namespace

int tally_bin(float energy_kev) { return static_cast<int>(energy_kev * 2.0F - 0.001F) + 1; }

bool segment_meets_counter(const Point& start, const Point& end, float depth_cm) {
  const double x0 = start.x;
  const double y0 = start.y;
  const double z0 = static_cast<double>(start.z) - static_cast<double>(depth_cm);
  const double dx = static_cast<double>(end.x) - x0;
  const double dy = static_cast<double>(end.y) - y0;
  const double dz = static_cast<double>(end.z) - static_cast<double>(depth_cm) - z0;
  const double length_squared = dx * dx + dy * dy + dz * dz;
  // Parameter of the point of the line nearest the centre, clamped to the segment.
  double t = 0.0;
  if (length_squared > 0.0) t = std::clamp(-(x0 * dx + y0 * dy + z0 * dz) / length_squared, 0.0, 1.0);
  const double cx = x0 + t * dx;
  const double cy = y0 + t * dy;
  const double cz = z0 + t * dz;
  return cx * cx + cy * cy + cz * cz <= kCounterRadiusSquaredCm2;
}

void score_segment(const Point& start, const Point& end, float energy_kev, int kind, Tallies& tallies) {
  // Every sphere lies on the axis: a flight whose box stays clear of the axis meets none.
  if (std::min(start.x, end.x) > kReachCm || std::max(start.x, end.x) < -kReachCm) return;
  if (std::min(start.y, end.y) > kReachCm || std::max(start.y, end.y) < -kReachCm) return;
  const float z_low = std::min(start.z, end.z) - kReachCm;
  const float z_high = std::max(start.z, end.z) + kReachCm;
  int bin = 0;
  for (int depth = 1; depth <= kDepthCount; ++depth) {
    const float depth_cm = kCounterDepthCm[depth];
    if (depth_cm < z_low || depth_cm > z_high) continue;
    if (!segment_meets_counter(start, end, depth_cm)) continue;
    if (bin == 0) bin = tally_bin(energy_kev);
    tallies.counter_tally[depth][kind][bin] += 1.0;
  }
}

}  // namespace drevik

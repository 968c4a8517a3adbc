// The counter spheres: the bin of a count, which flights meet a sphere, and scoring.
#include <gtest/gtest.h>

#include <memory>

#include "counters.h"
#include "random.h"

namespace drevik {
namespace {

TEST(TallyBin, PutsEachEnergyInItsHalfKevBin) {
  const struct {
    float energy_kev;
    int bin;
  } cases[] = {{30.2F, 61}, {30.0F, 60}, {30.0004F, 60}, {30.0006F, 61}, {2.0F, 4}, {0.5F, 1}, {300.0F, 600}};
  for (const auto& c : cases) EXPECT_EQ(tally_bin(c.energy_kev), c.bin) << c.energy_kev;
}

TEST(SegmentMeetsCounter, CountsExactlyTheSegmentsThatComeWithinTheRadius) {
  const struct {
    const char* what;
    Point start;
    Point end;
    float depth_cm;
    bool meets;
  } cases[] = {
      // Its line passes the sphere, and it crosses z = 10 at x = 3, far from the sphere.
      {"line meets, segment does not", {2.0F, 0.12F, 10.1F}, {4.0F, 0.14F, 9.9F}, 10.0F, false},
      // A chord cutting a cap within one octant: its middle (0.3, 0.3, 10.2) is inside.
      {"octant chord", {0.1F, 0.5F, 10.15F}, {0.5F, 0.1F, 10.25F}, 10.0F, true},
      {"along the axis", {0.0F, 0.0F, 1.0F}, {0.0F, 0.0F, 3.0F}, 2.0F, true},
      {"in a plane z = const", {-3.0F, 0.2F, 5.0F}, {3.0F, 0.2F, 5.0F}, 5.0F, true},
      {"tangent at exactly the radius", {0.5F, -1.0F, 10.0F}, {0.5F, 1.0F, 10.0F}, 10.0F, true},
      {"ends on the surface", {0.0F, 0.0F, 8.0F}, {0.0F, 0.0F, 9.5F}, 10.0F, true},
      {"ends just short", {0.0F, 0.0F, 8.0F}, {0.0F, 0.0F, 9.49F}, 10.0F, false},
      {"starts inside, leaves", {0.1F, 0.1F, 15.1F}, {7.0F, -3.0F, 25.0F}, 15.0F, true},
      {"wholly inside", {0.1F, 0.0F, 20.0F}, {0.1F, 0.1F, 20.1F}, 20.0F, true},
      {"zero length inside", {0.1F, 0.1F, 2.0F}, {0.1F, 0.1F, 2.0F}, 2.0F, true},
      {"long chord far from its ends", {-100.0F, 0.3F, 10.0F}, {100.0F, 0.3F, 10.0F}, 10.0F, true},
      {"passes beside", {-100.0F, 0.51F, 10.0F}, {100.0F, 0.51F, 10.0F}, 10.0F, false},
      // The outer half of the depth-0 sphere, by a photon leaving through the entrance face.
      {"leaves through the entrance", {0.3F, 0.0F, 2.0F}, {0.3F, 0.0F, -1.0F}, 0.0F, true},
  };
  for (const auto& c : cases) EXPECT_EQ(segment_meets_counter(c.start, c.end, c.depth_cm), c.meets) << c.what;
}

TEST(ScoreSegment, CountsOncePerDepthUnderKindAndBin) {
  auto tallies = std::make_unique<Tallies>();
  // Along the axis through every sphere, both directions, as primary then scatter.
  score_segment({0.0F, 0.0F, -1.0F}, {0.0F, 0.0F, 21.0F}, 60.0F, kPrimary, *tallies);
  score_segment({0.0F, 0.1F, 25.0F}, {0.0F, 0.0F, 4.0F}, 30.2F, kScatter, *tallies);
  for (int depth = 1; depth <= kDepthCount; ++depth) {
    EXPECT_EQ(tallies->counter_tally[depth][kPrimary][120], 1.0) << depth;
    EXPECT_EQ(tallies->counter_tally[depth][kScatter][61], depth >= 3 ? 1.0 : 0.0) << depth;
  }
  double everything = 0.0;
  for (const auto& depth : tallies->counter_tally)
    for (const auto& kind : depth)
      for (const double count : kind) everything += count;
  EXPECT_EQ(everything, 6.0 + 4.0);
}

TEST(ScoreSegment, QuickRejectionsNeverDropAFlightTheExactTestCounts) {
  auto tallies = std::make_unique<Tallies>();
  RandomGenerator generator;
  seed_generator(generator);
  auto coordinate = [&](float half_width, float centre) {
    return (draw_uniform(generator) - 0.5F) * 2.0F * half_width + centre;
  };
  double expected[kDepthCount + 1] = {};
  for (int i = 0; i < 200000; ++i) {
    // Segments around the spheres, some long, some short, many grazing.
    const float reach = i % 3 == 0 ? 0.7F : 3.0F;
    const Point start{coordinate(reach, 0.0F), coordinate(reach, 0.0F), coordinate(12.0F, 10.0F)};
    const Point end{coordinate(reach, 0.0F), coordinate(reach, 0.0F), start.z + coordinate(1.5F, 0.0F)};
    score_segment(start, end, 50.0F, kScatter, *tallies);
    for (int depth = 1; depth <= kDepthCount; ++depth) {
      if (segment_meets_counter(start, end, kCounterDepthCm[depth])) expected[depth] += 1.0;
    }
  }
  for (int depth = 1; depth <= kDepthCount; ++depth) {
    EXPECT_GT(expected[depth], 1000.0);
    EXPECT_EQ(tallies->counter_tally[depth][kScatter][tally_bin(50.0F)], expected[depth]) << depth;
  }
}

}  // namespace
}  // namespace drevik

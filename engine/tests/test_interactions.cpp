// Incoherent and coherent scattering: Kahn's branches and ties, the draws each step
// takes, the angle of a cosine, and the sampled distributions against their targets.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

#include "interactions.h"
#include "random.h"

namespace drevik {
namespace {

constexpr float kTopMomentumTransfer = 12.0F;  // 1/A, row 45

// Rows x_k = (k - 1) x 12 / 44; the cumulative rises linearly with x (uniform momentum
// transfer); S(x) as given.
template <typename IncoherentFunction>
FormFactorTable linear_table(IncoherentFunction s_of_x) {
  FormFactorTable table;
  for (int k = 1; k <= kFormFactorRows; ++k) {
    const float x = static_cast<float>(k - 1) * kTopMomentumTransfer / 44.0F;
    table.momentum_transfer[k] = x;
    table.coherent_cumulative[k] = x;
    table.incoherent_function[k] = s_of_x(x);
  }
  table.coherent_cumulative_total = table.coherent_cumulative[kFormFactorRows];
  table.incoherent_function_max = table.incoherent_function[kFormFactorRows];
  return table;
}

// The row index of a table, as the transport prepares it.
TransportTables index_of(const FormFactorTable& table) {
  TransportTables tables;
  prepare_scattering_index(table, tables);
  return tables;
}

FormFactorTable no_binding_table() {
  return linear_table([](float) { return 1.0F; });
}

// S = 0 up to 1 1/A, then 1: every binding test below 1 1/A is a tie at r = 0.
FormFactorTable step_binding_table() {
  return linear_table([](float x) { return x < 1.0F ? 0.0F : 1.0F; });
}

// Makes the next draws return the given table values m (deviate m / 16384.1): with
// table(j) = 0 the update leaves table(k) = m. Good for up to 23 draws.
RandomGenerator scripted(std::initializer_list<int> values) {
  RandomGenerator generator;
  generator.j = 24;
  generator.k = kGeneratorTableSize;
  int j = 24;
  int k = kGeneratorTableSize;
  for (const int value : values) {
    generator.table[j--] = 0;
    generator.table[k--] = value;
  }
  return generator;
}

int draws_taken(const RandomGenerator& generator) { return kGeneratorTableSize - generator.k; }

float deviate(int value) { return static_cast<float>(value) / kGeneratorDivisor; }

// A table value whose deviate exceeds every branch share (p < 0.22).
constexpr int kHigh = 16000;

TEST(KahnBranchShare, MatchesTheTabulatedValues) {
  EXPECT_NEAR(kahn_branch_share(2.0F), 0.1119F, 5e-5F);
  EXPECT_NEAR(kahn_branch_share(100.0F), 0.1482F, 5e-5F);
  EXPECT_NEAR(kahn_branch_share(300.0F), 0.2137F, 5e-5F);
}

TEST(ScatteringAngle, CoversTheWholeRangeIncludingBackscatter) {
  EXPECT_EQ(scattering_angle_from_cosine(0.0F), kPi * 0.5F);
  EXPECT_FLOAT_EQ(scattering_angle_from_cosine(0.5F), 1.0471976F);
  EXPECT_FLOAT_EQ(scattering_angle_from_cosine(-0.5F), 2.0943951F);
  EXPECT_EQ(scattering_angle_from_cosine(1.0F), 0.0F);
  EXPECT_EQ(scattering_angle_from_cosine(1.0000001F), 0.0F);
  // Exactly -1 (and rounding below it) is backscatter, not forward scatter.
  EXPECT_EQ(scattering_angle_from_cosine(-1.0F), kPi);
  EXPECT_EQ(scattering_angle_from_cosine(-1.0000001F), kPi);
}

TEST(SampleIncoherent, ForwardScatterKeepsTheEnergyAndTakesTheBindingDraw) {
  // Branch 1 with r2 = 0 gives xi = 1 (accepted for any r3); x = 0 takes the binding
  // draw, S(0) = 0 against r = 0 is a tie, which accepts.
  const FormFactorTable table = step_binding_table();
  RandomGenerator generator = scripted({kHigh, 0, 5000, 0});
  const IncoherentResult result = sample_incoherent(60.0F, table, index_of(table), generator);
  EXPECT_EQ(draws_taken(generator), 4);
  EXPECT_EQ(result.energy_kev, 60.0F);
  EXPECT_EQ(result.angle.cos_theta, 1.0F);
  EXPECT_EQ(result.angle.sin_theta, 0.0F);
}

TEST(SampleIncoherent, TiesAndRejectionsTakeTheDrawsInOrder) {
  const FormFactorTable table = step_binding_table();
  struct Case {
    const char* what;
    std::initializer_list<int> draws;
    int expected_draws;
  };
  const Case cases[] = {
      // Branch 2 with r2 = 0: Kahn value 0 equal to r3 = 0 rejects; the next attempt is
      // the forward scatter above.
      {"Kahn tie rejects", {0, 0, 0, kHigh, 0, 0, 0}, 7},
      // Forward scatter whose binding test S(0) = 0 < r rejects: a new Kahn attempt follows.
      {"binding rejects", {kHigh, 0, 0, 1, kHigh, 0, 0, 0}, 8},
  };
  for (const Case& c : cases) {
    RandomGenerator generator = scripted(c.draws);
    const IncoherentResult result = sample_incoherent(60.0F, table, index_of(table), generator);
    EXPECT_EQ(draws_taken(generator), c.expected_draws) << c.what;
    EXPECT_EQ(result.angle.cos_theta, 1.0F) << c.what;
  }
}

TEST(SampleIncoherent, FirstDeviateEqualToTheShareTakesTheSecondBranch) {
  // An energy whose branch share is exactly a deviate value.
  const int value = 2428;  // deviate 0.148193...
  float energy = 99.0F;
  while (kahn_branch_share(energy) < deviate(value)) energy = std::nextafter(energy, 200.0F);
  ASSERT_EQ(kahn_branch_share(energy), deviate(value)) << energy;
  // r2 = 0: branch 1 would accept xi = 1 at once (4 draws with the binding draw); branch
  // 2 rejects its Kahn value 0 and needs the second attempt (7 draws).
  const FormFactorTable table = step_binding_table();
  const TransportTables tables = index_of(table);
  RandomGenerator generator = scripted({value, 0, 0, kHigh, 0, 0, 0});
  (void)sample_incoherent(energy, table, tables, generator);
  EXPECT_EQ(draws_taken(generator), 7);
}

TEST(SampleIncoherent, AboveTheBindingLimitTakesNoBindingDraw) {
  // Branch 2 with r2 near 1 at 300 keV: xi near 1 + 2 / lambda, backscatter, x > 10 1/A.
  const FormFactorTable table = step_binding_table();
  RandomGenerator generator = scripted({0, 16383, 0});
  const IncoherentResult result = sample_incoherent(300.0F, table, index_of(table), generator);
  EXPECT_EQ(draws_taken(generator), 3);
  EXPECT_LT(result.angle.cos_theta, -0.99F);
  EXPECT_NEAR(result.energy_kev, 300.0F / (1.0F + 600.0F / 511.0F), 0.05F);
}

// Klein-Nishina cross-section per unit cosine, for the expected mean cosine.
double klein_nishina(double energy_kev, double cosine) {
  const double ratio = 1.0 / (1.0 + energy_kev / 511.0 * (1.0 - cosine));  // E'/E
  return ratio * ratio * (ratio + 1.0 / ratio - (1.0 - cosine * cosine));
}

TEST(SampleIncoherent, FollowsKleinNishinaAndTheComptonRelation) {
  const FormFactorTable table = no_binding_table();
  const TransportTables tables = index_of(table);
  RandomGenerator generator;
  seed_generator(generator);
  for (const float energy : {20.0F, 100.0F, 300.0F}) {
    double weighted = 0.0;
    double weight = 0.0;
    for (int i = 0; i <= 2000; ++i) {
      const double c = -1.0 + i / 1000.0;
      const double simpson = (i == 0 || i == 2000) ? 1.0 : (i % 2 == 1 ? 4.0 : 2.0);
      weighted += simpson * c * klein_nishina(energy, c);
      weight += simpson * klein_nishina(energy, c);
    }
    const double expected_mean = weighted / weight;
    constexpr int kEvents = 100000;
    double sum = 0.0;
    for (int i = 0; i < kEvents; ++i) {
      const IncoherentResult result = sample_incoherent(energy, table, tables, generator);
      const float c = result.angle.cos_theta;
      ASSERT_LE(std::fabs(c * c + result.angle.sin_theta * result.angle.sin_theta - 1.0F), 1e-6F);
      ASSERT_GE(result.angle.sin_theta, 0.0F);
      ASSERT_NEAR(result.energy_kev, energy / (1.0F + energy / 511.0F * (1.0F - c)), 1e-4F * energy);
      sum += c;
    }
    // Standard deviation of a cosine is below 0.6.
    EXPECT_NEAR(sum / kEvents, expected_mean, 4.0 * 0.6 / std::sqrt(kEvents)) << energy << " keV";
  }
}

TEST(SampleIncoherent, BindingSuppressesSmallMomentumTransfers) {
  // S(x) = 0 up to the row at 3 x 12 / 44 = 0.818 1/A: at 20 keV an event with a smaller
  // momentum transfer sin(theta/2) x 20 / 12.4 passes the binding test only on the tie
  // with a deviate of exactly 0 (1 in 16384).
  const FormFactorTable table = step_binding_table();
  const float last_zero_row = table.momentum_transfer[4];
  const TransportTables tables = index_of(table);
  RandomGenerator generator;
  seed_generator(generator);
  constexpr int kEvents = 20000;
  int below = 0;
  for (int i = 0; i < kEvents; ++i) {
    const IncoherentResult result = sample_incoherent(20.0F, table, tables, generator);
    const float half_angle_sine = std::sqrt((1.0F - result.angle.cos_theta) * 0.5F);
    if (half_angle_sine * 20.0F / 12.4F < last_zero_row * 0.9999F) ++below;
  }
  EXPECT_LT(below, kEvents / 200);
}

TEST(SampleCoherent, TieOfTheThomsonFactorAccepts) {
  const FormFactorTable table = no_binding_table();
  const TransportTables tables = index_of(table);
  // Find a first draw whose cosine gives 1 + cos^2 equal to twice some deviate.
  for (int first = 1; first < 16384; ++first) {
    RandomGenerator probe = scripted({first, 0});
    const float cosine = sample_coherent(150.0F, table, tables, probe).cos_theta;
    if (draws_taken(probe) != 2) continue;
    const float target = 1.0F + cosine * cosine;
    const int second = static_cast<int>(target * 0.5F * kGeneratorDivisor);
    for (int candidate = second - 1; candidate <= second + 1; ++candidate) {
      if (candidate < 0 || candidate > 16383 || 2.0F * deviate(candidate) != target) continue;
      RandomGenerator tie = scripted({first, candidate});
      EXPECT_EQ(sample_coherent(150.0F, table, tables, tie).cos_theta, cosine);
      EXPECT_EQ(draws_taken(tie), 2) << "a tie accepts";
      RandomGenerator above = scripted({first, candidate + 1, first, 0});
      (void)sample_coherent(150.0F, table, tables, above);
      EXPECT_EQ(draws_taken(above), 4) << "just above rejects";
      return;
    }
  }
  FAIL() << "no tie found";
}

TEST(SampleCoherent, RedrawsMomentumTransfersTheEnergyCannotGive) {
  const FormFactorTable table = no_binding_table();
  // At 2 keV only x <= 2 / 12.4 = 0.1613 1/A is possible: y = r x 12 above it is redrawn.
  RandomGenerator generator = scripted({8000, 100, 0});
  const ScatteringAngle angle = sample_coherent(2.0F, table, index_of(table), generator);
  EXPECT_EQ(draws_taken(generator), 3);
  const float half_angle_sine = deviate(100) * 12.0F * 12.4F / 2.0F;
  EXPECT_FLOAT_EQ(angle.cos_theta, 1.0F - 2.0F * half_angle_sine * half_angle_sine);
}

TEST(SampleCoherent, FollowsTheFormFactorTimesTheThomsonFactor) {
  // Uniform momentum transfer up to 12 1/A; at E = 12 x 12.4 keV sin(theta/2) is uniform
  // on [0, 1], so cos = 1 - 2 s^2 with weight 1 + cos^2.
  const FormFactorTable table = no_binding_table();
  const float energy = kTopMomentumTransfer * 12.4F;
  const TransportTables tables = index_of(table);
  double weighted = 0.0;
  double weight = 0.0;
  for (int i = 0; i <= 2000; ++i) {
    const double s = i / 2000.0;
    const double c = 1.0 - 2.0 * s * s;
    const double simpson = (i == 0 || i == 2000) ? 1.0 : (i % 2 == 1 ? 4.0 : 2.0);
    weighted += simpson * c * (1.0 + c * c);
    weight += simpson * (1.0 + c * c);
  }
  RandomGenerator generator;
  seed_generator(generator);
  constexpr int kEvents = 100000;
  double sum = 0.0;
  for (int i = 0; i < kEvents; ++i) {
    const ScatteringAngle angle = sample_coherent(energy, table, tables, generator);
    ASSERT_GE(angle.cos_theta, -1.0F);
    ASSERT_LE(angle.cos_theta, 1.0F);
    sum += angle.cos_theta;
  }
  EXPECT_NEAR(sum / kEvents, weighted / weight, 4.0 * 0.7 / std::sqrt(kEvents));
}

TEST(ScatteringIndex, FindsTheSameRowsAsAScanFromRowTwo) {
  // Rows crowded at small x and a cumulative with flat stretches, as real tables have.
  FormFactorTable table;
  for (int k = 1; k <= kFormFactorRows; ++k) {
    const float x = 12.0F * std::pow(static_cast<float>(k - 1) / 44.0F, 2.5F);
    table.momentum_transfer[k] = x;
    table.coherent_cumulative[k] = std::floor(20.0F * (1.0F - std::exp(-3.0F * x))) / 20.0F;
    table.incoherent_function[k] = 1.0F - std::exp(-2.0F * x);
  }
  table.coherent_cumulative_total = table.coherent_cumulative[kFormFactorRows];
  table.incoherent_function_max = table.incoherent_function[kFormFactorRows];
  const TransportTables indexed = index_of(table);
  const TransportTables unindexed;  // every search starts at row 2
  RandomGenerator a;
  seed_generator(a);
  RandomGenerator b = a;
  for (int i = 0; i < 50000; ++i) {
    const float energy = 2.0F + static_cast<float>(i % 299);
    const IncoherentResult x = sample_incoherent(energy, table, indexed, a);
    const IncoherentResult y = sample_incoherent(energy, table, unindexed, b);
    ASSERT_EQ(x.energy_kev, y.energy_kev);
    ASSERT_EQ(x.angle.cos_theta, y.angle.cos_theta);
    const ScatteringAngle u = sample_coherent(energy, table, indexed, a);
    const ScatteringAngle v = sample_coherent(energy, table, unindexed, b);
    ASSERT_EQ(u.cos_theta, v.cos_theta);
    ASSERT_EQ(u.sin_theta, v.sin_theta);
  }
}

}  // namespace
}  // namespace drevik

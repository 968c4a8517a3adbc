// The photon transport: coefficients, direction changes, the bin loop, and the physics
// of whole runs (primary attenuation, scatter trends, determinism, the golden file).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <vector>

#include "console.h"
#include "counters.h"
#include "data_tables.h"
#include "engine_test_support.h"
#include "incident_spectrum.h"
#include "random.h"
#include "results_file.h"
#include "run_conditions.h"
#include "transport.h"

namespace drevik {
namespace {

using drevik::testing::read_file;
using drevik::testing::ScratchFolder;

// A water-like material: energies in keV with coherent, incoherent, photoelectric (1/cm).
void fill_water_like(MaterialTables& material, float incoherent_scale = 1.0F) {
  const float records[][4] = {
      {1.0F, 1.0F, 0.01F, 4000.0F},        {2.0F, 0.7F, 0.04F, 600.0F},        {5.0F, 0.4F, 0.1F, 40.0F},
      {10.0F, 0.23F, 0.155F, 4.94F},       {20.0F, 0.075F, 0.178F, 0.54F},     {30.0F, 0.038F, 0.184F, 0.15F},
      {40.0F, 0.022F, 0.182F, 0.058F},     {50.0F, 0.015F, 0.178F, 0.028F},    {60.0F, 0.01F, 0.173F, 0.015F},
      {80.0F, 0.0062F, 0.164F, 0.0063F},   {100.0F, 0.0041F, 0.156F, 0.0031F}, {150.0F, 0.0019F, 0.141F, 0.0008F},
      {200.0F, 0.0011F, 0.129F, 0.00033F}, {300.0F, 0.0005F, 0.112F, 0.0001F}, {400.0F, 0.0003F, 0.1F, 0.00004F},
  };
  auto& table = material.interaction;
  table.record_count = 0;
  for (const auto& r : records) {
    InteractionRecord& record = table.records[++table.record_count];
    record.energy_kev = r[0];
    record.coherent = r[1];
    record.incoherent = r[2] * incoherent_scale;
    record.photoelectric = r[3];
  }
  auto& ff = material.form_factor;
  for (int k = 1; k <= kFormFactorRows; ++k) {
    const float x = static_cast<float>(k - 1) * 12.0F / 44.0F;
    ff.momentum_transfer[k] = x;
    ff.coherent_cumulative[k] = 1.0F - std::exp(-4.0F * x);
    ff.incoherent_function[k] = 1.0F - std::exp(-3.0F * x);
  }
  ff.coherent_cumulative_total = ff.coherent_cumulative[kFormFactorRows];
  ff.incoherent_function_max = ff.incoherent_function[kFormFactorRows];
}

// A run of the front end's default geometry on the water-like material, with the given
// photons started per bin.
std::unique_ptr<RunState> synthetic_run(float tube_voltage_kv, float field_photon_count) {
  auto state = std::make_unique<RunState>();
  seed_generator(state->generator);
  state->conditions.tube_voltage_kv = tube_voltage_kv;
  state->conditions.field_diameter_cm = 10.0F;
  state->derived.field_photon_count = field_photon_count;
  fill_water_like(state->material);
  return state;
}

Console silent_console() { return Console(nullptr, nullptr, Charset::Utf8); }

double sum_bins(const BinCountArray& counts) {
  double total = 0.0;
  for (const double count : counts) total += count;
  return total;
}

TEST(InteractionShares, InterpolatesLogLogFromTheRecordAbove) {
  MaterialTables material;
  fill_water_like(material);
  // At a tabulated energy the interval above it is used, with t = 0: the record itself.
  const InteractionShares at_20 = interaction_shares(material.interaction, 20.0F);
  EXPECT_FLOAT_EQ(at_20.total_per_cm, 0.075F + 0.178F + 0.54F);
  EXPECT_FLOAT_EQ(at_20.photoelectric_share, 0.54F / (0.075F + 0.178F + 0.54F));
  EXPECT_FLOAT_EQ(at_20.absorbing_or_coherent_share, (0.54F + 0.075F) / (0.075F + 0.178F + 0.54F));
  // At the geometric mean of two energies each coefficient is the geometric mean.
  const InteractionShares mid = interaction_shares(material.interaction, std::sqrt(100.0F * 150.0F));
  const double photoelectric = std::sqrt(0.0031 * 0.0008);
  const double total = std::sqrt(0.0041 * 0.0019) + std::sqrt(0.156 * 0.141) + photoelectric;
  EXPECT_NEAR(mid.total_per_cm, total, 2e-6 * total);
  EXPECT_NEAR(mid.photoelectric_share, photoelectric / total, 1e-5);
  // Just below a record the interval below it is used.
  EXPECT_NEAR(interaction_shares(material.interaction, std::nextafter(20.0F, 0.0F)).total_per_cm, at_20.total_per_cm,
              1e-4);
}

TEST(InteractionShares, TheLookupTablesGiveTheDirectValuesBitForBit) {
  MaterialTables material;
  fill_water_like(material);
  auto tables = std::make_unique<TransportTables>();
  prepare_transport_tables(material, *tables);
  RandomGenerator generator;
  seed_generator(generator);
  std::vector<float> energies = {2.0F, 10.0F, 20.0F, 300.0F, std::nextafter(20.0F, 0.0F), std::nextafter(20.0F, 30.0F)};
  for (int bin = 4; bin <= kEnergyBinCount; ++bin) energies.push_back(static_cast<float>(bin) * 0.5F);
  for (int i = 0; i < 100000; ++i) energies.push_back(2.0F + 298.0F * draw_uniform(generator));
  for (const float energy : energies) {
    const InteractionShares direct = interaction_shares(material.interaction, energy);
    const InteractionShares looked_up = interaction_shares(material.interaction, *tables, energy);
    ASSERT_EQ(direct.total_per_cm, looked_up.total_per_cm) << energy;
    ASSERT_EQ(direct.photoelectric_share, looked_up.photoelectric_share) << energy;
    ASSERT_EQ(direct.absorbing_or_coherent_share, looked_up.absorbing_or_coherent_share) << energy;
  }
}

Point unit_vector(const Direction& d) { return {d.sin_theta * d.cos_phi, d.sin_theta * d.sin_phi, d.cos_theta}; }

TEST(RotateDirection, TurnsByTheScatteringAngleAndStaysUnit) {
  RandomGenerator generator;
  seed_generator(generator);
  double worst_angle = 0.0;
  for (int i = 0; i < 100000; ++i) {
    Direction flight;
    flight.cos_theta = 2.0F * draw_uniform(generator) - 1.0F;
    if (i % 10 == 0) flight.cos_theta = 1.0F - 1e-6F * draw_uniform(generator);  // nearly along the axis
    flight.sin_theta = std::sqrt(1.0F - flight.cos_theta * flight.cos_theta);
    const float phi = draw_uniform(generator) * 2.0F * kPi;
    flight.cos_phi = std::cos(phi);
    flight.sin_phi = std::sin(phi);
    const float scatter = draw_uniform(generator) * kPi;
    const float psi = draw_uniform(generator) * 2.0F * kPi;
    const Direction turned =
        rotate_direction(flight, std::cos(scatter), std::sin(scatter), std::cos(psi), std::sin(psi));
    ASSERT_GE(turned.cos_theta, -1.0F);
    ASSERT_LE(turned.cos_theta, 1.0F);
    ASSERT_NEAR(turned.cos_phi * turned.cos_phi + turned.sin_phi * turned.sin_phi, 1.0F, 1e-6F);
    const Point a = unit_vector(flight);
    const Point b = unit_vector(turned);
    const double dot = double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
    if (flight.sin_theta > 1e-2F) worst_angle = std::max(worst_angle, std::fabs(dot - std::cos(scatter)));
  }
  EXPECT_LT(worst_angle, 1e-4);
}

TEST(RotateDirection, HandlesTheAxisDirections) {
  const Direction along_axis;  // cos theta = 1, sin theta = 0
  // From the axis the new azimuth is (-cos psi, sin psi).
  const Direction turned = rotate_direction(along_axis, 0.0F, 1.0F, 0.6F, 0.8F);
  EXPECT_FLOAT_EQ(turned.cos_theta, 0.0F);
  EXPECT_FLOAT_EQ(turned.cos_phi, -0.6F);
  EXPECT_FLOAT_EQ(turned.sin_phi, 0.8F);
  // Straight back along the axis: sin theta' = 0 gives the azimuth (1, 0).
  const Direction back = rotate_direction(along_axis, -1.0F, 0.0F, 1.0F, 0.0F);
  EXPECT_EQ(back.cos_theta, -1.0F);
  EXPECT_EQ(back.cos_phi, 1.0F);
  EXPECT_EQ(back.sin_phi, 0.0F);
}

TEST(RunTransport, WritesOneProgressLinePerBinAndStartsTruncatedCounts) {
  auto state = synthetic_run(2.7F, 100.0F);  // 5 bins
  state->incident_spectrum[4] = 0.1297F;     // 12.97 photons: 12 histories
  state->incident_spectrum[5] = 0.0099F;     // 0.99 photons: none
  state->incident_spectrum[2] = 0.5F;        // 1.0 keV: entry draws only
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  Console console(out, nullptr, Charset::Utf8);
  const TransportTotals totals = run_transport(*state, console);
  std::rewind(out);
  std::string text;
  for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out)) text += static_cast<char>(c);
  std::fclose(out);
  std::string expected;
  for (int bin = 1; bin <= 5; ++bin) expected += "  ---           " + std::to_string(bin) + " /          5\n";
  EXPECT_EQ(text, expected);
  EXPECT_EQ(totals.histories, 50 + 12);
  // Only the 2 keV photons fly; the 1 keV ones end after their entry point.
  EXPECT_GE(totals.flights, 12);
  EXPECT_EQ(sum_bins(state->tallies.incident_count),
            state->tallies.incident_count[2] + state->tallies.incident_count[4]);
  EXPECT_GT(state->tallies.incident_count[2], 0.0);
  for (int depth = 1; depth <= kDepthCount; ++depth) {
    for (int kind = kPrimary; kind <= kScatter; ++kind) {
      EXPECT_EQ(state->tallies.counter_tally[depth][kind][2], 0.0);
      EXPECT_EQ(state->tallies.counter_tally[depth][kind][3], 0.0);
    }
  }
}

TEST(RunTransport, AnEmptyFieldStartsNothingAndDrawsNothing) {
  auto state = synthetic_run(150.0F, 0.0F);
  state->incident_spectrum[100] = 1.0F;
  const RandomGenerator before = state->generator;
  Console console = silent_console();
  const TransportTotals totals = run_transport(*state, console);
  EXPECT_EQ(totals.histories, 0);
  EXPECT_EQ(state->generator.table, before.table);
  EXPECT_EQ(state->generator.k, before.k);
}

// Makes the next draws return the given table values m (deviate m / 16384.1): with
// table(j) = 0 the update leaves table(k) = m. Draws past the script return 0.
RandomGenerator scripted(std::initializer_list<int> values) {
  RandomGenerator generator;
  int j = generator.j;
  int k = generator.k;
  for (const int value : values) {
    generator.table[j--] = 0;
    generator.table[k--] = value;
  }
  return generator;
}

TEST(RunTransport, OneHistoryTakesItsDrawsInOrder) {
  constexpr int kCentre = 8192;  // deviate 0.49999696: an entry point 3e-5 cm from the axis
  const struct {
    const char* what;
    int bin;
    float incoherent_scale;
    std::initializer_list<int> draws;
    int expected_draws;
    // Depths (1..6) at which the photon is counted, as a primary of tally_bin.
    std::vector<int> depths;
    int tally_bin;
  } cases[] = {
      // A corner of the square lies outside the field disc: the pair is drawn again. A 1 keV
      // photon is counted as incident and then ends without a flight.
      {"entry redrawn, 1 keV ends at once", 2, 1.0F, {0, 0, kCentre, kCentre}, 4, {}, 0},
      // A first flight deviate of 0 draws the pair again; the second pair's -ln(u) / mu is
      // 2.01 cm at 60 keV and its second deviate 0 absorbs the photon in the 2 cm sphere.
      {"flight pair redrawn", 120, 1.0F, {kCentre, kCentre, 0, 16000, 11000, 0}, 6, {1, 2}, 120},
      // 2.0 keV is transported; the incoherent event (second Kahn branch, xi = 1.0076, a
      // tie-accepted binding draw) leaves 1.985 keV, so no azimuth is drawn.
      {"no azimuth below 2 keV", 4, 1.0e5F, {kCentre, kCentre, 8000, 16000, 0, 16000, 0, 0}, 8, {1}, 4},
  };
  for (const auto& c : cases) {
    auto state = synthetic_run(150.0F, 1.0F);
    fill_water_like(state->material, c.incoherent_scale);
    state->incident_spectrum[c.bin] = 1.0F;
    state->generator = scripted(c.draws);
    Console console = silent_console();
    const TransportTotals totals = run_transport(*state, console);
    EXPECT_EQ(totals.histories, 1) << c.what;
    EXPECT_EQ(kGeneratorTableSize - state->generator.k, c.expected_draws) << c.what;
    EXPECT_EQ(sum_bins(state->tallies.incident_count), 1.0) << c.what;
    EXPECT_EQ(state->tallies.incident_count[c.bin], 1.0) << c.what;
    double counted = 0.0;
    for (const auto& depth : state->tallies.counter_tally)
      for (const auto& kind : depth) counted += sum_bins(kind);
    EXPECT_EQ(counted, static_cast<double>(c.depths.size())) << c.what;
    for (const int depth : c.depths) {
      EXPECT_EQ(state->tallies.counter_tally[depth][kPrimary][c.tally_bin], 1.0) << c.what << " depth " << depth;
    }
  }
}

// A monoenergetic run: counts in the source bin only, unless the photon has lost energy.
TEST(RunTransport, PrimariesAtTheSurfaceAreExactlyTheIncidentPhotons) {
  auto state = synthetic_run(150.0F, 200000.0F);
  state->incident_spectrum[120] = 0.6F;  // 60 keV
  state->incident_spectrum[40] = 0.4F;   // 20 keV
  Console console = silent_console();
  (void)run_transport(*state, console);
  const auto& tally = state->tallies.counter_tally;
  for (const int bin : {40, 120}) {
    EXPECT_GT(state->tallies.incident_count[bin], 400.0);
    // Every photon entering within 0.5 cm of the axis starts inside the depth-0 sphere.
    EXPECT_EQ(tally[1][kPrimary][bin], state->tallies.incident_count[bin]) << bin;
  }
  // Primaries keep their energy.
  for (int depth = 1; depth <= kDepthCount; ++depth) {
    EXPECT_EQ(sum_bins(tally[depth][kPrimary]), tally[depth][kPrimary][40] + tally[depth][kPrimary][120]);
  }
}

TEST(RunTransport, CoherentOnlyScatteringKeepsTheSourceEnergy) {
  auto state = synthetic_run(150.0F, 100000.0F);
  fill_water_like(state->material, 1e-30F);  // incoherent share below the smallest deviate step
  state->incident_spectrum[120] = 1.0F;
  Console console = silent_console();
  (void)run_transport(*state, console);
  for (int depth = 1; depth <= kDepthCount; ++depth) {
    const auto& scatter = state->tallies.counter_tally[depth][kScatter];
    EXPECT_GT(scatter[120], 0.0) << depth;
    EXPECT_EQ(sum_bins(scatter), scatter[120]) << depth;
  }
}

TEST(RunTransport, TwoRunsGiveTheSameResults) {
  std::string texts[2];
  for (std::string& text : texts) {
    auto state = synthetic_run(150.0F, 100000.0F);
    for (int bin = 20; bin <= 300; ++bin) state->incident_spectrum[bin] = 1.0F / 281.0F;
    Console console = silent_console();
    (void)run_transport(*state, console);
    form_totals(state->tallies, 300);
    text = results_file_text(state->conditions, state->tallies);
  }
  EXPECT_EQ(texts[0], texts[1]);
}

// ---- Whole runs on the committed data files ----

// Log-log interpolation in double, independent of the transport's.
double total_coefficient(const InteractionTable& table, double energy_kev) {
  int k = 2;
  while (k < table.record_count && !(table.records[k].energy_kev > energy_kev)) ++k;
  const InteractionRecord& a = table.records[k - 1];
  const InteractionRecord& b = table.records[k];
  const double t = std::log(energy_kev / a.energy_kev) / std::log(double(b.energy_kev) / a.energy_kev);
  auto log_log = [t](double low, double high) { return low * std::pow(high / low, t); };
  return log_log(a.coherent, b.coherent) + log_log(a.incoherent, b.incoherent) +
         log_log(a.photoelectric, b.photoelectric);
}

// One default run of about 3.9 million histories shared by the physics tests.
class DefaultRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    state_ = std::make_unique<RunState>();
    RunState& s = *state_;
    seed_generator(s.generator);
    s.conditions = default_run_conditions(5.0e4F);
    s.derived = derive_run_values(s.conditions);
    const std::filesystem::path data = DREVIK_SOURCE_DATA_DIR;
    load_attenuation_table(data / kAttenuationFileName, s.attenuation);
    build_incident_spectrum(s.conditions, s.derived, s.attenuation, s.incident_spectrum);
    load_material_tables(data / kWaterFileName, s.conditions.tube_voltage_kv, s.material);
    Console console = silent_console();
    totals_ = run_transport(s, console);
  }
  static void TearDownTestSuite() { state_.reset(); }
  static std::unique_ptr<RunState> state_;
  static TransportTotals totals_;
};
std::unique_ptr<RunState> DefaultRun::state_;
TransportTotals DefaultRun::totals_;

TEST_F(DefaultRun, PrimariesAgreeWithTheAttenuationOfTheDivergentBeam) {
  const RunState& s = *state_;
  ASSERT_GT(totals_.histories, 3000000);
  for (int depth = 1; depth <= kDepthCount; ++depth) {
    const double depth_cm = kCounterDepthCm[depth];
    // Rays through the sphere entered within 0.5 x 70 / (70 + depth) of the axis.
    const double divergence = std::pow(70.0 / (70.0 + depth_cm), 2.0);
    double expected = 0.0;
    double counted = 0.0;
    for (int bin = 4; bin <= kEnergyBinCount; ++bin) {
      counted += s.tallies.counter_tally[depth][kPrimary][bin];
      const double incident = s.tallies.incident_count[bin];
      if (incident == 0.0) continue;
      const double mu = total_coefficient(s.material.interaction, bin * 0.5);
      // A ray at distance b from the centre enters the sphere at depth - sqrt(0.25 - b^2)
      // (not before the surface); b^2 is uniform over the cross-section, so the mean of
      // exp(mu sqrt(0.25 - b^2)) is 2 (e^a (a - 1) + 1) / a^2 with a = mu / 2.
      double transmitted = 1.0;
      if (depth_cm > 0.0) {
        const double a = mu * 0.5;
        transmitted = std::exp(-mu * depth_cm) * 2.0 * (std::exp(a) * (a - 1.0) + 1.0) / (a * a);
      }
      expected += incident * divergence * transmitted;
    }
    const double sigma = std::sqrt(expected);
    std::printf("depth %4.1f cm: primaries %10.0f, expected %10.1f, difference %+.2f sigma\n", depth_cm, counted,
                expected, (counted - expected) / sigma);
    if (depth == 1) {
      EXPECT_EQ(counted,
                sum_bins(s.tallies.incident_count) - s.tallies.incident_count[2] - s.tallies.incident_count[3]);
    } else {
      EXPECT_NEAR(counted, expected, 3.0 * sigma) << depth_cm << " cm";
    }
  }
}

TEST_F(DefaultRun, ScatterIsSofterThanPrimariesAndGrowsWithDepth) {
  const RunState& s = *state_;
  double previous_ratio = -1.0;
  for (int depth = 1; depth <= kDepthCount; ++depth) {
    double count[3] = {};
    double energy[3] = {};
    for (int kind = kPrimary; kind <= kScatter; ++kind) {
      for (int bin = 1; bin <= kEnergyBinCount; ++bin) {
        count[kind] += s.tallies.counter_tally[depth][kind][bin];
        energy[kind] += s.tallies.counter_tally[depth][kind][bin] * bin * 0.5;
      }
    }
    const double primary_mean = energy[kPrimary] / count[kPrimary];
    const double scatter_mean = energy[kScatter] / count[kScatter];
    const double ratio = count[kScatter] / count[kPrimary];
    std::printf("depth %4.1f cm: mean energy primary %6.2f keV, scatter %6.2f keV, scatter/primary %6.3f\n",
                kCounterDepthCm[depth], primary_mean, scatter_mean, ratio);
    EXPECT_LT(scatter_mean, primary_mean) << kCounterDepthCm[depth];
    EXPECT_GT(ratio, previous_ratio) << kCounterDepthCm[depth];
    previous_ratio = ratio;
  }
}

// The engine's results file for the defaults at 1000 photons per cm2, byte for byte: a
// change of any draw or decision of the transport shows here.
TEST(GoldenResults, DefaultConditionsAtOneThousandPhotonsPerSquareCentimetre) {
  const ScratchFolder folder;
  folder.write("B2F.dat", drevik::testing::default_conditions("golden.csv", "0000001000."));
  for (const char* name : {kAttenuationFileName, kWaterFileName, kSoftTissueFileName}) folder.copy_data_file(name);
  const auto run = drevik::testing::run_engine_program(folder.path(), "\n\n");
  ASSERT_EQ(run.exit_status, 0) << run.output;
  const std::string produced = read_file(folder.path() / "golden.csv");
  const std::string golden = read_file(std::filesystem::path(DREVIK_TEST_DATA_DIR) / "golden_default_1000.csv");
  ASSERT_FALSE(golden.empty());
  EXPECT_TRUE(produced == golden) << "the results differ from engine/tests/data/golden_default_1000.csv";
}

}  // namespace
}  // namespace drevik

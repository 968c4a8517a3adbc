#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <tuple>
#include <utility>
#include <vector>

#include "data_tables.h"
#include "incident_spectrum.h"

namespace drevik {
namespace {

// Smooth power-law coefficients (1/cm) of the right order of magnitude, no edges.
AttenuationTable synthetic_attenuation() {
  AttenuationTable table;
  for (int i = 1; i <= kEnergyBinCount; ++i) {
    const double e = 0.5 * i;
    table.tungsten_mu[i] = static_cast<float>(19.3 * (4000.0 * std::pow(e, -2.8) + 0.1));
    table.aluminium_mu[i] = static_cast<float>(2.7 * (1200.0 * std::pow(e, -3.0) + 0.17));
    table.copper_mu[i] = static_cast<float>(8.96 * (10000.0 * std::pow(e, -2.8) + 0.15));
  }
  return table;
}

RunConditions conditions(float kv, std::int32_t formula_code, std::int32_t rectification_code,
                         float target_angle_deg = 20.0F) {
  RunConditions c;
  c.tube_voltage_kv = kv;
  c.target_angle_deg = target_angle_deg;
  c.formula_code = formula_code;
  c.rectification_code = rectification_code;
  return c;
}

DerivedValues filters_cm(float inherent, float aluminium, float copper) {
  DerivedValues d;
  d.inherent_filtration_cm = inherent;
  d.al_filter_cm = aluminium;
  d.cu_filter_cm = copper;
  return d;
}

BinArray build(const RunConditions& c, const DerivedValues& d, const AttenuationTable& table) {
  BinArray spectrum;
  spectrum.fill(-1.0F);  // every bin must be written
  build_incident_spectrum(c, d, table, spectrum);
  return spectrum;
}

double mean_energy_kev(const BinArray& spectrum) {
  double sum = 0.0;
  for (int i = 1; i <= kEnergyBinCount; ++i) sum += spectrum[i] * 0.5 * i;
  return sum;
}

// --- The pieces of the model ---

TEST(TubeModel, RangeConstantAndCharacteristicFactor) {
  EXPECT_FLOAT_EQ(range_constant(0.0F), 141766.0F);
  EXPECT_NEAR(range_constant(100.0F), 702526.0F, 1.0F);
  EXPECT_GT(range_constant(300.0F), 0.0F);

  EXPECT_NEAR(characteristic_factor_percent(100.0F), 2.800F, 5e-4F);
  EXPECT_NEAR(characteristic_factor_percent(200.0F), 6.722F, 5e-4F);  // 200 itself is below the cap
  EXPECT_EQ(characteristic_factor_percent(std::nextafter(200.0F, 300.0F)), 7.0F);
  EXPECT_EQ(characteristic_factor_percent(300.0F), 7.0F);
  EXPECT_EQ(characteristic_factor_percent(70.0F), 0.0F);  // 70 itself has no lines
  EXPECT_EQ(characteristic_factor_percent(3.5F), 0.0F);
  EXPECT_NEAR(characteristic_factor_percent(std::nextafter(70.0F, 71.0F)), 0.0F, 1e-4F);
}

TEST(TubeModel, ShapePolynomials) {
  EXPECT_NEAR(birch_shape(1.0F), 0.19373, 1e-12);
  EXPECT_NEAR(tucker_shape(1.0F), 0.124, 1e-12);
  EXPECT_NEAR(birch_shape(0.5F), 0.1716275, 1e-12);
  EXPECT_NEAR(tucker_shape(0.5F), 0.112875, 1e-12);
}

TEST(TubeModel, FormulaCodeOneIsBirchEveryOtherTucker) {
  EXPECT_EQ(spectrum_formula(1), SpectrumFormula::birch);
  for (std::int32_t code : {2, 0, -1, 3, 99}) EXPECT_EQ(spectrum_formula(code), SpectrumFormula::tucker) << code;
  // Birch's path uses the cotangent, Tucker's the cosecant of the target angle.
  EXPECT_NEAR(target_path_factor(SpectrumFormula::birch, 30.0F), std::sqrt(3.0), 1e-6);
  EXPECT_NEAR(target_path_factor(SpectrumFormula::tucker, 30.0F), 2.0, 1e-6);
}

TEST(TubeModel, PhaseSamplesPerRectificationCode) {
  struct Case {
    std::int32_t code;
    int first, step, count;
    bool weighted;
  };
  for (const Case& c : {Case{1, 90, 1, 1, false}, Case{2, 75, 1, 16, false}, Case{3, 2, 2, 45, true},
                        Case{0, 2, 2, 45, false}, Case{4, 2, 2, 45, false}, Case{-3, 2, 2, 45, false}}) {
    SCOPED_TRACE(c.code);
    const PhaseSamples samples = phase_samples(c.code);
    ASSERT_EQ(samples.count, c.count);
    for (int k = 0; k < c.count; ++k) {
      const PhaseSample& sample = samples.samples[static_cast<std::size_t>(k)];
      EXPECT_EQ(sample.angle_deg, c.first + k * c.step);
      if (!c.weighted) {
        EXPECT_EQ(sample.weight, 1.0F) << sample.angle_deg;
      }
    }
    EXPECT_EQ(samples.samples[static_cast<std::size_t>(c.count - 1)].angle_deg, 90);
  }
  // Single phase: sin(phase) / 0.75 up to 48 deg, 1 from 50 deg on.
  const PhaseSamples single = phase_samples(3);
  EXPECT_NEAR(single.samples[0].weight, std::sin(2.0 * std::numbers::pi / 180.0) / 0.75, 1e-6);  // 2 deg
  EXPECT_NEAR(single.samples[23].weight, 0.991F, 5e-4F);                                         // 48 deg
  for (int k = 24; k < 45; ++k) EXPECT_EQ(single.samples[static_cast<std::size_t>(k)].weight, 1.0F);
}

TEST(TubeModel, EffectiveVoltage) {
  for (float kv : {1.0F, 70.0F, 96.59F, 150.0F, 300.0F}) EXPECT_EQ(effective_voltage_kv(kv, 90), kv);
  EXPECT_NEAR(effective_voltage_kv(100.0F, 2), 3.49F, 0.005F);
  EXPECT_EQ(bin_count_for_voltage(effective_voltage_kv(100.0F, 2)), 6);
  EXPECT_EQ(bin_count_for_voltage(96.59F), 193);
}

TEST(TubeModel, PhaseSampleFillsOnlyItsOwnBins) {
  // 100 kV single-phase, the sample at 2 deg: V about 3.49 kV, bins 2..6.
  const AttenuationTable table = synthetic_attenuation();
  const float v = effective_voltage_kv(100.0F, 2);
  for (SpectrumFormula formula : {SpectrumFormula::birch, SpectrumFormula::tucker}) {
    BinArray phase;
    phase.fill(-7.0F);
    fill_bremsstrahlung(v, formula, target_path_factor(formula, 20.0F), table.tungsten_mu, phase);
    add_k_lines(v, phase);
    EXPECT_EQ(phase[1], -7.0F);
    for (int i = 2; i <= 6; ++i) EXPECT_GT(phase[i], 0.0F) << i;
    for (int i = 7; i <= kEnergyBinCount; ++i) ASSERT_EQ(phase[i], -7.0F) << i;
  }
}

TEST(TubeModel, KLinesOnlyAboveSeventyKilovolts) {
  // 72 kV three-phase: the samples at 75 and 76 deg (V about 69.55 and 69.86) add no
  // lines, those from 77 deg (about 70.15) on do; the lines share K = B x K_f / 100.
  const PhaseSamples samples = phase_samples(2);
  for (int k = 0; k < samples.count; ++k) {
    const std::int32_t angle = samples.samples[static_cast<std::size_t>(k)].angle_deg;
    SCOPED_TRACE(angle);
    const float v = effective_voltage_kv(72.0F, angle);
    const int n = bin_count_for_voltage(v);
    BinArray phase{};
    for (int i = 2; i <= n; ++i) phase[i] = 1.0F;
    add_k_lines(v, phase);
    const double k_total = (n - 1) * characteristic_factor_percent(v) * 0.01;
    if (angle <= 76) {
      EXPECT_LT(v, 70.0F);
      EXPECT_EQ(k_total, 0.0);
    } else {
      EXPECT_GT(k_total, 0.0);
    }
    EXPECT_FLOAT_EQ(phase[119], static_cast<float>(1.0 + 0.5048 * k_total));
    EXPECT_FLOAT_EQ(phase[116], static_cast<float>(1.0 + 0.2908 * k_total));
    EXPECT_FLOAT_EQ(phase[134], static_cast<float>(1.0 + 0.162 * k_total));
    EXPECT_FLOAT_EQ(phase[138], static_cast<float>(1.0 + 0.0424 * k_total));
    EXPECT_EQ(phase[118], 1.0F);
    EXPECT_EQ(phase[1], 0.0F);
    EXPECT_EQ(phase[n + 1], 0.0F);
  }
  BinArray phase{};
  for (int i = 2; i <= 140; ++i) phase[i] = 1.0F;
  add_k_lines(70.0F, phase);
  EXPECT_EQ(phase[119], 1.0F);
}

// --- The whole spectrum ---

TEST(IncidentSpectrum, HandWorkedThreeKilovoltBeam) {
  // 3 kV constant potential, target angle 30 deg, tungsten 5e4 /cm in every bin, no
  // filters: bins 2..6 (1 to 3 keV). Expected values from the model's sums worked out
  // term by term in double precision, divided by the bin energy and normalised.
  AttenuationTable table{};
  table.tungsten_mu.fill(5.0e4F);
  const DerivedValues no_filters = filters_cm(0.0F, 0.0F, 0.0F);
  const std::vector<double> birch = {0.50515642, 0.238782106, 0.137564703, 0.080901918, 0.0375948532};
  const std::vector<double> tucker = {0.574763544, 0.227404747, 0.113064405, 0.0582332051, 0.0265340995};
  const BinArray b = build(conditions(3.0F, 1, 1, 30.0F), no_filters, table);
  const BinArray t = build(conditions(3.0F, 2, 1, 30.0F), no_filters, table);
  for (int i = 2; i <= 6; ++i) {
    EXPECT_NEAR(b[i], birch[static_cast<std::size_t>(i - 2)], 2e-6 * birch[static_cast<std::size_t>(i - 2)]) << i;
    EXPECT_NEAR(t[i], tucker[static_cast<std::size_t>(i - 2)], 2e-6 * tucker[static_cast<std::size_t>(i - 2)]) << i;
  }
  EXPECT_EQ(b[1], 0.0F);
  EXPECT_EQ(b[7], 0.0F);
}

TEST(IncidentSpectrum, InvariantsOverBeams) {
  const AttenuationTable table = synthetic_attenuation();
  struct Case {
    float kv;
    std::int32_t formula, rectification;
    float inherent_cm, al_cm, cu_cm;
  };
  for (const Case& c : {Case{150.0F, 2, 1, 0.25F, 0.2F, 0.02F}, Case{300.0F, 1, 3, 0.25F, 0.0F, 0.05F},
                        Case{300.0F, 2, 3, 0.1F, 0.0F, 0.0F}, Case{72.0F, 1, 2, 0.25F, 0.0F, 0.0F},
                        Case{96.59F, 2, 0, 0.0F, 0.3F, 0.0F}, Case{40.0F, 7, 1, 0.1F, 0.0F, 0.0F},
                        Case{1.0F, 1, 1, 0.0F, 0.0F, 0.0F}, Case{1.5F, 2, 3, 0.0F, 0.0F, 0.0F}}) {
    SCOPED_TRACE(::testing::Message() << c.kv << " kV, formula " << c.formula << ", rectification " << c.rectification);
    const BinArray s =
        build(conditions(c.kv, c.formula, c.rectification), filters_cm(c.inherent_cm, c.al_cm, c.cu_cm), table);
    const int n = bin_count_for_voltage(c.kv);
    EXPECT_EQ(s[1], 0.0F);
    double sum = 0.0;
    for (int i = 2; i <= n; ++i) {
      ASSERT_TRUE(s[i] >= 0.0F && s[i] <= 1.0F) << i << ": " << s[i];
      sum += s[i];
    }
    EXPECT_NEAR(sum, 1.0, 1e-5);
    for (int i = n + 1; i <= kEnergyBinCount; ++i) ASSERT_EQ(s[i], 0.0F) << i;
  }
}

TEST(IncidentSpectrum, NothingToShareLeavesEveryBinZero) {
  // Below 1 kV no bin reaches 2; a filter that absorbs everything leaves a total of 0.
  AttenuationTable opaque = synthetic_attenuation();
  opaque.copper_mu.fill(1.0e30F);
  for (const auto& [kv, table, copper_cm] :
       {std::tuple{0.7F, synthetic_attenuation(), 0.0F}, std::tuple{100.0F, opaque, 1.0F}}) {
    const BinArray s = build(conditions(kv, 1, 3), filters_cm(0.0F, 0.0F, copper_cm), table);
    for (int i = 1; i <= kEnergyBinCount; ++i) ASSERT_EQ(s[i], 0.0F) << kv << " kV, bin " << i;
  }
}

TEST(IncidentSpectrum, KLinesInTheBuiltSpectrum) {
  // 100 kV constant potential, no filters: each line stands above the smooth continuum
  // by its share of K = 2.800 % of the bremsstrahlung, in energy terms.
  const AttenuationTable table = synthetic_attenuation();
  const DerivedValues no_filters = filters_cm(0.0F, 0.0F, 0.0F);
  for (std::int32_t formula : {1, 2}) {
    const BinArray s = build(conditions(100.0F, formula, 1), no_filters, table);
    const double energy_total = mean_energy_kev(s);
    const double k_fraction = 0.028 / 1.028;
    for (const auto& [bin, share] :
         {std::pair{119, 0.5048}, std::pair{116, 0.2908}, std::pair{134, 0.162}, std::pair{138, 0.0424}}) {
      const double excess = s[bin] - 0.5 * (s[bin - 1] + s[bin + 1]);
      EXPECT_NEAR(excess * 0.5 * bin / energy_total, share * k_fraction, 0.01 * share * k_fraction)
          << "formula " << formula << ", bin " << bin;
    }
    // 70 kV has no lines: the continuum is smooth at 59.5 keV.
    const BinArray plain = build(conditions(70.0F, formula, 1), no_filters, table);
    EXPECT_NEAR(plain[119], 0.5 * (plain[118] + plain[120]), 1e-3 * plain[119]);
  }
}

TEST(IncidentSpectrum, FormulaCodeOtherThanOneGivesTucker) {
  const AttenuationTable table = synthetic_attenuation();
  const DerivedValues d = filters_cm(0.25F, 0.0F, 0.0F);
  const BinArray tucker = build(conditions(80.0F, 2, 1), d, table);
  for (std::int32_t code : {0, -1, 3, 42}) EXPECT_EQ(build(conditions(80.0F, code, 1), d, table), tucker) << code;
  EXPECT_NE(build(conditions(80.0F, 1, 1), d, table), tucker);
}

TEST(IncidentSpectrum, WaveformHardness) {
  // A steadier voltage gives a harder beam; only code 3 down-weights the low phases,
  // every other code past 2 sums the same samples unweighted.
  const AttenuationTable table = synthetic_attenuation();
  const DerivedValues d = filters_cm(0.25F, 0.0F, 0.0F);
  const BinArray constant = build(conditions(100.0F, 1, 1), d, table);
  const BinArray three_phase = build(conditions(100.0F, 1, 2), d, table);
  const BinArray single = build(conditions(100.0F, 1, 3), d, table);
  const BinArray unweighted = build(conditions(100.0F, 1, 0), d, table);
  EXPECT_GT(mean_energy_kev(constant), mean_energy_kev(three_phase));
  EXPECT_GT(mean_energy_kev(three_phase), mean_energy_kev(single));
  EXPECT_GT(mean_energy_kev(single), mean_energy_kev(unweighted));
  EXPECT_EQ(build(conditions(100.0F, 1, 4), d, table), unweighted);
  EXPECT_EQ(build(conditions(100.0F, 1, -2), d, table), unweighted);
}

TEST(IncidentSpectrum, Filtration) {
  const AttenuationTable table = synthetic_attenuation();
  AttenuationTable no_metal_mu = table;
  no_metal_mu.aluminium_mu.fill(0.0F);
  no_metal_mu.copper_mu.fill(0.0F);
  const RunConditions c = conditions(120.0F, 1, 2);
  const BinArray bare = build(c, filters_cm(0.0F, 0.0F, 0.0F), table);
  // Zero thicknesses: the aluminium and copper coefficients do not matter.
  EXPECT_EQ(bare, build(c, filters_cm(0.0F, 0.0F, 0.0F), no_metal_mu));
  // An added aluminium filter acts exactly like the same inherent filtration.
  const BinArray inherent = build(c, filters_cm(0.3F, 0.0F, 0.0F), table);
  EXPECT_EQ(build(c, filters_cm(0.0F, 0.3F, 0.0F), table), inherent);
  EXPECT_EQ(build(c, filters_cm(0.1F, 0.2F, 0.0F), table), build(c, filters_cm(0.2F, 0.1F, 0.0F), table));
  EXPECT_GT(mean_energy_kev(inherent), mean_energy_kev(bare));
  // Aluminium thicknesses use the aluminium column, copper the copper column.
  AttenuationTable copper_only = table;
  copper_only.aluminium_mu.fill(0.0F);
  EXPECT_EQ(build(c, filters_cm(0.3F, 0.3F, 0.0F), copper_only), bare);
  EXPECT_GT(mean_energy_kev(build(c, filters_cm(0.0F, 0.0F, 0.02F), copper_only)), mean_energy_kev(bare));
}

TEST(IncidentSpectrum, HistoryCountTruncatesTheExactProduct) {
  // 0.100000024 x 78539800 is 7853981.87; rounded to single precision it would be 7853982.
  const float share = 0.100000024F;
  const float field_photon_count = 78539800.0F;
  ASSERT_EQ(std::trunc(share * field_photon_count), 7853982.0F);
  EXPECT_EQ(bin_history_count(share, field_photon_count), 7853981);
  EXPECT_EQ(bin_history_count(0.0F, field_photon_count), 0);
  EXPECT_EQ(bin_history_count(1.0F, 7.8539816e17F), static_cast<std::int64_t>(7.8539816e17F));
}

// --- Physical sanity: first half-value layers against measured beams ---

// Mass energy-absorption coefficient of dry air (near sea level), cm2/g, from the NIST
// tables of Hubbell and Seltzer (NISTIR 5632), with the argon K edge at 3.2029 keV.
struct AirPoint {
  double energy_kev;
  double mu_en_cm2_per_g;
};
constexpr AirPoint kAirMuEn[] = {
    {1.0, 3.599e3},    {1.5, 1.188e3},    {2.0, 5.262e2},    {3.0, 1.614e2},   {3.2029, 1.330e2}, {3.2029, 1.460e2},
    {4.0, 7.636e1},    {5.0, 3.931e1},    {6.0, 2.270e1},    {8.0, 9.446},     {10.0, 4.742},     {15.0, 1.334},
    {20.0, 5.389e-1},  {30.0, 1.537e-1},  {40.0, 6.833e-2},  {50.0, 4.098e-2}, {60.0, 3.041e-2},  {80.0, 2.407e-2},
    {100.0, 2.325e-2}, {150.0, 2.496e-2}, {200.0, 2.672e-2}, {300.0, 2.872e-2}};

// Log-log interpolation in the table; the upper side of an edge above it.
double air_mu_en(double energy_kev) {
  constexpr std::size_t count = std::size(kAirMuEn);
  std::size_t k = 0;
  while (k + 2 < count && energy_kev >= kAirMuEn[k + 1].energy_kev) ++k;
  const AirPoint& lo = kAirMuEn[k];
  const AirPoint& hi = kAirMuEn[k + 1];
  const double f = std::log(energy_kev / lo.energy_kev) / std::log(hi.energy_kev / lo.energy_kev);
  return lo.mu_en_cm2_per_g * std::pow(hi.mu_en_cm2_per_g / lo.mu_en_cm2_per_g, f);
}

// First half-value layer in mm aluminium: the thickness that halves the air kerma
// sum of photon number x E x (mu_en/rho)_air, found by bisection.
double first_hvl_mm_al(const BinArray& spectrum, const AttenuationTable& table) {
  auto kerma = [&](double aluminium_cm) {
    double sum = 0.0;
    for (int i = 2; i <= kEnergyBinCount; ++i) {
      const double e = 0.5 * i;
      sum += spectrum[i] * e * air_mu_en(e) * std::exp(-table.aluminium_mu[i] * aluminium_cm);
    }
    return sum;
  };
  const double half = 0.5 * kerma(0.0);
  double lo = 0.0;
  double hi = 5.0;
  for (int step = 0; step < 60; ++step) {
    const double mid = 0.5 * (lo + hi);
    (kerma(mid) > half ? lo : hi) = mid;
  }
  return 10.0 * 0.5 * (lo + hi);
}

TEST(IncidentSpectrum, FirstHalfValueLayersMatchMeasuredBeams) {
  // Reference: PTB's measured radiation qualities (Ankerhold 2000): tungsten anode at
  // 20 deg, 2.5 mm Al plus about 1 mm Be and 1 m of air, constant potential. Modelled
  // here as 20 deg, 2.5 mm Al inherent filtration, constant potential; the beryllium
  // window and the air are left out (they are not part of the tube model). Birch's
  // formula reproduces these beams within 1 %, so it is held to 5 %; Tucker's formula
  // runs 3 to 15 % low (softer beams, most at 150 kV), so it is held to -20 % .. +3 %.
  // Where known, a second, independent implementation of the same model on xraylib
  // coefficients (same angle and filtration) gives the figures in the last two
  // columns; both formulas are held to 3 % of them.
  AttenuationTable table;
  load_attenuation_table(std::filesystem::path(DREVIK_SOURCE_DATA_DIR) / kAttenuationFileName, table);
  ASSERT_GT(table.aluminium_mu[100], 0.0F) << "the attenuation table holds no data";
  const DerivedValues filters = filters_cm(2.5F * 0.1F, 0.0F, 0.0F);
  struct Beam {
    float kv;
    double measured_mm;
    double model_birch_mm;  // 0 where no figure of the other implementation is known
    double model_tucker_mm;
  };
  for (const Beam& beam :
       {Beam{50.0F, 1.72, 1.72, 1.66}, Beam{70.0F, 2.29, 0.0, 0.0}, Beam{80.0F, 2.59, 2.61, 2.44},
        Beam{100.0F, 3.23, 0.0, 0.0}, Beam{120.0F, 3.88, 0.0, 0.0}, Beam{150.0F, 5.01, 5.00, 4.27}}) {
    SCOPED_TRACE(::testing::Message() << beam.kv << " kV");
    const double birch = first_hvl_mm_al(build(conditions(beam.kv, 1, 1), filters, table), table);
    const double tucker = first_hvl_mm_al(build(conditions(beam.kv, 2, 1), filters, table), table);
    std::printf("  %5.0f kV  measured %.2f  Birch %.3f  Tucker %.3f mm Al\n", static_cast<double>(beam.kv),
                beam.measured_mm, birch, tucker);
    EXPECT_NEAR(birch, beam.measured_mm, 0.05 * beam.measured_mm) << "Birch";
    EXPECT_GT(tucker, 0.80 * beam.measured_mm) << "Tucker";
    EXPECT_LT(tucker, 1.03 * beam.measured_mm) << "Tucker";
    if (beam.model_birch_mm > 0.0) {
      EXPECT_NEAR(birch, beam.model_birch_mm, 0.03 * beam.model_birch_mm) << "Birch";
      EXPECT_NEAR(tucker, beam.model_tucker_mm, 0.03 * beam.model_tucker_mm) << "Tucker";
    }
  }
}

}  // namespace
}  // namespace drevik

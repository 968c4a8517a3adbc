#include "incident_spectrum.h"

#include <algorithm>
#include <cmath>

namespace drevik {

namespace {

constexpr double kTungstenDensityGPerCm3 = 19.3;
constexpr double kElectronRestEnergyKev = 511.0;
constexpr float kKLineThresholdKv = 70.0F;      // no K lines at or below this voltage
constexpr float kKLineCapThresholdKv = 200.0F;  // above it the K-line factor is the cap
constexpr float kKLineCapPercent = 7.0F;
constexpr double kSinglePhaseWeightSine = 0.75;  // sin(phase) at which the weight reaches 1

// Tungsten K lines: bin of the line energy and its share of the K-line total.
struct KLine {
  int bin;
  double share;
};
constexpr std::array<KLine, 4> kTungstenKLines = {{
    {119, 0.5048},  // Ka1, 59.5 keV
    {116, 0.2908},  // Ka2, 58.0 keV
    {134, 0.162},   // Kb1, 67.0 keV
    {138, 0.0424},  // Kb2, 69.0 keV
}};

// The engine's pi (3.141592 in single precision) times degrees / 180.
double radians(float angle_deg) { return static_cast<double>(kPi) * static_cast<double>(angle_deg) / 180.0; }

// Birch: F_B(x) (1 + T/511) exp(-mu_W l).
double birch_term(float x, float electron_kev, float tungsten_mu, float path_cm) {
  return birch_shape(x) * (1.0 + static_cast<double>(electron_kev) / kElectronRestEnergyKev) *
         std::exp(-static_cast<double>(tungsten_mu) * static_cast<double>(path_cm));
}

// Tucker: F_T(x) (0.03658 + 0.000029 E) (1 + 511/T) / (1036.1 exp(-0.04695 T) + 202.41) exp(-mu_W l);
// the divisor stands for the electron stopping power of tungsten.
double tucker_term(float x, float photon_kev, float electron_kev, float tungsten_mu, float path_cm) {
  const auto shape_times_energy_factor =
      static_cast<float>(tucker_shape(x) * (0.03658 + 0.000029 * static_cast<double>(photon_kev)));
  const auto t = static_cast<double>(electron_kev);
  const double stopping_power = 1036.1 * std::exp(-0.04695 * t) + 202.41;
  return static_cast<double>(shape_times_energy_factor) * (1.0 + kElectronRestEnergyKev / t) / stopping_power *
         std::exp(-static_cast<double>(tungsten_mu) * static_cast<double>(path_cm));
}

}  // namespace

SpectrumFormula spectrum_formula(std::int32_t formula_code) {
  return formula_code == 1 ? SpectrumFormula::birch : SpectrumFormula::tucker;
}

PhaseSamples phase_samples(std::int32_t rectification_code) {
  std::int32_t first = 2;
  std::int32_t last = 90;
  std::int32_t step = 2;
  if (rectification_code == 1) {
    first = 90;
    step = 1;
  } else if (rectification_code == 2) {
    first = 75;
    step = 1;
  }
  PhaseSamples result;
  result.count = (last - first + step) / step;
  for (std::int32_t k = 0; k < result.count; ++k) {
    PhaseSample& sample = result.samples[static_cast<std::size_t>(k)];
    sample.angle_deg = first + k * step;
    sample.weight = 1.0F;
    if (rectification_code == 3) {
      const auto s =
          static_cast<float>(std::sin(radians(static_cast<float>(sample.angle_deg))) / kSinglePhaseWeightSine);
      sample.weight = s > 1.0F ? 1.0F : s;
    }
  }
  return result;
}

float effective_voltage_kv(float tube_voltage_kv, std::int32_t phase_angle_deg) {
  return static_cast<float>(static_cast<double>(tube_voltage_kv) *
                            std::sin(radians(static_cast<float>(phase_angle_deg))));
}

float range_constant(float voltage_kv) {
  const auto v = static_cast<double>(voltage_kv);
  return static_cast<float>(141766.0 + 12157.0 * v - 111.046 * std::pow(v, 2.0) + 0.552536 * std::pow(v, 3.0) -
                            0.000970158 * std::pow(v, 4.0));
}

float characteristic_factor_percent(float voltage_kv) {
  if (!(voltage_kv > kKLineThresholdKv)) return 0.0F;
  if (voltage_kv > kKLineCapThresholdKv) return kKLineCapPercent;
  // Positive root y of 2.19964 y^2 + 4.55528 y + 70 = V, in its rounded square-root form.
  return static_cast<float>((std::sqrt(8.79856 * static_cast<double>(voltage_kv) - 595.149) - 4.55528) / 4.39928);
}

double birch_shape(float x) {
  const auto u = static_cast<double>(x);
  return 0.503 - 0.94597 * u + 0.1553 * u * u + 1.1632 * u * u * u - 0.6818 * u * u * u * u;
}

double tucker_shape(float x) {
  const auto u = static_cast<double>(x);
  return 1.0 - 5.049 * u + 10.847 * u * u - 10.516 * u * u * u + 3.842 * u * u * u * u;
}

float target_path_factor(SpectrumFormula formula, float target_angle_deg) {
  const double angle = radians(target_angle_deg);
  return static_cast<float>(formula == SpectrumFormula::birch ? 1.0 / std::tan(angle) : 1.0 / std::sin(angle));
}

void fill_bremsstrahlung(float voltage_kv, SpectrumFormula formula, float path_factor, const BinArray& tungsten_mu,
                         BinArray& phase_spectrum) {
  const float range = range_constant(voltage_kv);
  const auto v = static_cast<double>(voltage_kv);
  const double range_divisor = kTungstenDensityGPerCm3 * static_cast<double>(range);
  const int n = bin_count_for_voltage(voltage_kv);
  for (int i = 2; i <= n; ++i) {
    const float photon_kev = kBinWidthKev * static_cast<float>(i);
    const float mu = tungsten_mu[i];
    float sum = 0.0F;
    // Electron energies E, E + 0.5, ... up to V: whole half-keV steps, exact in single precision.
    for (int step = i; kBinWidthKev * static_cast<float>(step) <= voltage_kv; ++step) {
      const float electron_kev = kBinWidthKev * static_cast<float>(step);
      const auto t = static_cast<double>(electron_kev);
      const auto x = static_cast<float>(static_cast<double>(photon_kev) / t);
      // Depth where the electron has slowed to T, projected onto the photon's way out.
      const auto path_cm = static_cast<float>((v * v - t * t) / range_divisor * static_cast<double>(path_factor));
      const double term = formula == SpectrumFormula::birch ? birch_term(x, electron_kev, mu, path_cm)
                                                            : tucker_term(x, photon_kev, electron_kev, mu, path_cm);
      sum = static_cast<float>(static_cast<double>(sum) + term);
    }
    phase_spectrum[i] = sum;
  }
}

void add_k_lines(float voltage_kv, BinArray& phase_spectrum) {
  if (!(voltage_kv > kKLineThresholdKv)) return;
  const int n = bin_count_for_voltage(voltage_kv);
  float bremsstrahlung_total = 0.0F;
  for (int i = 2; i <= n; ++i) bremsstrahlung_total += phase_spectrum[i];
  const auto k_total = static_cast<float>(static_cast<double>(bremsstrahlung_total) *
                                          static_cast<double>(characteristic_factor_percent(voltage_kv)) * 0.01);
  for (const KLine& line : kTungstenKLines) {
    phase_spectrum[line.bin] =
        static_cast<float>(static_cast<double>(phase_spectrum[line.bin]) + line.share * static_cast<double>(k_total));
  }
}

void build_incident_spectrum(const RunConditions& conditions, const DerivedValues& derived,
                             const AttenuationTable& attenuation, BinArray& spectrum) {
  spectrum = {};
  BinArray phase_spectrum{};
  const SpectrumFormula formula = spectrum_formula(conditions.formula_code);
  const float path_factor = target_path_factor(formula, conditions.target_angle_deg);
  const PhaseSamples samples = phase_samples(conditions.rectification_code);

  // Weighted sum of the phase samples; each writes and adds only its own bins 2..n(V).
  for (std::int32_t k = 0; k < samples.count; ++k) {
    const PhaseSample& sample = samples.samples[static_cast<std::size_t>(k)];
    const float voltage_kv = effective_voltage_kv(conditions.tube_voltage_kv, sample.angle_deg);
    fill_bremsstrahlung(voltage_kv, formula, path_factor, attenuation.tungsten_mu, phase_spectrum);
    add_k_lines(voltage_kv, phase_spectrum);
    const int n = bin_count_for_voltage(voltage_kv);
    for (int i = 2; i <= n; ++i) {
      spectrum[i] = static_cast<float>(static_cast<double>(spectrum[i]) +
                                       static_cast<double>(phase_spectrum[i]) * static_cast<double>(sample.weight));
    }
  }

  const int n = bin_count_for_voltage(conditions.tube_voltage_kv);
  // Average over the sample count N (not over the weights).
  for (int i = 2; i <= n; ++i) {
    spectrum[i] = static_cast<float>(static_cast<double>(spectrum[i]) / static_cast<double>(samples.count));
  }
  // Filtration (inherent and added aluminium, copper), then energy to photon number.
  const double aluminium_cm =
      static_cast<double>(derived.inherent_filtration_cm) + static_cast<double>(derived.al_filter_cm);
  for (int i = 1; i <= n; ++i) {
    const double optical_depth =
        static_cast<double>(attenuation.aluminium_mu[i]) * aluminium_cm +
        static_cast<double>(attenuation.copper_mu[i]) * static_cast<double>(derived.cu_filter_cm);
    spectrum[i] = static_cast<float>(static_cast<double>(spectrum[i]) * std::exp(-optical_depth) /
                                     (0.5 * static_cast<double>(i)));
  }
  // Normalisation over bins 2..n; with nothing to share out every bin stays 0.
  float total = 0.0F;
  for (int i = 2; i <= n; ++i) total += spectrum[i];
  for (int i = 2; i <= n; ++i) {
    spectrum[i] =
        total > 0.0F ? static_cast<float>(static_cast<double>(spectrum[i]) / static_cast<double>(total)) : 0.0F;
  }
}

std::int64_t bin_history_count(float share, float field_photon_count) {
  return static_cast<std::int64_t>(static_cast<double>(share) * static_cast<double>(field_photon_count));
}

}  // namespace drevik

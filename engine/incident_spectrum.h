// The X-ray tube's output spectrum: Birch's or Tucker's bremsstrahlung model of a
// tungsten target, averaged over the voltage waveform, K lines, filtration.
//
// Every named quantity and array element is kept in single precision; the arithmetic
// inside one formula runs in double and is rounded when the result is stored.
#pragma once

#include <array>
#include <cstdint>

#include "run_state.h"

namespace drevik {

// Fills spectrum (bins 2..n(kV) sum to 1, all else 0) from the conditions. When no
// bin carries any photons (kV below 1, or every bin filtered to 0) all bins stay 0.
void build_incident_spectrum(const RunConditions& conditions, const DerivedValues& derived,
                             const AttenuationTable& attenuation, BinArray& spectrum);

// Histories started in a bin: trunc(share x field_photon_count) on the exact product.
std::int64_t bin_history_count(float share, float field_photon_count);

// --- The pieces of the tube model ---

enum class SpectrumFormula { birch, tucker };

// Formula code 1 selects Birch's formula, every other code Tucker's.
SpectrumFormula spectrum_formula(std::int32_t formula_code);

// One sample of the tube-voltage waveform: its phase angle and its weight in the sum.
struct PhaseSample {
  std::int32_t angle_deg = 0;
  float weight = 0.0F;
};

constexpr int kMaxPhaseSamples = 45;

struct PhaseSamples {
  std::int32_t count = 0;  // N, the divisor of the sample average
  std::array<PhaseSample, kMaxPhaseSamples> samples{};
};

// The waveform's samples in increasing phase: code 1 constant potential (90 deg), 2
// three-phase 12-peak (75..90 deg), anything else single-phase (2..90 deg in steps of
// 2), weighted by min(1, sin(phase) / 0.75) only for code 3.
PhaseSamples phase_samples(std::int32_t rectification_code);

// V = kV x sin(phase), the tube voltage at a phase angle.
float effective_voltage_kv(float tube_voltage_kv, std::int32_t phase_angle_deg);

// C(V) of the Thomson-Whiddington law for tungsten: an electron entering with V keV
// has slowed to T keV at the depth (V^2 - T^2) / (19.3 g/cm3 x C) cm.
float range_constant(float voltage_kv);

// K-line intensity in percent of the bremsstrahlung total: 0 up to 70 kV, capped at
// 7 above 200 kV; both limits are strict.
float characteristic_factor_percent(float voltage_kv);

// Shape polynomials of the bremsstrahlung terms in x = E / T.
double birch_shape(float x);
double tucker_shape(float x);

// g_B = 1 / tan(angle) for Birch's formula, g_T = 1 / sin(angle) for Tucker's: the
// photon's path to the target surface per unit electron depth.
float target_path_factor(SpectrumFormula formula, float target_angle_deg);

// Bremsstrahlung of one phase sample of voltage V: writes bins 2..n(V) of
// phase_spectrum (no other bin), each the sum of the formula's terms over the electron
// energies E, E + 0.5, ... <= V, self-absorbed in the target.
void fill_bremsstrahlung(float voltage_kv, SpectrumFormula formula, float path_factor, const BinArray& tungsten_mu,
                         BinArray& phase_spectrum);

// Adds the tungsten K lines (Ka1, Ka2, Kb1, Kb2) to a phase sample's bremsstrahlung
// when V is above 70 kV; their total is the characteristic factor times the
// bremsstrahlung total of bins 2..n(V).
void add_k_lines(float voltage_kv, BinArray& phase_spectrum);

}  // namespace drevik

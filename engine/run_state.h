// The engine's program-wide state: everything one run computes lives here, in
// fixed-size arrays. The driver owns the one RunState and passes it on by
// reference; nothing in it is allocated once the run has started.
#pragma once

#include <array>
#include <cstdint>

namespace drevik {

// Energy grid: bin i (1..600) stands for the photon energy i x 0.5 keV.
constexpr int kEnergyBinCount = 600;
constexpr float kBinWidthKev = 0.5F;
// Counter depths 0, 2, 5, 10, 15 and 20 cm, depth index 1..6.
constexpr int kDepthCount = 6;
// Tally kinds: 1 primary, 2 scatter, 3 total.
constexpr int kPrimary = 1;
constexpr int kScatter = 2;
constexpr int kTotal = 3;
constexpr int kKindCount = 3;
constexpr int kMaxInteractionRecords = 40;
constexpr int kFormFactorRows = 45;
constexpr int kGeneratorTableSize = 55;
constexpr int kResultsNameBytes = 30;

// The engine's pi: the single-precision value of 3.141592, not the float nearest to pi.
constexpr float kPi = 3.141592F;

// Arrays indexed like the physics: element 0 is unused, bins run 1..600.
using BinArray = std::array<float, kEnergyBinCount + 1>;
using BinCountArray = std::array<double, kEnergyBinCount + 1>;

// The eleven values of B2F.dat.
struct RunConditions {
  float tube_voltage_kv = 0.0F;
  float target_angle_deg = 0.0F;
  float inherent_filtration_mm = 0.0F;
  float al_filter_mm = 0.0F;
  float cu_filter_mm = 0.0F;
  float field_diameter_cm = 0.0F;
  float photons_per_cm2 = 0.0F;
  std::int32_t formula_code = 0;        // 1 Birch, anything else Tucker
  std::int32_t rectification_code = 0;  // 1 constant potential, 2 three-phase 12-peak, else single-phase
  std::int32_t phantom_code = 0;        // 1 water, anything else ICRU soft tissue
  // 30 bytes in the console's character set, blank-padded, never ending inside a character.
  std::array<char, kResultsNameBytes> results_file_name{};
};

// Values derived once right after the conditions are read.
struct DerivedValues {
  float inherent_filtration_cm = 0.0F;
  float al_filter_cm = 0.0F;
  float cu_filter_cm = 0.0F;
  float field_photon_count = 0.0F;  // photons over the whole field
};

// Additive lagged-Fibonacci generator, lags 24 and 55, modulus 2^14 (random.h).
struct RandomGenerator {
  std::array<std::int32_t, kGeneratorTableSize + 1> table{};  // entries 1..55
  std::int32_t j = 24;
  std::int32_t k = 55;
};

// Linear attenuation coefficients (1/cm) of the target and filter metals per bin.
struct AttenuationTable {
  BinArray tungsten_mu{};
  BinArray aluminium_mu{};
  BinArray copper_mu{};
};

// One tabulated energy of the phantom material; coefficients are linear (1/cm).
struct InteractionRecord {
  float coherent = 0.0F;
  float incoherent = 0.0F;
  float photoelectric = 0.0F;
  float energy_kev = 0.0F;
};

struct InteractionTable {
  int record_count = 0;                                                 // n, 2..40
  std::array<InteractionRecord, kMaxInteractionRecords + 1> records{};  // records 1..n
};

// Scattering rows of the phantom material, rows 1..45 in ascending momentum transfer.
struct FormFactorTable {
  std::array<float, kFormFactorRows + 1> momentum_transfer{};    // x = sin(theta/2)/lambda, 1/A
  std::array<float, kFormFactorRows + 1> coherent_cumulative{};  // cumulative coherent distribution
  std::array<float, kFormFactorRows + 1> incoherent_function{};  // S(x)
  float coherent_cumulative_total = 0.0F;                        // row 45 of the cumulative
  float incoherent_function_max = 0.0F;                          // row 45 of S(x)
};

struct MaterialTables {
  InteractionTable interaction;
  FormFactorTable form_factor;
};

// Photon counters. Kept in double so that counts stay exact beyond 2^24.
struct Tallies {
  BinCountArray incident_count{};  // source photons entering within 0.5 cm of the axis
  // counter_tally[depth 1..6][kind 1..3][bin 1..600]
  std::array<std::array<BinCountArray, kKindCount + 1>, kDepthCount + 1> counter_tally{};
};

// Lookup tables the transport derives before its first history from the material
// tables and from the generator's 16384 possible deviates, so that the photon loop
// looks values up instead of recomputing them. Every entry is the value the direct
// computation gives, bit for bit, so the tables change no draw and no decision.
constexpr int kDeviateValueCount = 16384;                                // table values 0..16383 of the generator
constexpr int kMomentumIndexPerAngstrom = 64;                            // buckets of the momentum-transfer index
constexpr int kMomentumIndexCount = 10 * kMomentumIndexPerAngstrom + 1;  // x from 0 to 10 1/A
constexpr int kCumulativeIndexCount = 1024 + 1;                          // buckets of the coherent cumulative, 0..C_max

struct TransportTables {
  // Natural logarithms of the interaction records 1..n.
  std::array<float, kMaxInteractionRecords + 1> log_energy{};
  std::array<float, kMaxInteractionRecords + 1> log_coherent{};
  std::array<float, kMaxInteractionRecords + 1> log_incoherent{};
  std::array<float, kMaxInteractionRecords + 1> log_photoelectric{};
  // record_above[b]: the first record k >= 2 whose energy exceeds b x 0.5 keV, b = 0..600.
  std::array<std::uint8_t, kEnergyBinCount + 1> record_above{};
  // momentum_row[b]: the first row k >= 2 with momentum_transfer(k) > b / 64 1/A.
  std::array<std::uint8_t, kMomentumIndexCount> momentum_row{};
  // cumulative_row[b]: the first row k >= 2 with coherent_cumulative(k) > b / 1024 x C_max.
  std::array<std::uint8_t, kCumulativeIndexCount> cumulative_row{};
  float cumulative_index_scale = 0.0F;  // 1024 / C_max
  // Per generator table value m (deviate u = m / 16384.1): -ln(u) (m >= 1), and the
  // cosine and sine of the azimuth u x pi x 2.
  std::array<float, kDeviateValueCount> minus_log_deviate{};
  std::array<float, kDeviateValueCount> cos_azimuth{};
  std::array<float, kDeviateValueCount> sin_azimuth{};
};

struct ClockTime {
  int hour = 0;
  int minute = 0;
  int second = 0;
};

struct RunState {
  RunConditions conditions;
  DerivedValues derived;
  RandomGenerator generator;
  AttenuationTable attenuation;
  BinArray incident_spectrum{};  // share of the field's photons per bin, bins 2..n sum to 1
  MaterialTables material;
  Tallies tallies;
  TransportTables transport_tables;  // filled by the transport before its first history
  ClockTime start_time;
  ClockTime end_time;
};

// n(V) = trunc(2 x V): the highest bin whose energy does not exceed V, kept within the
// grid so that no caller can index past bin 600 (the run conditions refuse V > 300 kV).
inline int bin_count_for_voltage(float voltage_kv) {
  const float bins = voltage_kv * 2.0F;
  if (!(bins < static_cast<float>(kEnergyBinCount))) return bins >= 0.0F ? kEnergyBinCount : 0;
  return bins > 0.0F ? static_cast<int>(bins) : 0;
}

}  // namespace drevik

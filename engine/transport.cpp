#include "transport.h"

#include <algorithm>
#include <cmath>

#include "console.h"
#include "counters.h"
#include "fixed_format.h"
#include "incident_spectrum.h"
#include "interactions.h"
#include "random.h"

namespace drevik {

namespace {

// " --- ", the bin right-aligned in 11 columns, " /", the bin count in 11 columns.
std::string progress_line(int bin, int bin_count) {
  return " --- " + format_integer(bin, 11) + " /" + format_integer(bin_count, 11);
}

struct Photon {
  float energy_kev = 0.0F;
  Point position;
  Direction direction;
  int kind = kPrimary;
};

// A source photon of the given energy: entry point uniform over the field disc by
// rejection in its square, direction from the point source through it.
inline void start_photon(Photon& photon, float energy_kev, float field_diameter_cm, RandomGenerator& generator,
                         double& incident_count) {
  photon.energy_kev = energy_kev;
  photon.kind = kPrimary;
  float x = 0.0F;
  float y = 0.0F;
  float rho = 0.0F;
  do {
    x = (draw_uniform(generator) - 0.5F) * field_diameter_cm;
    y = (draw_uniform(generator) - 0.5F) * field_diameter_cm;
    rho = std::sqrt(x * x + y * y);
  } while (!(field_diameter_cm * 0.5F >= rho));
  photon.position = {x, y, 0.0F};
  if (rho <= kIncidentRadiusCm) incident_count += 1.0;
  const float distance = std::sqrt(kSourceToSurfaceCm * kSourceToSurfaceCm + rho * rho);
  photon.direction.cos_theta = kSourceToSurfaceCm / distance;
  photon.direction.sin_theta = rho / distance;
  if (rho != 0.0F) {
    photon.direction.cos_phi = x / rho;
    photon.direction.sin_phi = y / rho;
  } else {
    photon.direction.cos_phi = 1.0F;
    photon.direction.sin_phi = 0.0F;
  }
}

// The coefficients of the last energy looked up: every primary of a bin, and every
// photon after coherent scattering, flies again at the same energy.
struct SharesCache {
  float energy_kev = -1.0F;
  InteractionShares shares;
};

// Follows one photon until it is absorbed, leaves the phantom or falls below the cut-off.
inline void follow_photon(Photon& photon, const MaterialTables& material, const TransportTables& tables,
                          SharesCache& cache, RandomGenerator& generator, Tallies& tallies, std::int64_t& flights) {
  for (;;) {
    if (photon.energy_kev < kEnergyCutoffKev) return;
    if (photon.energy_kev != cache.energy_kev) {
      cache.shares = interaction_shares(material.interaction, tables, photon.energy_kev);
      cache.energy_kev = photon.energy_kev;
    }
    const InteractionShares& shares = cache.shares;
    // Free path by inversion of the exponential distribution; the second deviate picks
    // the interaction at its end. A first deviate of 0 draws both again.
    std::int32_t path_value = 0;
    float r2 = 0.0F;
    do {
      path_value = advance_generator(generator);
      r2 = draw_uniform(generator);
    } while (path_value <= 0);
    const float path_cm = tables.minus_log_deviate[static_cast<std::size_t>(path_value)] / shares.total_per_cm;
    const Direction& d = photon.direction;
    const Point start = photon.position;
    const Point end{start.x + path_cm * d.cos_phi * d.sin_theta, start.y + path_cm * d.sin_theta * d.sin_phi,
                    start.z + path_cm * d.cos_theta};
    ++flights;
    score_segment(start, end, photon.energy_kev, photon.kind, tallies);
    if (end.z <= 0.0F) return;                                                 // out through the entrance face
    if (end.z >= kPhantomThicknessCm) return;                                  // out through the back face
    if (std::sqrt(end.x * end.x + end.y * end.y) >= kPhantomRadiusCm) return;  // out through the side
    photon.position = end;
    if (r2 < shares.photoelectric_share) return;  // photoelectric absorption
    ScatteringAngle angle;
    if (r2 < shares.absorbing_or_coherent_share) {
      angle = sample_coherent(photon.energy_kev, material.form_factor, tables, generator);
    } else {
      const IncoherentResult incoherent = sample_incoherent(photon.energy_kev, material.form_factor, tables, generator);
      photon.energy_kev = incoherent.energy_kev;
      angle = incoherent.angle;
    }
    if (photon.energy_kev < kEnergyCutoffKev) return;
    // Azimuth of the scattering, psi = u x pi x 2.
    const auto azimuth_value = static_cast<std::size_t>(advance_generator(generator));
    photon.direction = rotate_direction(photon.direction, angle.cos_theta, angle.sin_theta,
                                        tables.cos_azimuth[azimuth_value], tables.sin_azimuth[azimuth_value]);
    photon.kind = kScatter;
  }
}

// The first record k >= 2 whose energy exceeds E (the last record when none does),
// from a guess: down while the record below still exceeds E, then up.
inline int record_above(const InteractionTable& table, float energy_kev, int guess) {
  int k = guess < 2 ? 2 : guess;
  while (k > 2 && table.records[k - 1].energy_kev > energy_kev) --k;
  while (k < table.record_count && !(table.records[k].energy_kev > energy_kev)) ++k;
  return k;
}

float clamp_cosine(float c) { return c > 1.0F ? 1.0F : (c < -1.0F ? -1.0F : c); }

}  // namespace

InteractionShares interaction_shares(const InteractionTable& table, float energy_kev) {
  const int k = record_above(table, energy_kev, 2);
  const InteractionRecord& low = table.records[k - 1];
  const InteractionRecord& high = table.records[k];
  const float log_energy_low = std::log(low.energy_kev);
  const float t = (std::log(energy_kev) - log_energy_low) / (std::log(high.energy_kev) - log_energy_low);
  auto log_log = [t](float c_low, float c_high) {
    const float log_low = std::log(c_low);
    return std::exp(log_low + (std::log(c_high) - log_low) * t);
  };
  const float coherent = log_log(low.coherent, high.coherent);
  const float incoherent = log_log(low.incoherent, high.incoherent);
  const float photoelectric = log_log(low.photoelectric, high.photoelectric);
  InteractionShares shares;
  shares.total_per_cm = photoelectric + incoherent + coherent;
  shares.photoelectric_share = photoelectric / shares.total_per_cm;
  shares.absorbing_or_coherent_share = (photoelectric + coherent) / shares.total_per_cm;
  return shares;
}

InteractionShares interaction_shares(const InteractionTable& table, const TransportTables& tables, float energy_kev) {
  const int bin = static_cast<int>(energy_kev * 2.0F);
  const int k = record_above(table, energy_kev,
                             tables.record_above[static_cast<std::size_t>(std::clamp(bin, 0, kEnergyBinCount))]);
  const float log_energy_low = tables.log_energy[k - 1];
  const float t = (std::log(energy_kev) - log_energy_low) / (tables.log_energy[k] - log_energy_low);
  auto log_log = [t, k](const std::array<float, kMaxInteractionRecords + 1>& logs) {
    const float log_low = logs[k - 1];
    return std::exp(log_low + (logs[k] - log_low) * t);
  };
  const float coherent = log_log(tables.log_coherent);
  const float incoherent = log_log(tables.log_incoherent);
  const float photoelectric = log_log(tables.log_photoelectric);
  InteractionShares shares;
  shares.total_per_cm = photoelectric + incoherent + coherent;
  shares.photoelectric_share = photoelectric / shares.total_per_cm;
  shares.absorbing_or_coherent_share = (photoelectric + coherent) / shares.total_per_cm;
  return shares;
}

void prepare_transport_tables(const MaterialTables& material, TransportTables& tables) {
  const InteractionTable& table = material.interaction;
  for (int k = 1; k <= table.record_count; ++k) {
    const InteractionRecord& record = table.records[k];
    tables.log_energy[k] = std::log(record.energy_kev);
    tables.log_coherent[k] = std::log(record.coherent);
    tables.log_incoherent[k] = std::log(record.incoherent);
    tables.log_photoelectric[k] = std::log(record.photoelectric);
  }
  for (int bin = 0; bin <= kEnergyBinCount; ++bin) {
    tables.record_above[static_cast<std::size_t>(bin)] =
        static_cast<std::uint8_t>(record_above(table, static_cast<float>(bin) * kBinWidthKev, 2));
  }
  prepare_scattering_index(material.form_factor, tables);
  for (int value = 0; value < kDeviateValueCount; ++value) {
    // The same expressions as a draw and its use: u = m / 16384.1, -ln(u), psi = u x pi x 2.
    const float u = static_cast<float>(value) / kGeneratorDivisor;
    tables.minus_log_deviate[static_cast<std::size_t>(value)] = -std::log(u);
    const float psi = u * kPi * 2.0F;
    tables.cos_azimuth[static_cast<std::size_t>(value)] = std::cos(psi);
    tables.sin_azimuth[static_cast<std::size_t>(value)] = std::sin(psi);
  }
}

Direction rotate_direction(const Direction& flight, float cos_scatter, float sin_scatter, float cos_psi,
                           float sin_psi) {
  Direction turned;
  const float cos_theta = sin_scatter * cos_psi * flight.sin_theta + cos_scatter * flight.cos_theta;
  turned.cos_theta = clamp_cosine(cos_theta);
  turned.sin_theta = std::sqrt(1.0F - turned.cos_theta * turned.cos_theta);
  if (turned.sin_theta == 0.0F) {
    turned.cos_phi = 1.0F;
    turned.sin_phi = 0.0F;
    return turned;
  }
  // Spherical triangle: Delta is the change of azimuth about the z axis.
  const float sin_delta = sin_scatter * sin_psi / turned.sin_theta;
  float cos_phi = 0.0F;
  float sin_phi = 0.0F;
  if (flight.sin_theta == 0.0F) {
    sin_phi = sin_psi;
    cos_phi = -cos_psi;
  } else {
    const float cos_delta = (cos_scatter - turned.cos_theta * flight.cos_theta) / (turned.sin_theta * flight.sin_theta);
    sin_phi = flight.cos_phi * sin_delta + cos_delta * flight.sin_phi;
    cos_phi = flight.cos_phi * cos_delta - sin_delta * flight.sin_phi;
  }
  // Where sin(theta) is small the formulas above are badly conditioned: bring the
  // azimuth back onto the unit circle.
  const float norm = std::sqrt(cos_phi * cos_phi + sin_phi * sin_phi);
  if (norm > 0.0F && std::isfinite(norm)) {
    turned.cos_phi = cos_phi / norm;
    turned.sin_phi = sin_phi / norm;
  } else {
    turned.cos_phi = 1.0F;
    turned.sin_phi = 0.0F;
  }
  return turned;
}

TransportTotals run_transport(RunState& state, Console& console) {
  state.start_time = read_wall_clock();
  prepare_transport_tables(state.material, state.transport_tables);
  TransportTotals totals;
  const int bin_count = bin_count_for_voltage(state.conditions.tube_voltage_kv);
  const float field_diameter_cm = state.conditions.field_diameter_cm;
  SharesCache cache;
  Photon photon;
  for (int bin = 1; bin <= bin_count; ++bin) {
    console.line(" " + progress_line(bin, bin_count));
    const std::int64_t histories = bin_history_count(state.incident_spectrum[bin], state.derived.field_photon_count);
    const float source_energy_kev = static_cast<float>(bin) * kBinWidthKev;
    double& incident_count = state.tallies.incident_count[bin];
    for (std::int64_t history = 0; history < histories; ++history) {
      start_photon(photon, source_energy_kev, field_diameter_cm, state.generator, incident_count);
      follow_photon(photon, state.material, state.transport_tables, cache, state.generator, state.tallies,
                    totals.flights);
    }
    if (histories > 0) totals.histories += histories;
  }
  return totals;
}

}  // namespace drevik

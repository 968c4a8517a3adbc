// The history loop: source, flights, escapes, interaction choice, rotation.
#pragma once

#include <cstdint>

#include "run_state.h"

namespace drevik {

class Console;

// Fixed geometry of the simulation, in cm: origin at the centre of the entrance
// surface, z along the beam axis into the phantom, point source on the axis.
constexpr float kSourceToSurfaceCm = 70.0F;
constexpr float kPhantomRadiusCm = 30.0F;
constexpr float kPhantomThicknessCm = 30.0F;
constexpr float kIncidentRadiusCm = 0.5F;  // source photons entering this close to the axis are counted
constexpr float kEnergyCutoffKev = 2.0F;   // photons below it are no longer followed

// Interaction coefficients of the phantom at one energy, log-log interpolated.
struct InteractionShares {
  float total_per_cm = 0.0F;                 // mu = photoelectric + incoherent + coherent
  float photoelectric_share = 0.0F;          // p1 = photoelectric / mu
  float absorbing_or_coherent_share = 0.0F;  // p2 = (photoelectric + coherent) / mu
};

// The coefficients at energy E between the first record above E (scanning from
// record 2) and the one before it.
InteractionShares interaction_shares(const InteractionTable& table, float energy_kev);

// The same, bit for bit, from the logarithms and the record index of tables.
InteractionShares interaction_shares(const InteractionTable& table, const TransportTables& tables, float energy_kev);

// Fills tables from the material tables and the generator's possible deviates.
void prepare_transport_tables(const MaterialTables& material, TransportTables& tables);

// A flight direction: polar angle from +z, azimuth from +x towards +y.
struct Direction {
  float cos_theta = 1.0F;
  float sin_theta = 0.0F;
  float cos_phi = 1.0F;
  float sin_phi = 0.0F;
};

// The direction after scattering by the polar angle (cos, sin of Theta) and the azimuth
// (cos, sin of psi) about the flight direction; (cos phi, sin phi) kept of unit length.
Direction rotate_direction(const Direction& flight, float cos_scatter, float sin_scatter, float cos_psi, float sin_psi);

struct TransportTotals {
  std::int64_t histories = 0;
  std::int64_t flights = 0;
};

// Runs every photon history of the run, one progress line per bin on the console.
// Reads the start time into state.start_time before the first bin.
TransportTotals run_transport(RunState& state, Console& console);

}  // namespace drevik

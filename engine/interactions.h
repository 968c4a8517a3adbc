// Sampling of incoherent (Compton) and coherent (Rayleigh) scattering events: the
// polar scattering angle and, for incoherent scattering, the new photon energy.
#pragma once

#include "run_state.h"

namespace drevik {

struct ScatteringAngle {
  float cos_theta = 1.0F;
  float sin_theta = 0.0F;  // never negative: the angle lies in [0, pi]
};

struct IncoherentResult {
  float energy_kev = 0.0F;  // E' after the event
  ScatteringAngle angle;
};

// The share of Kahn's first branch, p = (lambda + 2) / (9 lambda + 2), lambda = 511 / E.
float kahn_branch_share(float energy_kev);

// The polar angle of a scattering cosine c: pi / 2 for c = 0, else the arctangent of
// sqrt(1 - c^2) / c, moved into [0, pi] for a negative c. c is clamped into [-1, 1].
float scattering_angle_from_cosine(float cosine);

// Fills the row indices of tables (momentum_row, cumulative_row, cumulative_index_scale)
// from the scattering rows; the samplers below start their row searches there.
void prepare_scattering_index(const FormFactorTable& form_factor, TransportTables& tables);

// Klein-Nishina by Kahn's rejection method, then rejection by S(x) / S_max for binding.
// Three draws per Kahn attempt, one more per binding test when x < 10 1/A.
IncoherentResult sample_incoherent(float energy_kev, const FormFactorTable& form_factor, const TransportTables& tables,
                                   RandomGenerator& generator);

// Momentum transfer from the cumulative form-factor distribution, then rejection by
// (1 + cos^2) / 2. One draw per momentum transfer, one per (1 + cos^2) / 2 test.
ScatteringAngle sample_coherent(float energy_kev, const FormFactorTable& form_factor, const TransportTables& tables,
                                RandomGenerator& generator);

}  // namespace drevik

// Sampling of incoherent (Compton) and coherent (Rayleigh) scattering events.
#pragma once

#include "run_state.h"

namespace drevik {

struct ScatteringAngle {
  float cos_theta = 1.0F;
  float sin_theta = 0.0F;
};

struct IncoherentResult {
  float energy_kev = 0.0F;  // E' after the event
  ScatteringAngle angle;
};

// Klein-Nishina by Kahn's rejection, then rejection by S(x)/S_max.
IncoherentResult sample_incoherent(float energy_kev, const FormFactorTable& form_factor, RandomGenerator& generator);

// Momentum transfer from the cumulative form-factor distribution, then (1 + cos^2)/2 rejection.
ScatteringAngle sample_coherent(float energy_kev, const FormFactorTable& form_factor, RandomGenerator& generator);

}  // namespace drevik

#include "interactions.h"

namespace drevik {

// Placeholder until the interaction sampling lands.
IncoherentResult sample_incoherent(float energy_kev, const FormFactorTable& /*form_factor*/,
                                   RandomGenerator& /*generator*/) {
  return {energy_kev, {}};
}

ScatteringAngle sample_coherent(float /*energy_kev*/, const FormFactorTable& /*form_factor*/,
                                RandomGenerator& /*generator*/) {
  return {};
}

}  // namespace drevik

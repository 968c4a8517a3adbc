#include "incident_spectrum.h"

#include <cmath>

namespace drevik {

// Placeholder until the tube model lands: no photons.
void build_incident_spectrum(const RunConditions& /*conditions*/, const DerivedValues& /*derived*/,
                             const AttenuationTable& /*attenuation*/, BinArray& spectrum) {
  spectrum = {};
}

std::int64_t bin_history_count(float share, float field_photon_count) {
  return static_cast<std::int64_t>(static_cast<double>(share) * static_cast<double>(field_photon_count));
}

}  // namespace drevik

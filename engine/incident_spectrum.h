// The X-ray tube's output spectrum: Birch's or Tucker's bremsstrahlung model of a
// tungsten target, averaged over the voltage waveform, K lines, filtration.
#pragma once

#include <cstdint>

#include "run_state.h"

namespace drevik {

// Fills spectrum (bins 2..n(kV) sum to 1, all else 0) from the conditions.
void build_incident_spectrum(const RunConditions& conditions, const DerivedValues& derived,
                             const AttenuationTable& attenuation, BinArray& spectrum);

// Histories started in a bin: trunc(share x field_photon_count) on the exact product.
std::int64_t bin_history_count(float share, float field_photon_count);

}  // namespace drevik

// Reading B2F.dat, the derived values and the range checks of the run conditions.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "console.h"
#include "run_state.h"

namespace drevik {

constexpr const char* kRunConditionsFileName = "B2F.dat";
constexpr float kMaxTubeVoltageKv = 300.0F;  // the energy grid ends at 300 keV

// Reads the eleven lines of B2F.dat; the name line is cut to 30 bytes at a whole
// character of the given set. Throws InputError naming the file, line and value.
RunConditions read_run_conditions(const std::filesystem::path& file, Charset charset);

// Filter thicknesses in cm and the field's photon count.
DerivedValues derive_run_values(const RunConditions& conditions);

// Refuses values that would make the run meaningless or endless; throws InputError.
void check_run_conditions(const RunConditions& conditions);

// The front end's default conditions (150 kV constant potential, Tucker's formula, water,
// a 10 cm field) with the given fluence and results file name.
RunConditions default_run_conditions(float photons_per_cm2 = 1.0e6F, std::string_view results_name = "");

// The name of the results file: the 30-byte field with trailing blanks removed.
std::string results_file_name_text(const RunConditions& conditions);

}  // namespace drevik

#include "run_conditions.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "fixed_fields.h"
#include "input_error.h"

namespace drevik {

namespace {

constexpr float kMmToCm = 0.1F;

struct RealLine {
  float RunConditions::*field;
  const char* what;
};

// Lines 1..7 in file order.
constexpr RealLine kRealLines[] = {
    {&RunConditions::tube_voltage_kv, "the tube voltage in kV"},
    {&RunConditions::target_angle_deg, "the target angle in degrees"},
    {&RunConditions::inherent_filtration_mm, "the inherent filtration in mm Al"},
    {&RunConditions::al_filter_mm, "the added aluminium filter in mm"},
    {&RunConditions::cu_filter_mm, "the added copper filter in mm"},
    {&RunConditions::field_diameter_cm, "the field diameter in cm"},
    {&RunConditions::photons_per_cm2, "the incident photons per cm2"},
};

struct CodeLine {
  std::int32_t RunConditions::*field;
  const char* what;
};

// Lines 8..10: formula, then rectification, then phantom.
constexpr CodeLine kCodeLines[] = {
    {&RunConditions::formula_code, "the formula code (an integer)"},
    {&RunConditions::rectification_code, "the rectification code (an integer)"},
    {&RunConditions::phantom_code, "the phantom code (an integer)"},
};

std::string shown(std::string_view line) {
  line = without_carriage_return(line);
  constexpr std::size_t kShownBytes = 40;
  return "\"" + std::string(line.substr(0, kShownBytes)) + "\"";
}

}  // namespace

RunConditions read_run_conditions(const std::filesystem::path& file, Charset charset) {
  const std::string name = file.filename().string();
  std::ifstream in(file, std::ios::binary);
  if (!in) throw InputError(name, 0, "cannot open the run-conditions file (missing or unreadable)");
  RunConditions conditions;
  std::string line;
  int line_number = 0;
  auto next_line = [&](const char* what) {
    ++line_number;
    if (!std::getline(in, line)) {
      throw InputError(name, line_number, std::string("expected ") + what + ", found the end of the file");
    }
  };
  for (const RealLine& real : kRealLines) {
    next_line(real.what);
    const auto value = read_free_real(line);
    if (!value) throw InputError(name, line_number, std::string("expected ") + real.what + ", found " + shown(line));
    conditions.*real.field = *value;
  }
  for (const CodeLine& code : kCodeLines) {
    next_line(code.what);
    const auto value = read_free_integer(line);
    if (!value) throw InputError(name, line_number, std::string("expected ") + code.what + ", found " + shown(line));
    conditions.*code.field = *value;
  }
  next_line("the results file name");
  const std::string_view text = without_carriage_return(line);
  const std::size_t kept = whole_character_prefix(text, kResultsNameBytes, charset);
  conditions.results_file_name.fill(' ');
  text.copy(conditions.results_file_name.data(), kept);
  return conditions;
}

DerivedValues derive_run_values(const RunConditions& conditions) {
  DerivedValues derived;
  derived.inherent_filtration_cm = conditions.inherent_filtration_mm * kMmToCm;
  derived.al_filter_cm = conditions.al_filter_mm * kMmToCm;
  derived.cu_filter_cm = conditions.cu_filter_mm * kMmToCm;
  // (D x 0.5)^2.0 by the general power function, times pi, times the fluence.
  const double half_diameter = static_cast<double>(conditions.field_diameter_cm * 0.5F);
  const auto area = static_cast<float>(std::pow(half_diameter, 2.0));
  derived.field_photon_count = static_cast<float>(static_cast<double>(area) * static_cast<double>(kPi) *
                                                  static_cast<double>(conditions.photons_per_cm2));
  return derived;
}

void check_run_conditions(const RunConditions& conditions) {
  const std::string name = kRunConditionsFileName;
  auto value_text = [](float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return std::string(text);
  };
  const float kv = conditions.tube_voltage_kv;
  if (!(kv > 0.0F && kv <= kMaxTubeVoltageKv)) {
    throw InputError(name, 1, "tube voltage " + value_text(kv) + " kV is outside the allowed range 0 < kV <= 300");
  }
  const float angle = conditions.target_angle_deg;
  if (!(angle > 0.0F && angle < 90.0F)) {
    throw InputError(name, 2, "target angle " + value_text(angle) + " deg is outside the allowed range 0 < angle < 90");
  }
  const struct {
    float value;
    int line;
    const char* what;
  } filters[] = {{conditions.inherent_filtration_mm, 3, "inherent filtration"},
                 {conditions.al_filter_mm, 4, "aluminium filter"},
                 {conditions.cu_filter_mm, 5, "copper filter"}};
  for (const auto& filter : filters) {
    if (!(filter.value >= 0.0F)) {
      throw InputError(name, filter.line,
                       std::string(filter.what) + " " + value_text(filter.value) + " mm is negative (allowed: >= 0)");
    }
  }
  if (!(conditions.field_diameter_cm >= 0.0F)) {
    throw InputError(name, 6,
                     "field diameter " + value_text(conditions.field_diameter_cm) + " cm is negative (allowed: >= 0)");
  }
  if (results_file_name_text(conditions).empty()) {
    throw InputError(name, 11, "the results file name is blank (expected a file name)");
  }
}

RunConditions default_run_conditions(float photons_per_cm2, std::string_view results_name) {
  RunConditions c;
  c.tube_voltage_kv = 150.0F;
  c.target_angle_deg = 12.0F;
  c.inherent_filtration_mm = 2.5F;
  c.al_filter_mm = 2.0F;
  c.cu_filter_mm = 0.2F;
  c.field_diameter_cm = 10.0F;
  c.photons_per_cm2 = photons_per_cm2;
  c.formula_code = 2;
  c.rectification_code = 1;
  c.phantom_code = 1;
  c.results_file_name.fill(' ');
  results_name.substr(0, kResultsNameBytes).copy(c.results_file_name.data(), kResultsNameBytes);
  return c;
}

std::string results_file_name_text(const RunConditions& conditions) {
  std::string name(conditions.results_file_name.data(), conditions.results_file_name.size());
  const std::size_t last = name.find_last_not_of(' ');
  return last == std::string::npos ? std::string() : name.substr(0, last + 1);
}

}  // namespace drevik

#include "transport.h"

#include "console.h"
#include "fixed_format.h"
#include "incident_spectrum.h"

namespace drevik {

namespace {

// " --- ", the bin right-aligned in 11 columns, " /", the bin count in 11 columns.
std::string progress_line(int bin, int bin_count) {
  return " --- " + format_integer(bin, 11) + " /" + format_integer(bin_count, 11);
}

}  // namespace

// Placeholder until the photon histories land: the bin loop with its progress lines.
void run_transport(RunState& state, Console& console) {
  state.start_time = read_wall_clock();
  const int bin_count = bin_count_for_voltage(state.conditions.tube_voltage_kv);
  for (int bin = 1; bin <= bin_count; ++bin) {
    console.line(" " + progress_line(bin, bin_count));
    (void)bin_history_count(state.incident_spectrum[bin], state.derived.field_photon_count);
  }
}

}  // namespace drevik

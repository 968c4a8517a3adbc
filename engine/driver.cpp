#include "driver.h"

#include "data_tables.h"
#include "dialogue.h"
#include "incident_spectrum.h"
#include "input_error.h"
#include "random.h"
#include "results_file.h"
#include "run_conditions.h"
#include "transport.h"

namespace drevik {

namespace {

void print(Console& console, const Lines& lines) {
  for (const std::string& line : lines) console.line(line);
}

}  // namespace

int run_engine(RunState& state, Console& console) {
  // 1-2. pi is the constant kPi; seed the generator; zero the counters.
  seed_generator(state.generator);
  state.tallies.counter_tally = {};
  // 3. Banner.
  print(console, banner_lines());
  try {
    // 4-5. Run conditions and the values derived from them.
    state.conditions = read_run_conditions(kRunConditionsFileName, console.charset());
    state.derived = derive_run_values(state.conditions);
    // 6. Echo of the conditions as read; values the run cannot use are refused after it.
    print(console, echo_lines(state.conditions));
    check_run_conditions(state.conditions);
    // 7. Notice, prompt and the first wait.
    print(console, notice_lines());
    console.wait_for_enter();
    // 8-10. Attenuation table, incident spectrum, phantom material.
    load_attenuation_table(locate_data_file(kAttenuationFileName), state.attenuation);
    build_incident_spectrum(state.conditions, state.derived, state.attenuation, state.incident_spectrum);
    load_material_tables(locate_data_file(material_file_name(state.conditions.phantom_code)),
                         state.conditions.tube_voltage_kv, state.material);
    // 11. Transport; it reads the start time before its first bin.
    run_transport(state, console);
    // 12. Start and end times.
    print(console, start_time_lines(state.start_time));
    state.end_time = read_wall_clock();
    print(console, end_time_lines(state.end_time));
    // 13. Totals and the results file.
    write_results_file(state);
  } catch (const InputError& error) {
    console.line(" ");
    console.line(" *** Error: " + std::string(error.what()));
    console.line(" *** The run was stopped; no results file was written.");
    return 1;
  }
  // 14-15. Final lines, the second wait, the stop line.
  print(console, final_lines(state.conditions, console.charset()));
  console.wait_for_enter();
  console.line(kStopLine);
  return 0;
}

}  // namespace drevik

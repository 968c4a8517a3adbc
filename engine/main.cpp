// Drevik: one start is one simulation in the working folder.
#include <cstdio>

#include "console.h"
#include "driver.h"
#include "run_state.h"

int main() {
  // The run state is large (counters of 6 depths x 3 kinds x 600 bins): keep it off the stack.
  static drevik::RunState state;
  drevik::Console console(stdout, stdin, drevik::detect_console_charset());
  return drevik::run_engine(state, console);
}

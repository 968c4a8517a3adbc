// The engine's console dialogue: banner, echo of the conditions, notice and prompt,
// the time lines and the final lines, each returned as UTF-8 lines.
#pragma once

#include <string>
#include <vector>

#include "console.h"
#include "run_state.h"

namespace drevik {

using Lines = std::vector<std::string>;

Lines banner_lines();                                                 // B1..B9
Lines echo_lines(const RunConditions& conditions);                    // E1..E12
Lines notice_lines();                                                 // P1..P7
Lines start_time_lines(const ClockTime& start);                       // T1..T3
Lines end_time_lines(const ClockTime& end);                           // T4..T5
Lines final_lines(const RunConditions& conditions, Charset charset);  // F1..F5
constexpr const char* kStopLine = "Stop - Program terminated.";

}  // namespace drevik

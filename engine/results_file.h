// The CSV results file: ten condition lines, the headings, one row per bin.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "run_state.h"

namespace drevik {

// Kind 3 (total) = kind 1 (primary) + kind 2 (scatter) at every depth, bins 1..bin_count.
void form_totals(Tallies& tallies, int bin_count);

// The whole file as written: every line ended by CR LF, rows for bins 1..trunc(2 x kV).
std::string results_file_text(const RunConditions& conditions, const Tallies& tallies);

// Writes bytes to a temporary file in the file's folder and renames it over the file,
// so that a failed write leaves neither a partial file nor a damaged older one. An
// interrupt or termination signal during the write removes the temporary file.
// before_rename, when given, runs after the temporary file is complete (a test seam).
// Throws InputError naming the file and the system's reason.
void write_file_replacing(const std::filesystem::path& file, std::string_view bytes, void (*before_rename)() = nullptr);

// Forms the totals and writes the results file under the run's file name.
void write_results_file(RunState& state);

}  // namespace drevik

// Fixed-width field rendering (Fw.d, Iw, Aw), shared by the console and the results file.
#pragma once

#include <string>
#include <string_view>

namespace drevik {

// Fw.d: the value rounded half away from zero (on its exact binary value) to d
// decimals, right-aligned in w columns; no zero before the point of a value below 1
// ("  .200"), except "0." for a value with no digits at all; the point is always
// written; w asterisks when it does not fit.
std::string format_fixed(double value, int width, int decimals);

// Iw: the integer right-aligned in w columns, w asterisks when it does not fit.
std::string format_integer(long long value, int width);

// Aw: the first w bytes of the text, blank-padded to w.
std::string format_text(std::string_view text, int width);

}  // namespace drevik

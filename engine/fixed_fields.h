// Reading numbers from text lines: free-form values (B2F.dat) and fixed-column
// fields (the data files). Failures are reported by the callers with file and line.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace drevik {

// Free-form read of the first value on a line: leading blanks, then a real with
// optional sign, point and exponent (E or D and a signed integer, or a sign directly
// followed by the exponent digits); it ends at a blank, comma, slash or line end.
// Empty when the line holds no such value.
std::optional<float> read_free_real(std::string_view line);
// The same for a signed 32-bit integer (no point, no exponent).
std::optional<std::int32_t> read_free_integer(std::string_view line);

// Removes a trailing carriage return (CR LF line ends).
std::string_view without_carriage_return(std::string_view line);

}  // namespace drevik

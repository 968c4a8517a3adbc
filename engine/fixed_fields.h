// Reading numbers from text lines: free-form values (B2F.dat) and fixed-column
// fields (the data files). Failures are reported by the callers with file and line.
#pragma once

#include <cstddef>
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

// Fixed-column reading. A record is a line of fields of fixed width that follow each
// other without separators. `offset` counts from 0; a line shorter than the field reads
// as if padded with blanks, so the part past its end is simply missing. A trailing
// carriage return is no part of the line.
std::string_view fixed_field(std::string_view line, std::size_t offset, std::size_t width);

// A real field: blanks anywhere in it are ignored and an all-blank field is 0; then an
// optional sign, digits with an optional decimal point, and an optional exponent (E or D
// followed by an integer with optional sign, or a sign directly followed by the exponent
// digits). Without a decimal point the last `decimals` digits are the decimals (1234 with
// 3 decimals is 1.234). Empty when the field holds anything else or a value beyond the
// range of single precision.
std::optional<float> read_fixed_real(std::string_view field, int decimals);
// An integer field: blanks ignored, all blank is 0, an optional sign and digits.
std::optional<std::int32_t> read_fixed_integer(std::string_view field);

}  // namespace drevik

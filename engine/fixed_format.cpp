#include "fixed_format.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace drevik {

namespace {

// Exact decimal expansion of |value| with enough digits that nothing is rounded
// (a double has at most 1074 significant decimals).
std::string exact_decimal(double magnitude) {
  constexpr int kExactDigits = 1100;
  std::vector<char> buffer(kExactDigits + 400);
  std::snprintf(buffer.data(), buffer.size(), "%.*f", kExactDigits, magnitude);
  return {buffer.data()};
}

std::string asterisks(int width) { return std::string(static_cast<std::size_t>(width), '*'); }

}  // namespace

std::string format_fixed(double value, int width, int decimals) {
  if (!std::isfinite(value)) return asterisks(width);
  const bool negative = std::signbit(value);
  const std::string exact = exact_decimal(std::fabs(value));
  const std::size_t point = exact.find('.');
  // Digits kept: the integer part and the first `decimals` decimals.
  std::string digits = exact.substr(0, point) + exact.substr(point + 1, static_cast<std::size_t>(decimals));
  // Round half away from zero: the next exact digit decides.
  if (exact[point + 1 + static_cast<std::size_t>(decimals)] >= '5') {
    int i = static_cast<int>(digits.size()) - 1;
    while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') digits[static_cast<std::size_t>(i--)] = '0';
    if (i < 0) {
      digits.insert(digits.begin(), '1');
    } else {
      ++digits[static_cast<std::size_t>(i)];
    }
  }
  const std::size_t integer_length = digits.size() - static_cast<std::size_t>(decimals);
  std::string integer_part = digits.substr(0, integer_length);
  const std::string decimal_part = digits.substr(integer_length);
  const std::size_t first_nonzero = integer_part.find_first_not_of('0');
  integer_part = first_nonzero == std::string::npos ? "" : integer_part.substr(first_nonzero);
  const bool is_zero = integer_part.empty() && decimal_part.find_first_not_of('0') == std::string::npos;
  if (integer_part.empty() && decimals == 0) integer_part = "0";
  std::string text = (negative && !is_zero ? "-" : "") + integer_part + "." + decimal_part;
  if (static_cast<int>(text.size()) > width) return asterisks(width);
  return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

std::string format_integer(long long value, int width) {
  std::string text = std::to_string(value);
  if (static_cast<int>(text.size()) > width) return asterisks(width);
  return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

std::string format_text(std::string_view text, int width) {
  std::string field(text.substr(0, static_cast<std::size_t>(width)));
  field.resize(static_cast<std::size_t>(width), ' ');
  return field;
}

}  // namespace drevik

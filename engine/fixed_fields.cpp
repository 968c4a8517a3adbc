#include "fixed_fields.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string>

namespace drevik {

namespace {

bool is_digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// The first value of a free-form line: from the first non-blank up to a blank,
// comma, slash or the end.
std::string_view first_free_token(std::string_view line) {
  line = without_carriage_return(line);
  const std::size_t start = line.find_first_not_of(" \t");
  if (start == std::string_view::npos) return {};
  const std::size_t end = line.find_first_of(" \t,/", start);
  return line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// Rewrites a real token into the form from_chars takes ("1.5E+6"), or empty if the
// token is not a real number.
std::string normalised_real(std::string_view token) {
  std::string text;
  std::size_t i = 0;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
    if (token[i] == '-') text.push_back('-');
    ++i;
  }
  bool any_digit = false;
  bool point = false;
  for (; i < token.size(); ++i) {
    const char c = token[i];
    if (is_digit(c)) {
      any_digit = true;
      text.push_back(c);
    } else if (c == '.' && !point) {
      point = true;
      text.push_back(c);
    } else {
      break;
    }
  }
  if (!any_digit) return {};
  if (i == token.size()) return text;
  // Exponent: E/D then an optional sign, or a bare sign; then digits.
  const char marker = static_cast<char>(std::toupper(static_cast<unsigned char>(token[i])));
  if (marker == 'E' || marker == 'D')
    ++i;
  else if (marker != '+' && marker != '-')
    return {};
  std::string exponent = "e";
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) exponent.push_back(token[i++]);
  const std::size_t digits_start = i;
  while (i < token.size() && is_digit(token[i])) exponent.push_back(token[i++]);
  if (i == digits_start || i != token.size()) return {};
  return text + exponent;
}

}  // namespace

std::string_view without_carriage_return(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

std::optional<float> read_free_real(std::string_view line) {
  const std::string text = normalised_real(first_free_token(line));
  if (text.empty()) return std::nullopt;
  float value = 0.0F;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string_view fixed_field(std::string_view line, std::size_t offset, std::size_t width) {
  line = without_carriage_return(line);
  if (offset >= line.size()) return {};
  return line.substr(offset, width);
}

std::optional<float> read_fixed_real(std::string_view field, int decimals) {
  std::string compact;
  for (const char c : field)
    if (c != ' ') compact.push_back(c);
  if (compact.empty()) return 0.0F;

  // Mantissa digits without the point, and the power of ten they are to be scaled by.
  std::string text;
  std::size_t i = 0;
  if (compact[i] == '+' || compact[i] == '-') {
    if (compact[i] == '-') text.push_back('-');
    ++i;
  }
  bool any_digit = false;
  bool point = false;
  long long scale = 0;
  for (; i < compact.size(); ++i) {
    const char c = compact[i];
    if (is_digit(c)) {
      any_digit = true;
      text.push_back(c);
      if (point) --scale;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!any_digit) return std::nullopt;
  if (!point) scale -= decimals;

  if (i < compact.size()) {
    // Exponent: E or D with an optional sign, or a bare sign, then at least one digit.
    const char marker = static_cast<char>(std::toupper(static_cast<unsigned char>(compact[i])));
    if (marker == 'E' || marker == 'D') ++i;
    bool negative_exponent = false;
    if (i < compact.size() && (compact[i] == '+' || compact[i] == '-')) {
      negative_exponent = compact[i] == '-';
      ++i;
    } else if (marker != 'E' && marker != 'D') {
      return std::nullopt;
    }
    const std::size_t digits_start = i;
    long long exponent = 0;
    // Capped: any exponent this large is beyond single precision whatever the digits.
    for (; i < compact.size() && is_digit(compact[i]); ++i)
      exponent = std::min(exponent * 10 + (compact[i] - '0'), 1000000LL);
    if (i == digits_start || i != compact.size()) return std::nullopt;
    scale += negative_exponent ? -exponent : exponent;
  }

  text += 'e' + std::to_string(scale);
  float value = 0.0F;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<std::int32_t> read_fixed_integer(std::string_view field) {
  std::string compact;
  for (const char c : field)
    if (c != ' ') compact.push_back(c);
  if (compact.empty()) return 0;
  std::size_t i = 0;
  const bool negative = compact[0] == '-';
  if (compact[0] == '+' || compact[0] == '-') ++i;
  if (i == compact.size()) return std::nullopt;
  long long value = 0;
  for (; i < compact.size(); ++i) {
    if (!is_digit(compact[i])) return std::nullopt;
    value = value * 10 + (compact[i] - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> read_free_integer(std::string_view line) {
  std::string_view token = first_free_token(line);
  if (!token.empty() && token.front() == '+') token.remove_prefix(1);
  if (token.empty()) return std::nullopt;
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (error != std::errc() || end != token.data() + token.size()) return std::nullopt;
  return value;
}

}  // namespace drevik

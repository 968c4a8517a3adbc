#include "fixed_fields.h"

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

#include "number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

// Beyond this the exponent is held at the bound: every finite double lies well inside it, and it
// keeps a written number to a few thousand digits whatever was typed.
constexpr int kExponentBound = 9999;

bool is_blank(QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool is_digit(QChar c) { return c >= u'0' && c <= u'9'; }

// Position of the next non-blank character at or after i.
qsizetype skip_blanks(QStringView text, qsizetype i) {
  while (i < text.size() && is_blank(text[i])) ++i;
  return i;
}

}  // namespace

double TypedNumber::value() const {
  if (digits.isEmpty()) return 0.0;
  const std::string text = digits.toStdString() + "e" + std::to_string(exponent);
  double result = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    result = exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -result : result;
}

TypedNumber read_leading_number(QStringView text) {
  TypedNumber number;
  qsizetype i = skip_blanks(text, 0);
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    number.negative = text[i] == u'-';
    i = skip_blanks(text, i + 1);
  }
  QString digits;
  long long exponent = 0;
  bool any_digit = false;
  bool seen_point = false;
  for (; i < text.size(); i = skip_blanks(text, i + 1)) {
    const QChar c = text[i];
    if (is_digit(c)) {
      any_digit = true;
      if (!digits.isEmpty() || c != u'0') {
        digits.append(c);
      }
      if (seen_point) --exponent;
    } else if (c == u'.' && !seen_point) {
      seen_point = true;
    } else {
      break;
    }
  }
  // An exponent counts only with at least one digit after the letter and its sign.
  if (any_digit && i < text.size() && (text[i] == u'E' || text[i] == u'e')) {
    qsizetype j = skip_blanks(text, i + 1);
    bool exponent_negative = false;
    if (j < text.size() && (text[j] == u'+' || text[j] == u'-')) {
      exponent_negative = text[j] == u'-';
      j = skip_blanks(text, j + 1);
    }
    if (j < text.size() && is_digit(text[j])) {
      long long written = 0;
      for (; j < text.size() && is_digit(text[j]); j = skip_blanks(text, j + 1)) {
        written = std::min<long long>(written * 10 + (text[j].unicode() - u'0'), 10LL * kExponentBound);
      }
      exponent += exponent_negative ? -written : written;
    }
  }
  // Trailing zeros of the digits move into the exponent.
  qsizetype kept = digits.size();
  while (kept > 0 && digits[kept - 1] == u'0') --kept;
  exponent += digits.size() - kept;
  digits.truncate(kept);
  if (digits.isEmpty()) return TypedNumber{};
  number.digits = digits;
  number.exponent = static_cast<int>(std::clamp<long long>(exponent, -kExponentBound, kExponentBound));
  return number;
}

double text_to_number(QStringView text) { return read_leading_number(text).value(); }

TypedNumber typed_number_from_int(long long value) {
  const bool negative = value < 0;
  // Through unsigned arithmetic so that the lowest value has a magnitude too.
  const unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(value) : value;
  return read_leading_number(QString(negative ? "-%1" : "%1").arg(magnitude));
}

QString format_with_mask(const TypedNumber& number, QStringView mask) {
  const qsizetype point = mask.indexOf(u'.');
  const bool has_point = point >= 0;
  const qsizetype integer_zeros = has_point ? mask.left(point).count(u'0') : mask.count(u'0');
  const qsizetype decimals = has_point ? mask.mid(point + 1).count(u'0') : 0;

  // The number scaled by 10^decimals, rounded half away from zero to a whole number.
  QString scaled;
  const long long shift = static_cast<long long>(number.exponent) + decimals;
  if (number.is_zero()) {
    scaled = QString();
  } else if (shift >= 0) {
    scaled = number.digits + QString(static_cast<qsizetype>(shift), u'0');
  } else {
    const long long dropped = -shift;
    if (dropped > number.digits.size()) {
      scaled = QString();  // the first dropped digit is an implicit zero
    } else {
      const qsizetype kept = number.digits.size() - static_cast<qsizetype>(dropped);
      scaled = number.digits.left(kept);
      if (number.digits[kept] >= u'5') {
        // Add one, carrying through the nines.
        qsizetype k = scaled.size() - 1;
        while (k >= 0 && scaled[k] == u'9') {
          scaled[k] = u'0';
          --k;
        }
        if (k >= 0) {
          scaled[k] = QChar(scaled[k].unicode() + 1);
        } else {
          scaled.prepend(u'1');
        }
      }
    }
  }
  const bool rounds_to_zero = scaled.isEmpty();
  const qsizetype least_digits = integer_zeros + decimals;
  if (scaled.size() < least_digits) scaled.prepend(QString(least_digits - scaled.size(), u'0'));

  QString text;
  if (number.negative && !rounds_to_zero) text.append(u'-');
  text.append(scaled.left(scaled.size() - decimals));
  if (has_point) text.append(u'.');
  text.append(scaled.right(decimals));
  return text;
}

QString format_with_mask(long long value, QStringView mask) {
  return format_with_mask(typed_number_from_int(value), mask);
}

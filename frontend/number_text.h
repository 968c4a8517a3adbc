// Reading the number at the start of a text, and writing numbers with digit masks.
#pragma once

#include <QString>
#include <QStringView>

// A number as the user typed it, kept in decimal: value = (negative ? -1 : 1) * digits * 10^exponent.
// Masks round this decimal value, so 150.05 rounds up as typed instead of as its nearest binary value.
struct TypedNumber {
  bool negative = false;
  QString digits;  // decimal digits without leading zeros; empty for zero
  int exponent = 0;

  [[nodiscard]] double value() const;  // nearest double; +-infinity beyond its range
  [[nodiscard]] bool is_zero() const { return digits.isEmpty(); }
};

// The number at the start of a text: blanks are skipped, then an optional sign, digits with at
// most one decimal point and an optional exponent (1.5E2). Reading stops at the first character
// that cannot continue the number; a text without a number gives 0.
// "150 kV" gives 150, "1,000,000" gives 1, "abc" gives 0.
TypedNumber read_leading_number(QStringView text);
double text_to_number(QStringView text);

TypedNumber typed_number_from_int(long long value);

// Formats a number with a mask of zeros and at most one point ("0000.0", "00.000",
// "0000000000.", "00"): the zeros give the least number of digits before and after the point,
// the number is rounded half away from zero to the decimals, integer digits beyond the mask are
// all written, a point at the mask's end is written, a negative number gets a leading minus.
QString format_with_mask(const TypedNumber& number, QStringView mask);
QString format_with_mask(long long value, QStringView mask);

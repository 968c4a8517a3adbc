// Fixed-column reading of the data files' fields.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "fixed_fields.h"

namespace drevik {
namespace {

TEST(FixedFields, RealFieldsThatAreNumbers) {
  const struct {
    const char* field;
    int decimals;
    float expected;
  } cases[] = {
      {"    1.234", 3, 1.234F},  // number at the right of its field
      {"1.234    ", 3, 1.234F},  // ... at the left
      {"  1.234  ", 3, 1.234F},  // ... anywhere
      {"1234", 3, 1.234F},       // no point: the last 3 digits are decimals
      {"     1234", 3, 1.234F},
      {"12345", 5, 0.12345F},
      {"5", 3, 0.005F},
      {"-1234", 3, -1.234F},
      {"1 2 3 4", 3, 1.234F},  // blanks inside a field are ignored
      {"1 . 5 E - 2", 3, 0.015F},
      {"", 3, 0.0F},  // all blank gives 0 (also a field past the line's end)
      {"         ", 3, 0.0F},
      {"-1.5", 3, -1.5F},
      {"+2.5", 3, 2.5F},
      {".5", 3, 0.5F},
      {"5.", 3, 5.0F},
      {"-.25E1", 3, -2.5F},
      {"1.0E-03", 3, 0.001F},
      {"1.0E3", 3, 1000.0F},
      {"1.0e+03", 3, 1000.0F},
      {"1.5D2", 3, 150.0F},
      {"1.0-3", 3, 0.001F},  // sign directly followed by the exponent digits
      {"1.0+3", 3, 1000.0F},
      {"1234E2", 3, 123.4F},  // decimals apply before the exponent
      {"1234-1", 3, 0.1234F},
      {"0.17816E+06", 5, 178160.0F},
      {"1.000E-01", 3, 0.1F},
      {"0.1", 3, 0.1F},  // correctly rounded to single precision
      {"000000000000000000001.5", 3, 1.5F},
      {"0E999999999999", 3, 0.0F},
  };
  for (const auto& c : cases) {
    const auto value = read_fixed_real(c.field, c.decimals);
    ASSERT_TRUE(value.has_value()) << '"' << c.field << '"';
    EXPECT_EQ(*value, c.expected) << '"' << c.field << '"';
  }
}

TEST(FixedFields, RealFieldsThatAreNotNumbers) {
  for (const char* field :
       {"abc", "1.2.3", "1.0E",     "1.0E+", "E5",  ".",   "+",     "-",      "1,5",    "1.0E3x", "\t1.0",
        "1-",  "--1",   "1.0E+3.5", "0x10",  "inf", "nan", "1e999", "-1e999", "1e-999", "1.0;"}) {
    EXPECT_FALSE(read_fixed_real(field, 3).has_value()) << '"' << field << '"';
  }
}

TEST(FixedFields, IntegerFields) {
  const struct {
    const char* field;
    std::int32_t expected;
  } cases[] = {{" 12", 12}, {"12 ", 12}, {"1 2", 12}, {"   ", 0}, {"", 0}, {"-3", -3}, {"+7", 7}, {"040", 40}};
  for (const auto& c : cases) {
    const auto value = read_fixed_integer(c.field);
    ASSERT_TRUE(value.has_value()) << '"' << c.field << '"';
    EXPECT_EQ(*value, c.expected) << '"' << c.field << '"';
  }
  for (const char* field : {"1.0", "x", "+", "-", "--1", "+-1", "1e2", "99999999999", "2147483648"})
    EXPECT_FALSE(read_fixed_integer(field).has_value()) << '"' << field << '"';
  EXPECT_EQ(read_fixed_integer("-2147483648"), INT32_MIN);
}

TEST(FixedFields, FieldsOfALine) {
  const std::string line = "    0.500  1.78157E+05  1.82058E+04\r";
  EXPECT_EQ(fixed_field(line, 0, 9), "    0.500");
  EXPECT_EQ(fixed_field(line, 9, 13), "  1.78157E+05");
  EXPECT_EQ(fixed_field(line, 22, 13), "  1.82058E+04");  // the carriage return is no part of it
  EXPECT_EQ(fixed_field(line, 35, 13), "");               // past the end: blank
  EXPECT_EQ(fixed_field("  12", 0, 3), "  1");            // text after the field is not read
  EXPECT_EQ(fixed_field("12", 0, 3), "12");               // a short line reads as if padded
}

// The layouts the data generator writes read back to the value the text states, and
// the largest and smallest values of the data files fit their columns.
TEST(FixedFields, GeneratorFormatsRoundTrip) {
  const struct {
    const char* format;
    int width;
    int decimals;
    double value;
  } cases[] = {
      {"%13.5E", 13, 5, 178156.62772},  // tungsten at 0.5 keV, 1/cm
      {"%13.5E", 13, 5, 0.281287},
      {"%9.3f", 9, 3, 300.0},
      {"%9.7f", 9, 3, 0.0010706},  // material energy, MeV
      {"%9.7f", 9, 3, 0.5},
      {"%10.3E", 10, 3, 4075.2},  // coefficients, 1/cm
      {"%10.3E", 10, 3, 1.883e-05},
      {"%10.5f", 10, 3, 10.0},  // momentum transfer
      {"%10.5f", 10, 3, 0.00597},
      {"%12.5E", 12, 5, 10.9351},  // C(x), S(x)
      {"%12.5E", 12, 5, 8.94916e-05},
      {"%3d", 3, 0, 39},
      {"%9.6f", 9, 6, 1.06},
  };
  for (const auto& c : cases) {
    char text[64];
    if (c.format[std::string(c.format).size() - 1] == 'd')
      std::snprintf(text, sizeof text, c.format, static_cast<int>(c.value));
    else
      std::snprintf(text, sizeof text, c.format, c.value);
    ASSERT_EQ(std::string(text).size(), static_cast<std::size_t>(c.width)) << text;
    const auto value = read_fixed_real(text, c.decimals);
    ASSERT_TRUE(value.has_value()) << text;
    EXPECT_EQ(*value, std::strtof(text, nullptr)) << text;
    EXPECT_NEAR(*value, c.value, 5e-4 * c.value) << text;
  }
}

}  // namespace
}  // namespace drevik

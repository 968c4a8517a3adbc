#include <gtest/gtest.h>

#include <string>

#include "engine_test_support.h"
#include "fixed_fields.h"
#include "input_error.h"
#include "run_conditions.h"

namespace drevik {
namespace {

using drevik::testing::default_conditions;
using drevik::testing::ScratchFolder;

RunConditions read_text(const std::string& text, Charset charset = Charset::Utf8) {
  const ScratchFolder folder;
  folder.write("B2F.dat", text);
  return read_run_conditions(folder.path() / "B2F.dat", charset);
}

TEST(RunConditionsFile, ReadsTheFrontEndDefaults) {
  const RunConditions c = read_text(default_conditions());
  EXPECT_EQ(c.tube_voltage_kv, 150.0F);
  EXPECT_EQ(c.target_angle_deg, 12.0F);
  EXPECT_EQ(c.inherent_filtration_mm, 2.5F);
  EXPECT_EQ(c.al_filter_mm, 2.0F);
  EXPECT_EQ(c.cu_filter_mm, 0.2F);
  EXPECT_EQ(c.field_diameter_cm, 10.0F);
  EXPECT_EQ(c.photons_per_cm2, 1.0e6F);
  EXPECT_EQ(c.formula_code, 2);
  EXPECT_EQ(c.rectification_code, 1);
  EXPECT_EQ(c.phantom_code, 1);
  EXPECT_EQ(results_file_name_text(c), "run1.csv");
  EXPECT_EQ(std::string(c.results_file_name.data(), 30), "run1.csv                      ");
}

TEST(RunConditionsFile, FreeFormValues) {
  const struct {
    const char* line;
    float value;
  } reals[] = {{"0001000000.", 1.0e6F}, {"1.5E6", 1.5e6F}, {"1.5e+6", 1.5e6F}, {"  0150.0", 150.0F},
               {"-02.500", -2.5F},      {"+7", 7.0F},      {".5", 0.5F},       {"2.5D1", 25.0F},
               {"12.5 kV", 12.5F},      {"12.5,3", 12.5F}, {"12.5/", 12.5F},   {"3.0\r", 3.0F},
               {"1.0-3", 1.0e-3F},      {"\t4", 4.0F}};
  for (const auto& c : reals) {
    const auto value = read_free_real(c.line);
    ASSERT_TRUE(value.has_value()) << c.line;
    EXPECT_EQ(*value, c.value) << c.line;
  }
  const struct {
    const char* line;
    int value;
  } integers[] = {{"02", 2}, {"  02", 2}, {"01\r", 1}, {"-1", -1}, {"3 ,x", 3}, {"+2", 2}};
  for (const auto& c : integers) {
    const auto value = read_free_integer(c.line);
    ASSERT_TRUE(value.has_value()) << c.line;
    EXPECT_EQ(*value, c.value) << c.line;
  }
  for (const char* bad : {"", "   ", "abc", "1.2.3", "1e", "E5", ",5", "/", "1x", "1e99", "--1"}) {
    EXPECT_FALSE(read_free_real(bad).has_value()) << bad;
  }
  for (const char* bad : {"", "2.0", "x", "99999999999", "1e2"}) {
    EXPECT_FALSE(read_free_integer(bad).has_value()) << bad;
  }
}

TEST(RunConditionsFile, NameLineIsThirtyBytesAtAWholeCharacter) {
  // Longer than 30 bytes: the 31st and later bytes are ignored.
  RunConditions c = read_text(default_conditions("abcdefghijklmnopqrstuvwxyz0123.csv"));
  EXPECT_EQ(results_file_name_text(c), "abcdefghijklmnopqrstuvwxyz0123");
  // Exactly 30 bytes are used whole; LF line ends work too.
  std::string lf = default_conditions("abcdefghijklmnopqrstuvwxyz.csv");
  for (std::size_t at = lf.find('\r'); at != std::string::npos; at = lf.find('\r')) lf.erase(at, 1);
  c = read_text(lf);
  EXPECT_EQ(results_file_name_text(c), "abcdefghijklmnopqrstuvwxyz.csv");
  // Ten 3-byte UTF-8 characters fill 30 bytes; an eleventh would be cut in half, so it goes whole.
  c = read_text(default_conditions("あいうえおかきくけこさ.csv"));
  EXPECT_EQ(results_file_name_text(c), "あいうえおかきくけこ");
  c = read_text(default_conditions("xあいうえおかきくけこ.csv"));
  EXPECT_EQ(results_file_name_text(c), "xあいうえおかきくけ");
  EXPECT_EQ(std::string(c.results_file_name.data(), 30).substr(28), "  ");
  // In Shift-JIS a double-byte character counts two bytes: 15 of them fill the field.
  const std::string sjis_a = "\x82\xa0";  // hiragana A
  std::string sjis_name = "x";
  for (int i = 0; i < 15; ++i) sjis_name += sjis_a;
  c = read_text(default_conditions(sjis_name), Charset::ShiftJis);
  EXPECT_EQ(results_file_name_text(c), sjis_name.substr(0, 29));
  // Trailing blanks are not part of the name.
  c = read_text(default_conditions("run 2.csv   "));
  EXPECT_EQ(results_file_name_text(c), "run 2.csv");
}

TEST(RunConditionsFile, BadFilesNameTheFileTheLineAndWhatWasExpected) {
  const struct {
    std::string text;
    int line;
    const char* fragment;
  } cases[] = {
      {"", 1, "tube voltage"},
      {"0150.0\r\nabc\r\n", 2, "target angle"},
      {"0150.0\r\n12.000\r\n02.500\r\n02.000\r\n00.200\r\n0010.0\r\n0001000000.\r\n2.5\r\n", 8, "formula code"},
      {default_conditions().substr(0, default_conditions().rfind("run1")), 11, "results file name"},
      {"0150.0\r\n\r\n", 2, "target angle"},
  };
  for (const auto& c : cases) {
    try {
      read_text(c.text);
      ADD_FAILURE() << "no error for line " << c.line;
    } catch (const InputError& error) {
      EXPECT_EQ(error.file(), "B2F.dat");
      EXPECT_EQ(error.line(), c.line);
      EXPECT_NE(std::string(error.what()).find("B2F.dat, line " + std::to_string(c.line)), std::string::npos)
          << error.what();
      EXPECT_NE(std::string(error.what()).find(c.fragment), std::string::npos) << error.what();
    }
  }
  const ScratchFolder empty;
  EXPECT_THROW(read_run_conditions(empty.path() / "B2F.dat", Charset::Utf8), InputError);
}

TEST(RunConditionsValues, DerivedValues) {
  RunConditions c = read_text(default_conditions());
  DerivedValues d = derive_run_values(c);
  EXPECT_EQ(d.field_photon_count, 78539800.0F);
  EXPECT_EQ(d.inherent_filtration_cm, 2.5F * 0.1F);
  EXPECT_EQ(d.al_filter_cm, 2.0F * 0.1F);
  EXPECT_EQ(d.cu_filter_cm, 0.2F * 0.1F);
  c.field_diameter_cm = 0.0F;
  EXPECT_EQ(derive_run_values(c).field_photon_count, 0.0F);
  // Bins of a voltage: trunc(2 V), never beyond the 600-bin grid nor below 0.
  const struct {
    float kv;
    int bins;
  } grid[] = {{100.0F, 200}, {120.7F, 241}, {96.59F, 193}, {150.5F, 301},
              {300.0F, 600}, {0.4F, 0},     {350.0F, 600}, {-5.0F, 0}};
  for (const auto& g : grid) EXPECT_EQ(bin_count_for_voltage(g.kv), g.bins) << g.kv;
}

TEST(RunConditionsValues, RefusesValuesTheRunCannotUse) {
  const RunConditions good = read_text(default_conditions());
  EXPECT_NO_THROW(check_run_conditions(good));
  const struct {
    void (*change)(RunConditions&);
    int line;
  } cases[] = {
      {[](RunConditions& c) { c.tube_voltage_kv = 0.0F; }, 1},
      {[](RunConditions& c) { c.tube_voltage_kv = -5.0F; }, 1},
      {[](RunConditions& c) { c.tube_voltage_kv = 300.1F; }, 1},
      {[](RunConditions& c) { c.target_angle_deg = 0.0F; }, 2},
      {[](RunConditions& c) { c.target_angle_deg = 90.0F; }, 2},
      {[](RunConditions& c) { c.inherent_filtration_mm = -0.001F; }, 3},
      {[](RunConditions& c) { c.al_filter_mm = -1.0F; }, 4},
      {[](RunConditions& c) { c.cu_filter_mm = -1.0F; }, 5},
      {[](RunConditions& c) { c.field_diameter_cm = -1.0F; }, 6},
      {[](RunConditions& c) { c.results_file_name.fill(' '); }, 11},
  };
  for (const auto& c : cases) {
    RunConditions bad = good;
    c.change(bad);
    try {
      check_run_conditions(bad);
      ADD_FAILURE() << "accepted a bad value on line " << c.line;
    } catch (const InputError& error) {
      EXPECT_EQ(error.line(), c.line) << error.what();
    }
  }
  // The edges that stay valid: 300 kV, no field, no fluence, no filters.
  RunConditions edge = good;
  edge.tube_voltage_kv = 300.0F;
  edge.field_diameter_cm = 0.0F;
  edge.photons_per_cm2 = 0.0F;
  edge.inherent_filtration_mm = edge.al_filter_mm = edge.cu_filter_mm = 0.0F;
  EXPECT_NO_THROW(check_run_conditions(edge));
}

}  // namespace
}  // namespace drevik

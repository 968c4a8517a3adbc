// The data-file loaders: the committed data against reference values, the layouts'
// edge cases, files that break the requirements, and where the files are looked up.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "data_tables.h"
#include "engine_test_support.h"
#include "input_error.h"

namespace drevik {
namespace {

namespace fs = std::filesystem;
using drevik::testing::default_conditions;
using drevik::testing::run_engine_program;
using drevik::testing::ScratchFolder;

using Lines = std::vector<std::string>;

std::string joined(const Lines& lines, const char* end = "\n") {
  std::string text;
  for (const std::string& line : lines) text += line + end;
  return text;
}

template <typename... Values>
std::string formatted(const char* format, Values... values) {
  char text[256];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

// A valid attenuation file: bin i holds i, i + 0.25 and 1000 + i in the three kept columns.
Lines attenuation_lines() {
  Lines lines;
  for (int i = 1; i <= kEnergyBinCount; ++i)
    lines.push_back(formatted("%9.3f%13.5E%13.5E%13.5E%13.5E%13.5E", i * 0.5, 1.0 * i, i + 0.25, 1000.0 + i, 4.0, 5.0));
  return lines;
}

// A valid material file of `count` records from 1 keV to 500 keV; row r has x = (r - 1) * 10 / 44,
// C = 2x and S = 3x.
Lines material_lines(int count = 3) {
  Lines lines = {formatted("%3d", count), " 1.000000"};
  for (int k = 1; k <= count; ++k) {
    const double energy_mev = 0.001 * std::pow(500.0, (k - 1.0) / (count - 1.0));
    lines.push_back(formatted("%9.7f%10.3E%10.3E%10.3E", energy_mev, 1.0 * k, 2.0 * k, 3.0 * k));
  }
  for (int r = 1; r <= kFormFactorRows; ++r) {
    const double x = (r - 1) * 10.0 / (kFormFactorRows - 1);
    lines.push_back(formatted("%10.5f%12.5E%12.5E", x, 2.0 * x, 3.0 * x));
  }
  return lines;
}

fs::path committed(const char* name) { return fs::path(DREVIK_SOURCE_DATA_DIR) / name; }

// Total linear coefficient at `energy_kev` as the transport forms it: each coefficient
// interpolated log-log between the first record above the energy (scan from record 2)
// and the one before it.
double interpolated_total(const InteractionTable& table, double energy_kev) {
  int k = 2;
  while (table.records[k].energy_kev <= energy_kev) ++k;
  const InteractionRecord& low = table.records[k - 1];
  const InteractionRecord& high = table.records[k];
  const double t =
      (std::log(energy_kev) - std::log(low.energy_kev)) / (std::log(high.energy_kev) - std::log(low.energy_kev));
  const auto at = [t](double a, double b) { return std::exp(std::log(a) + (std::log(b) - std::log(a)) * t); };
  return at(low.coherent, high.coherent) + at(low.incoherent, high.incoherent) +
         at(low.photoelectric, high.photoelectric);
}

// --- The committed data files -------------------------------------------------------------

// NIST XCOM total attenuation coefficients with coherent scattering, cm2/g.
struct Reference {
  double energy_kev;
  double mass_attenuation;
};

TEST(CommittedData, AttenuationTableAgreesWithXcom) {
  AttenuationTable table;
  load_attenuation_table(committed(kAttenuationFileName), table);
  const struct {
    const char* metal;
    const BinArray* mu;
    double density;
    std::vector<Reference> references;
  } metals[] = {
      {"tungsten",
       &table.tungsten_mu,
       19.3,
       {{20, 65.73}, {30, 22.73}, {50, 5.949}, {60, 3.713}, {80, 7.810}, {100, 4.438}, {150, 1.581}, {300, 0.3238}}},
      {"aluminium",
       &table.aluminium_mu,
       2.699,
       {{10, 26.23}, {20, 3.441}, {30, 1.128}, {50, 0.3681}, {100, 0.1704}, {200, 0.1223}, {300, 0.1042}}},
      {"copper",
       &table.copper_mu,
       8.96,
       {{10, 215.9}, {20, 33.79}, {30, 10.92}, {50, 2.613}, {100, 0.4584}, {200, 0.1559}, {300, 0.1119}}},
  };
  for (const auto& metal : metals) {
    for (const Reference& reference : metal.references) {
      const int bin = static_cast<int>(reference.energy_kev * 2.0);
      EXPECT_NEAR((*metal.mu)[bin] / metal.density, reference.mass_attenuation, 0.01 * reference.mass_attenuation)
          << metal.metal << " at " << reference.energy_kev << " keV";
    }
  }
  // The tungsten K edge (69.525 keV) lies between bins 139 and 140.
  EXPECT_GT(table.tungsten_mu[140], 4.0F * table.tungsten_mu[139]);
}

TEST(CommittedData, WaterAgreesWithXcomThroughTheInterpolation) {
  MaterialTables water;
  load_material_tables(committed(kWaterFileName), 300.0F, water);
  const Reference references[] = {{20, 0.8096}, {50, 0.2269}, {100, 0.1707}, {150, 0.1505}, {30, 0.3756}, {80, 0.1837}};
  for (const Reference& reference : references) {
    EXPECT_NEAR(interpolated_total(water.interaction, reference.energy_kev), reference.mass_attenuation,
                0.01 * reference.mass_attenuation)
        << reference.energy_kev << " keV";
  }
}

TEST(CommittedData, MaterialFilesMeetTheRequirementsOfTheTransport) {
  for (const char* name : {kWaterFileName, kSoftTissueFileName}) {
    SCOPED_TRACE(name);
    MaterialTables tables;
    ASSERT_NO_THROW(load_material_tables(committed(name), 300.0F, tables));
    const InteractionTable& interaction = tables.interaction;
    EXPECT_FLOAT_EQ(interaction.records[1].energy_kev, 1.0F);
    EXPECT_FLOAT_EQ(interaction.records[interaction.record_count].energy_kev, 500.0F);
    const FormFactorTable& rows = tables.form_factor;
    EXPECT_EQ(rows.momentum_transfer[1], 0.0F);
    EXPECT_EQ(rows.coherent_cumulative[1], 0.0F);
    EXPECT_EQ(rows.momentum_transfer[kFormFactorRows], 10.0F);
    EXPECT_EQ(rows.coherent_cumulative_total, rows.coherent_cumulative[kFormFactorRows]);
    EXPECT_EQ(rows.incoherent_function_max, rows.incoherent_function[kFormFactorRows]);
    // Coherent scattering at 2 keV (x at most 0.161 1/A) still has several rows to work with.
    int rows_below = 0;
    for (int r = 1; r <= kFormFactorRows; ++r) rows_below += rows.momentum_transfer[r] < 2.0F / 12.4F ? 1 : 0;
    EXPECT_GE(rows_below, 15);
  }
  MaterialTables water;
  MaterialTables tissue;
  load_material_tables(committed(kWaterFileName), 300.0F, water);
  load_material_tables(committed(kSoftTissueFileName), 300.0F, tissue);
  EXPECT_EQ(water.interaction.record_count, 29);
  EXPECT_EQ(tissue.interaction.record_count, 39);
  EXPECT_NEAR(water.form_factor.incoherent_function_max, 10.0F, 1e-4F);  // electrons of H2O
  // Soft tissue, 1.06 g/cm3, attenuates slightly more than water at 60 keV.
  const double ratio = interpolated_total(tissue.interaction, 60.0) / interpolated_total(water.interaction, 60.0);
  EXPECT_GT(ratio, 1.03);
  EXPECT_LT(ratio, 1.09);
}

// --- Layouts and their edge cases ---------------------------------------------------------

class DataTables : public ::testing::Test {
 protected:
  fs::path write(const std::string& name, const std::string& text) const {
    folder_.write(name, text);
    return folder_.path() / name;
  }
  ScratchFolder folder_;
};

TEST_F(DataTables, AttenuationLinesAreBinsWhateverTheirFirstField) {
  Lines lines = attenuation_lines();
  lines[0] = "  -99.000" + lines[0].substr(9);  // any number: the row number fixes the energy
  lines[1] = "         " + lines[1].substr(9);  // blank is 0, a number too
  lines[2] = lines[2].substr(0, 48);            // short line: fields 5 and 6 read as blanks
  lines[3] += "  trailing text";                // text after the last field
  lines.push_back("lines after the 600th are not read");
  for (const char* end : {"\n", "\r\n"}) {
    SCOPED_TRACE(end[0] == '\r' ? "CR LF" : "LF");
    AttenuationTable table;
    load_attenuation_table(write(kAttenuationFileName, joined(lines, end)), table);
    for (int bin : {1, 2, 3, 4, 250, 600}) {
      EXPECT_EQ(table.tungsten_mu[bin], static_cast<float>(bin)) << bin;
      EXPECT_EQ(table.aluminium_mu[bin], bin + 0.25F) << bin;
      EXPECT_EQ(table.copper_mu[bin], 1000.0F + bin) << bin;
    }
  }
}

TEST_F(DataTables, MaterialFileEdgeCases) {
  Lines lines = material_lines(12);
  ASSERT_EQ(lines[0], " 12");  // a blank followed by 12: records on lines 3 to 14
  lines[3] = lines[3].substr(0, 9) + "      1234" + lines[3].substr(19);  // record 2, no point: 1.234
  lines[11] = "1.000E-01" + lines[11].substr(9);                          // record 10, energy in exponent form
  lines[13] += "trailing text";                                           // after the last field of record 12
  lines.push_back("lines after the last scattering row are not read");
  lines.push_back("999");
  for (const char* end : {"\n", "\r\n"}) {
    SCOPED_TRACE(end[0] == '\r' ? "CR LF" : "LF");
    MaterialTables tables;
    load_material_tables(write(kWaterFileName, joined(lines, end)), 150.0F, tables);
    const InteractionTable& interaction = tables.interaction;
    EXPECT_EQ(interaction.record_count, 12);
    EXPECT_FLOAT_EQ(interaction.records[1].energy_kev, 1.0F);
    EXPECT_EQ(interaction.records[2].coherent, 1.234F);
    EXPECT_EQ(interaction.records[10].energy_kev, 100.0F);
    EXPECT_EQ(interaction.records[12].photoelectric, 36.0F);
    EXPECT_FLOAT_EQ(interaction.records[12].energy_kev, 500.0F);
    // The 45 scattering rows are lines 15 to 59.
    const FormFactorTable& rows = tables.form_factor;
    EXPECT_EQ(rows.momentum_transfer[1], 0.0F);
    EXPECT_EQ(rows.momentum_transfer[2], 0.22727F);
    EXPECT_EQ(rows.momentum_transfer[45], 10.0F);
    EXPECT_EQ(rows.coherent_cumulative_total, 20.0F);
    EXPECT_EQ(rows.incoherent_function_max, 30.0F);
  }
}

TEST(MaterialFileName, WaterForCodeOneSoftTissueOtherwise) {
  EXPECT_STREQ(material_file_name(1), "water.dat");
  for (int code : {2, 0, 3, -1, 11}) EXPECT_STREQ(material_file_name(code), "ICRUSoft.dat") << code;
}

// --- Files that break the layout or the requirements ----------------------------------------

// The loader's error names the file and the line and says what was expected.
void expect_input_error(const std::function<void()>& load, const fs::path& file, int line,
                        const std::string& fragment) {
  try {
    load();
    ADD_FAILURE() << "no error; expected line " << line << ": " << fragment;
  } catch (const InputError& error) {
    EXPECT_EQ(error.file(), file.string());
    EXPECT_EQ(error.line(), line) << error.what();
    EXPECT_NE(std::string(error.what()).find(fragment), std::string::npos) << error.what();
  }
}

TEST_F(DataTables, BadAttenuationFiles) {
  const struct {
    const char* what;
    std::function<void(Lines&)> change;
    int line;
    const char* fragment;
  } cases[] = {
      {"599 lines", [](Lines& l) { l.pop_back(); }, 600, "missing: the file ends after line 599"},
      {"empty file", [](Lines& l) { l.clear(); }, 1, "missing"},
      {"field 3 not a number", [](Lines& l) { l[16].replace(22, 13, "    abc      "); }, 17,
       "field 3 (aluminium, columns 23-35): expected a number, found \"    abc      \""},
      {"unused field 6 not a number", [](Lines& l) { l[599].replace(70, 1, "x"); }, 600, "field 6 (sixth column"},
      {"energy field not a number", [](Lines& l) { l[0].replace(0, 9, "    0,500"); }, 1, "field 1 (energy"},
      {"tab in a field", [](Lines& l) { l[9].replace(9, 1, "\t"); }, 10, "field 2 (tungsten"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Lines lines = attenuation_lines();
    c.change(lines);
    const fs::path file = write(kAttenuationFileName, joined(lines));
    AttenuationTable table;
    expect_input_error([&] { load_attenuation_table(file, table); }, file, c.line, c.fragment);
  }
}

TEST_F(DataTables, BadMaterialFiles) {
  // Three records (lines 3 to 5) from 1 to 500 keV, scattering rows on lines 6 to 50.
  const auto record = [](double mev, double coherent, double incoherent, double photoelectric) {
    return formatted("%9.7f%10.3E%10.3E%10.3E", mev, coherent, incoherent, photoelectric);
  };
  const auto row = [](double x, double c, double s) { return formatted("%10.5f%12.5E%12.5E", x, c, s); };
  const struct {
    const char* what;
    std::function<void(Lines&)> change;
    float tube_voltage_kv;
    int line;
    const char* fragment;
  } cases[] = {
      {"count 1", [](Lines& l) { l[0] = "  1"; }, 150.0F, 1, "must be 2 to 40, found 1"},
      {"count 41", [](Lines& l) { l[0] = " 41"; }, 150.0F, 1, "must be 2 to 40, found 41"},
      {"count blank", [](Lines& l) { l[0] = ""; }, 150.0F, 1, "must be 2 to 40, found 0"},
      {"count not a number", [](Lines& l) { l[0] = " 3."; }, 150.0F, 1, "field 1 (record count, columns 1-3)"},
      {"second line not a number", [](Lines& l) { l[1] = "density"; }, 150.0F, 2, "field 1 (second-line value"},
      {"first energy zero", [&](Lines& l) { l[2] = record(0.0, 1, 1, 1); }, 150.0F, 3, "the energy must be positive"},
      {"energies repeat", [&](Lines& l) { l[3] = record(0.001, 1, 1, 1); }, 150.0F, 4, "rise strictly"},
      {"energies fall", [&](Lines& l) { l[4] = record(0.0005, 1, 1, 1); }, 150.0F, 5, "rise strictly"},
      {"last energy equal to the tube voltage", [&](Lines& l) { l[4] = record(0.15, 1, 1, 1); }, 150.0F, 5,
       "the last energy, 150 keV, must be above the tube voltage of 150 kV"},
      {"coherent zero", [&](Lines& l) { l[3] = record(0.02, 0, 1, 1); }, 150.0F, 4,
       "field 2 (coherent, columns 10-19)"},
      {"incoherent negative", [&](Lines& l) { l[3] = record(0.02, 1, -1, 1); }, 150.0F, 4,
       "field 3 (incoherent, columns 20-29): the coefficient must be positive, found -1"},
      {"photoelectric blank", [](Lines& l) { l[4] = l[4].substr(0, 29); }, 150.0F, 5, "field 4 (photoelectric"},
      {"coefficient not a number", [](Lines& l) { l[2].replace(12, 1, "x"); }, 150.0F, 3, "expected a number"},
      {"ends after the records", [](Lines& l) { l.resize(5); }, 150.0F, 6, "expected 45 scattering rows"},
      {"ends among the rows", [](Lines& l) { l.resize(30); }, 150.0F, 31, "missing: the file ends after line 30"},
      {"ends among the records", [](Lines& l) { l.resize(3); }, 150.0F, 4, "expected 3 energy records"},
      {"momentum transfer repeats", [&](Lines& l) { l[14] = l[13]; }, 150.0F, 15, "must rise strictly from row to row"},
      {"momentum transfer below 10", [&](Lines& l) { l[49] = row(9.9, 20, 30); }, 150.0F, 50, "at least 10 1/A"},
      {"cumulative falls", [&](Lines& l) { l[24] = row(19 * 10.0 / 44, 0.5, 1); }, 150.0F, 25, "must not decrease"},
      {"cumulative all zero",
       [&](Lines& l) {
         for (int r = 1; r <= kFormFactorRows; ++r) l[4 + r] = row((r - 1) * 10.0 / 44, 0, 1);
       },
       150.0F, 50, "the last cumulative value must be positive"},
      {"incoherent function zero at row 45", [&](Lines& l) { l[49] = row(10, 20, 0); }, 150.0F, 50,
       "the incoherent function at the last row must be positive"},
      {"row field not a number", [](Lines& l) { l[20].replace(12, 1, "#"); }, 150.0F, 21,
       "field 2 (coherent cumulative, columns 11-22)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Lines lines = material_lines(3);
    c.change(lines);
    const fs::path file = write(kSoftTissueFileName, joined(lines, "\r\n"));
    MaterialTables tables;
    expect_input_error([&] { load_material_tables(file, c.tube_voltage_kv, tables); }, file, c.line, c.fragment);
  }
  // The same file serves any tube voltage below its last energy.
  MaterialTables tables;
  Lines lines = material_lines(3);
  lines[4] = record(0.3000001, 1, 1, 1);
  EXPECT_NO_THROW(load_material_tables(write(kWaterFileName, joined(lines)), 300.0F, tables));
}

TEST_F(DataTables, MissingFiles) {
  AttenuationTable attenuation;
  MaterialTables material;
  const fs::path absent = folder_.path() / kAttenuationFileName;
  expect_input_error([&] { load_attenuation_table(absent, attenuation); }, absent, 0, "cannot be opened");
  expect_input_error([&] { load_material_tables(folder_.path(), 150.0F, material); }, folder_.path(), 0,
                     "cannot be opened");
}

// Runs `body` with the working folder changed to `folder`.
void in_folder(const fs::path& folder, const std::function<void()>& body) {
  const fs::path previous = fs::current_path();
  fs::current_path(folder);
  try {
    body();
  } catch (...) {
    fs::current_path(previous);
    throw;
  }
  fs::current_path(previous);
}

TEST_F(DataTables, DataFilesAreLookedUpInTheWorkingFolderFirst) {
  folder_.write(kWaterFileName, joined(material_lines(3)));
  in_folder(folder_.path(), [] {
    EXPECT_EQ(locate_data_file(kWaterFileName), fs::path(kWaterFileName));
    // Not in the working folder: the copy that comes with the engine.
    EXPECT_EQ(locate_data_file(kSoftTissueFileName), committed(kSoftTissueFileName).lexically_normal());
    try {
      locate_data_file("attenuation_absent.data");
      ADD_FAILURE() << "no error for a file that is nowhere";
    } catch (const InputError& error) {
      const std::string message = error.what();
      EXPECT_EQ(error.file(), "attenuation_absent.data");
      EXPECT_NE(message.find("the working folder (" + fs::current_path().string() + ")"), std::string::npos) << message;
      EXPECT_NE(message.find(fs::path(DREVIK_SOURCE_DATA_DIR).lexically_normal().string()), std::string::npos)
          << message;
    }
  });
}

// --- The engine stops where a data file fails -------------------------------------------

const char* const kPromptLine = "  ---  Enter キーを押すと計算が開始されます  ---";

bool has_progress_line(const std::string& output) {
  static const std::regex progress(" --- +[0-9]+ / *[0-9]+");
  return std::regex_search(output, progress);
}

TEST(DataTablesInTheEngine, BadAttenuationFileStopsTheRunAfterTheFirstEnter) {
  const ScratchFolder folder;
  folder.write("B2F.dat", default_conditions());
  Lines lines = attenuation_lines();
  lines[16].replace(22, 13, "    abc      ");
  folder.write(kAttenuationFileName, joined(lines, "\r\n"));
  const auto run = run_engine_program(folder.path(), "\n\n");
  EXPECT_EQ(run.exit_status, 1);
  const std::size_t prompt = run.output.find(kPromptLine);
  const std::size_t error = run.output.find("MUs_202202.data, line 17: field 3 (aluminium");
  ASSERT_NE(prompt, std::string::npos) << run.output;
  ASSERT_NE(error, std::string::npos) << run.output;
  EXPECT_LT(prompt, error);
  EXPECT_FALSE(has_progress_line(run.output)) << run.output;
  EXPECT_FALSE(fs::exists(folder.path() / "run1.csv"));
}

TEST(DataTablesInTheEngine, BadMaterialFileStopsTheRunBeforeAnyProgressLine) {
  // Phantom code 2 reads ICRUSoft.dat; the attenuation table comes from the engine's own copy.
  std::string conditions = default_conditions();
  const std::string codes = "\r\n02\r\n01\r\n01\r\n";
  ASSERT_NE(conditions.find(codes), std::string::npos);
  conditions.replace(conditions.find(codes), codes.size(), "\r\n02\r\n01\r\n02\r\n");
  Lines lines = material_lines(3);
  lines[4] = formatted("%9.7f%10.3E%10.3E%10.3E", 0.1, 1.0, 1.0, 1.0);  // 100 keV, below 150 kV
  for (const char* name : {kSoftTissueFileName, kWaterFileName}) {
    SCOPED_TRACE(name);
    const ScratchFolder folder;
    folder.write("B2F.dat", std::string(name) == kSoftTissueFileName ? conditions : default_conditions());
    folder.write(name, joined(lines));
    const auto run = run_engine_program(folder.path(), "\n\n");
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_NE(run.output.find(std::string(name) + ", line 5: field 1 (energy, columns 1-9): the last energy, 100 keV"),
              std::string::npos)
        << run.output;
    EXPECT_FALSE(has_progress_line(run.output)) << run.output;
    EXPECT_FALSE(fs::exists(folder.path() / "run1.csv"));
  }
}

}  // namespace
}  // namespace drevik

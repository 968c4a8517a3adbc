#include "data_tables.h"

#include <cstdio>
#include <fstream>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "fixed_fields.h"
#include "input_error.h"

#ifndef DREVIK_SOURCE_DATA_DIR
#define DREVIK_SOURCE_DATA_DIR ""
#endif
#ifndef DREVIK_INSTALL_DATA_DIR
#define DREVIK_INSTALL_DATA_DIR ""
#endif

namespace drevik {

namespace {

namespace fs = std::filesystem;

// One fixed-column field of a record: its name for messages, where it lies, its decimals.
struct FieldLayout {
  const char* name;
  std::size_t offset;  // from 0
  std::size_t width;
  int decimals;
};

// MUs_202202.data: F9.3 then five fields of 13 columns with 5 decimals.
constexpr FieldLayout kAttenuationFields[] = {
    {"energy", 0, 9, 3},   {"tungsten", 9, 13, 5},      {"aluminium", 22, 13, 5},
    {"copper", 35, 13, 5}, {"fifth column", 48, 13, 5}, {"sixth column", 61, 13, 5},
};
constexpr int kAttenuationLineCount = kEnergyBinCount;

// Material files: the count (I3), the unused second line (F9.6), the energy records
// (F9.3 then three of 10 columns with 3 decimals) and the scattering rows (F10.3, two of 12.5).
constexpr FieldLayout kCountField = {"record count", 0, 3, 0};
constexpr FieldLayout kSecondLineField = {"second-line value", 0, 9, 6};
constexpr FieldLayout kRecordFields[] = {
    {"energy", 0, 9, 3},
    {"coherent", 9, 10, 3},
    {"incoherent", 19, 10, 3},
    {"photoelectric", 29, 10, 3},
};
constexpr FieldLayout kScatteringFields[] = {
    {"momentum transfer", 0, 10, 3},
    {"coherent cumulative", 10, 12, 5},
    {"incoherent function", 22, 12, 5},
};

constexpr float kMevToKev = 1000.0F;
constexpr float kMinimumLastMomentumTransfer = 10.0F;  // 1/A, the upper limit of the binding correction

std::string number_text(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.7g", value);
  return text;
}

// The field's text for a message, unprintable bytes shown as '?'.
std::string shown(std::string_view text) {
  std::string result;
  for (const char c : text) result.push_back(c >= ' ' && c <= '~' ? c : '?');
  return result;
}

std::string field_label(int index, const FieldLayout& field) {
  return "field " + std::to_string(index) + " (" + field.name + ", columns " + std::to_string(field.offset + 1) + "-" +
         std::to_string(field.offset + field.width) + ")";
}

// Reads a data file line by line, numbering the lines for messages.
class DataFile {
 public:
  explicit DataFile(const fs::path& path) : name_(path.string()), stream_(path, std::ios::binary) {
    std::error_code error;
    if (fs::is_directory(path, error) || !stream_) throw InputError(name_, 0, "cannot be opened for reading");
  }

  // The next line; `what` says what the line was to hold when the file ends before it.
  std::string_view next_line(const std::string& what) {
    ++line_number_;
    if (!std::getline(stream_, line_)) {
      throw InputError(name_, line_number_,
                       "missing: the file ends after line " + std::to_string(line_number_ - 1) + ", expected " + what);
    }
    return line_;
  }

  float real(int index, const FieldLayout& field) const {
    const std::string_view text = fixed_field(line_, field.offset, field.width);
    const std::optional<float> value = read_fixed_real(text, field.decimals);
    if (!value) fail(field_label(index, field) + ": expected a number, found \"" + shown(text) + "\"");
    return *value;
  }

  std::int32_t integer(int index, const FieldLayout& field) const {
    const std::string_view text = fixed_field(line_, field.offset, field.width);
    const std::optional<std::int32_t> value = read_fixed_integer(text);
    if (!value) fail(field_label(index, field) + ": expected an integer, found \"" + shown(text) + "\"");
    return *value;
  }

  [[noreturn]] void fail(const std::string& expected) const { throw InputError(name_, line_number_, expected); }

 private:
  std::string name_;
  std::ifstream stream_;
  std::string line_;
  int line_number_ = 0;
};

void require_positive(const DataFile& file, int index, const FieldLayout& field, float value, const char* what) {
  if (!(value > 0.0F))
    file.fail(field_label(index, field) + ": " + what + " must be positive, found " + number_text(value));
}

// Folders holding the copy of the data files installed with the engine: the source
// tree's data folder (build tree), the install prefix's, and the one beside the program.
std::vector<fs::path> installed_data_folders() {
  std::vector<fs::path> folders;
  const auto add = [&folders](const fs::path& folder) {
    if (folder.empty()) return;
    const fs::path normal = folder.lexically_normal();
    for (const fs::path& known : folders)
      if (known == normal) return;
    folders.push_back(normal);
  };
  add(DREVIK_SOURCE_DATA_DIR);
  add(DREVIK_INSTALL_DATA_DIR);
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  if (!error) add(program.parent_path() / ".." / "share" / "drevik");
  return folders;
}

}  // namespace

const char* material_file_name(int phantom_code) { return phantom_code == 1 ? kWaterFileName : kSoftTissueFileName; }

std::filesystem::path locate_data_file(const std::string& name) {
  std::error_code error;
  if (fs::exists(name, error)) return name;
  const std::vector<fs::path> folders = installed_data_folders();
  for (const fs::path& folder : folders)
    if (fs::exists(folder / name, error)) return folder / name;

  const fs::path working_folder = fs::current_path(error);
  std::string places = "the working folder (" + (error ? std::string(".") : working_folder.string()) + ")";
  for (const fs::path& folder : folders) places += ", " + folder.string();
  throw InputError(name, 0, "missing: the file is in none of the places looked at: " + places);
}

void load_attenuation_table(const std::filesystem::path& file, AttenuationTable& table) {
  DataFile data(file);
  AttenuationTable read;
  for (int bin = 1; bin <= kAttenuationLineCount; ++bin) {
    data.next_line("600 lines of attenuation coefficients, one per 0.5 keV bin");
    // Every field must be a number; the row's energy (field 1) and fields 5 and 6 are not kept.
    float values[6];
    for (int index = 1; index <= 6; ++index) values[index - 1] = data.real(index, kAttenuationFields[index - 1]);
    read.tungsten_mu[bin] = values[1];
    read.aluminium_mu[bin] = values[2];
    read.copper_mu[bin] = values[3];
  }
  table = read;
}

void load_material_tables(const std::filesystem::path& file, float tube_voltage_kv, MaterialTables& tables) {
  DataFile data(file);
  MaterialTables read;

  data.next_line("the number of energy records");
  const std::int32_t count = data.integer(1, kCountField);
  if (count < 2 || count > kMaxInteractionRecords)
    data.fail("the number of energy records must be 2 to " + std::to_string(kMaxInteractionRecords) + ", found " +
              std::to_string(count));
  read.interaction.record_count = count;

  data.next_line("the second line");
  data.real(1, kSecondLineField);

  const std::string record_text = std::to_string(count) + " energy records";
  for (int k = 1; k <= count; ++k) {
    data.next_line(record_text);
    InteractionRecord& record = read.interaction.records[k];
    const float energy_mev = data.real(1, kRecordFields[0]);
    record.coherent = data.real(2, kRecordFields[1]);
    record.incoherent = data.real(3, kRecordFields[2]);
    record.photoelectric = data.real(4, kRecordFields[3]);
    record.energy_kev = energy_mev * kMevToKev;
    // The transport interpolates log-log and scans upward for the first higher energy.
    if (k == 1) require_positive(data, 1, kRecordFields[0], record.energy_kev, "the energy");
    if (k > 1 && !(record.energy_kev > read.interaction.records[k - 1].energy_kev))
      data.fail(field_label(1, kRecordFields[0]) + ": energies must rise strictly from record to record, " +
                number_text(record.energy_kev) + " keV does not exceed the previous " +
                number_text(read.interaction.records[k - 1].energy_kev) + " keV");
    require_positive(data, 2, kRecordFields[1], record.coherent, "the coefficient");
    require_positive(data, 3, kRecordFields[2], record.incoherent, "the coefficient");
    require_positive(data, 4, kRecordFields[3], record.photoelectric, "the coefficient");
  }
  const float last_energy_kev = read.interaction.records[count].energy_kev;
  if (!(last_energy_kev > tube_voltage_kv))
    data.fail(field_label(1, kRecordFields[0]) + ": the last energy, " + number_text(last_energy_kev) +
              " keV, must be above the tube voltage of " + number_text(tube_voltage_kv) + " kV");

  FormFactorTable& rows = read.form_factor;
  const std::string rows_text = std::to_string(kFormFactorRows) + " scattering rows after the energy records";
  for (int r = 1; r <= kFormFactorRows; ++r) {
    data.next_line(rows_text);
    rows.momentum_transfer[r] = data.real(1, kScatteringFields[0]);
    rows.coherent_cumulative[r] = data.real(2, kScatteringFields[1]);
    rows.incoherent_function[r] = data.real(3, kScatteringFields[2]);
    if (r > 1 && !(rows.momentum_transfer[r] > rows.momentum_transfer[r - 1]))
      data.fail(field_label(1, kScatteringFields[0]) + ": the momentum transfer must rise strictly from row to row, " +
                number_text(rows.momentum_transfer[r]) + " does not exceed the previous " +
                number_text(rows.momentum_transfer[r - 1]));
    if (r > 1 && rows.coherent_cumulative[r] < rows.coherent_cumulative[r - 1])
      data.fail(field_label(2, kScatteringFields[1]) + ": the cumulative distribution must not decrease, " +
                number_text(rows.coherent_cumulative[r]) + " is below the previous " +
                number_text(rows.coherent_cumulative[r - 1]));
  }
  // The scans of the scattering samplers stop only at a row above x (x < 10) or above C_max.
  if (!(rows.momentum_transfer[kFormFactorRows] >= kMinimumLastMomentumTransfer))
    data.fail(field_label(1, kScatteringFields[0]) + ": the last momentum transfer must be at least 10 1/A, found " +
              number_text(rows.momentum_transfer[kFormFactorRows]));
  require_positive(data, 2, kScatteringFields[1], rows.coherent_cumulative[kFormFactorRows],
                   "the last cumulative value");
  require_positive(data, 3, kScatteringFields[2], rows.incoherent_function[kFormFactorRows],
                   "the incoherent function at the last row");

  rows.incoherent_function_max = rows.incoherent_function[kFormFactorRows];
  rows.coherent_cumulative_total = rows.coherent_cumulative[kFormFactorRows];
  tables = read;
}

}  // namespace drevik

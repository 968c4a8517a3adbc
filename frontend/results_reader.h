// Reading a results file: the ten condition lines for the preview, and the whole
// file (conditions, heading line, up to 600 rows of twenty numbers) into a fresh buffer.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <memory>

namespace velmora {

inline constexpr int max_loaded_rows = 600;
inline constexpr int header_line_count = 10;
inline constexpr int fields_per_row = 20;

// The rows of the last full read. Row 0, depth index 0 and kind 0 stay unused; depth index
// 1 ... 6 is 0, 2, 5, 10, 15, 20 cm, kind 1 primary, 2 scatter, 3 total.
struct LoadedResults {
  int loaded_row_count = 0;
  std::array<double, max_loaded_rows + 1> loaded_first_column{};
  std::array<double, max_loaded_rows + 1> loaded_incident{};
  std::array<std::array<std::array<double, max_loaded_rows + 1>, 4>, 7> loaded_tally{};
};

// The loaded data of the whole program: they outlive the viewer window.
LoadedResults& loaded_results();

// Everything a successful full read yields.
struct ResultsFileContent {
  QStringList header_lines;  // lines 1 to 10
  QString heading_line;      // line 11, the column headings
  double max_total_all_depths = 0;
  LoadedResults rows;  // rows 1 ... loaded_row_count, everything above is zero
};

// Reads the first ten lines of a file (line ends removed). False when the file cannot be
// opened or holds fewer than ten lines; `lines` is then left untouched.
bool read_header_lines(const QString& path, QStringList& lines);

// Reads a whole results file. Fields are separated by commas or line ends; a row is the next
// twenty fields, whatever the lines look like. Returns nullptr when the file cannot be opened,
// ends inside the eleven leading lines or inside a row, or when a 601st row begins.
std::unique_ptr<ResultsFileContent> read_results_file(const QString& path);

// The leading number of a field: blanks skipped, an optional sign, digits, one point and an
// exponent; 0 when the field does not start with a number.
double field_value(const QString& field);

}  // namespace velmora

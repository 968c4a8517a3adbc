#include "results_reader.h"

#include <QFile>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace velmora {

namespace {

// Longest stretch of a line or field that is kept; the rest is read and dropped, so a file
// that is not a results file costs time in proportion to its size but no memory.
constexpr qsizetype max_kept_line = 4096;
constexpr qsizetype max_kept_field = 256;

// Character-wise reading with the two kinds of reads a results file needs: whole lines, and
// fields ended by a comma or a line end. CR, LF and CR LF all end a line.
class ResultsFileStream {
 public:
  explicit ResultsFileStream(QFile& file) : file_(file) {}

  bool at_end() {
    fill();
    return position_ >= size_;
  }

  // One whole line without its line end; false at the end of the file.
  bool read_line(QByteArray& line) {
    line.clear();
    if (at_end()) return false;
    char c = 0;
    while (next(c)) {
      if (c == '\n') return true;
      if (c == '\r') {
        skip_lf();
        return true;
      }
      if (line.size() < max_kept_line) line.append(c);
    }
    return true;  // the last line of a file without a final line end
  }

  // The next field; false when the file ends before a field begins.
  bool read_field(QByteArray& field) {
    field.clear();
    if (!after_comma_) {
      // A field never begins with a line end: blank lines between rows are passed over.
      while (!at_end() && (peek() == '\r' || peek() == '\n')) {
        char c = 0;
        next(c);
      }
    }
    if (at_end()) return false;
    after_comma_ = false;
    char c = 0;
    while (next(c)) {
      if (c == ',') {
        after_comma_ = true;
        return true;
      }
      if (c == '\n') return true;
      if (c == '\r') {
        skip_lf();
        return true;
      }
      if (field.size() < max_kept_field) field.append(c);
    }
    return true;
  }

 private:
  void fill() {
    if (position_ < size_ || eof_) return;
    const qint64 got = file_.read(buffer_.data(), qint64(buffer_.size()));
    position_ = 0;
    size_ = got > 0 ? qsizetype(got) : 0;
    if (got <= 0) eof_ = true;
  }
  char peek() { return buffer_[position_]; }
  bool next(char& c) {
    if (at_end()) return false;
    c = buffer_[position_++];
    return true;
  }
  void skip_lf() {
    if (!at_end() && peek() == '\n') ++position_;
  }

  QFile& file_;
  std::array<char, 16384> buffer_{};
  qsizetype position_ = 0;
  qsizetype size_ = 0;
  bool eof_ = false;
  bool after_comma_ = false;
};

QString line_text(const QByteArray& bytes) { return QString::fromLocal8Bit(bytes); }

}  // namespace

LoadedResults& loaded_results() {
  static LoadedResults results;
  return results;
}

double field_value(const QString& field) {
  const std::string text = field.toStdString();
  std::size_t start = 0;
  while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
  bool negative = false;
  if (start < text.size() && (text[start] == '+' || text[start] == '-')) {
    negative = text[start] == '-';
    ++start;
  }
  if (start >= text.size() || text[start] == '+' || text[start] == '-') return 0;
  double value = 0;
  const char* first = text.data() + start;
  const auto [end, error] = std::from_chars(first, text.data() + text.size(), value, std::chars_format::general);
  if (error != std::errc() || end == first || !std::isfinite(value)) return 0;
  return negative ? -value : value;
}

bool read_header_lines(const QString& path, QStringList& lines) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  ResultsFileStream stream(file);
  QStringList read;
  QByteArray line;
  while (read.size() < header_line_count) {
    if (!stream.read_line(line)) return false;
    read.append(line_text(line));
  }
  lines = read;
  return true;
}

std::unique_ptr<ResultsFileContent> read_results_file(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return nullptr;
  ResultsFileStream stream(file);
  auto content = std::make_unique<ResultsFileContent>();

  QByteArray line;
  for (int i = 0; i < header_line_count; ++i) {
    if (!stream.read_line(line)) return nullptr;
    content->header_lines.append(line_text(line));
  }
  if (!stream.read_line(line)) return nullptr;
  content->heading_line = line_text(line);

  LoadedResults& rows = content->rows;
  QByteArray field;
  auto next_value = [&](double& value) {
    if (!stream.read_field(field)) return false;
    value = field_value(QString::fromLatin1(field));
    return true;
  };
  // The end of the file is looked for only before a row; a row that begins must be whole.
  while (!stream.at_end()) {
    const int n = rows.loaded_row_count + 1;
    if (n > max_loaded_rows) return nullptr;
    if (!next_value(rows.loaded_first_column[n]) || !next_value(rows.loaded_incident[n])) return nullptr;
    for (int d = 1; d <= 6; ++d) {
      for (int kind = 1; kind <= 3; ++kind) {
        if (!next_value(rows.loaded_tally[d][kind][n])) return nullptr;
      }
      content->max_total_all_depths = std::max(content->max_total_all_depths, rows.loaded_tally[d][3][n]);
    }
    rows.loaded_row_count = n;
  }
  return content;
}

}  // namespace velmora

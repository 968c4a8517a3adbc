// The run-conditions file B2F.dat as the front end writes it, and its removal.
#pragma once

#include <QByteArray>
#include <QString>
#include <array>

#include "number_text.h"

inline constexpr char kConditionsFileName[] = "B2F.dat";

// The character set of the name line: the locale's, UTF-8 unless it is Shift-JIS / CP932.
enum class TextCharset { Utf8, ShiftJis };

// Takes the character set from the locale the environment names; C and POSIX give UTF-8.
TextCharset locale_text_charset();
// Whether a character-set name as nl_langinfo(CODESET) gives it means Shift-JIS / CP932.
bool is_shift_jis_name(const QByteArray& codeset);

// The text in the given character set; a character the set lacks becomes one '?'.
QByteArray encode_text(const QString& text, TextCharset charset);

// What one save writes: seven numbers as typed, the three codes and the results file name.
struct ConditionsRecord {
  TypedNumber tube_voltage_kv;
  TypedNumber target_angle_deg;
  TypedNumber inherent_filtration_mm;
  TypedNumber al_filter_mm;
  TypedNumber cu_filter_mm;
  TypedNumber field_diameter_cm;
  TypedNumber photons_per_cm2;
  int formula_code = 0;
  int rectification_code = 0;
  int phantom_code = 0;
  QString results_file_name;  // with its ".csv", exactly as it is to be written
};

// The eleven lines, each ended by CR LF.
QByteArray conditions_file_bytes(const ConditionsRecord& record, TextCharset charset);

// Writes the bytes to a temporary file beside path and renames it over path, so that a failure
// leaves an earlier file as it was. Returns false and the reason in *error on failure.
bool save_conditions_file(const QString& path, const QByteArray& bytes, QString* error);

// B2F.dat in the working folder.
QString conditions_file_path();

// Deletes the file; a missing file or any failure is ignored.
void delete_conditions_file(const QString& path);

#include "conditions_file.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <QFile>
#include <QSaveFile>

namespace {

// One character through iconv; false if the target set lacks it.
bool convert_character(iconv_t cd, const QByteArray& utf8, QByteArray* out) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char buffer[16];
  char* in = const_cast<char*>(utf8.constData());
  std::size_t in_left = static_cast<std::size_t>(utf8.size());
  char* result = buffer;
  std::size_t out_left = sizeof buffer;
  if (iconv(cd, &in, &in_left, &result, &out_left) == static_cast<std::size_t>(-1) || in_left != 0) return false;
  if (iconv(cd, nullptr, nullptr, &result, &out_left) == static_cast<std::size_t>(-1)) return false;
  out->append(buffer, static_cast<qsizetype>(sizeof buffer - out_left));
  return true;
}

}  // namespace

bool is_shift_jis_name(const QByteArray& codeset) {
  const QByteArray name = codeset.toUpper();
  return name == "SHIFT_JIS" || name == "SHIFT-JIS" || name == "SJIS" || name == "CP932" || name == "WINDOWS-31J" ||
         name == "MS_KANJI" || name == "IBM-943" || name == "IBM943";
}

TextCharset locale_text_charset() {
  // The locale the environment names (LC_ALL, LC_CTYPE, LANG), whatever the process has set.
  locale_t environment = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
  if (environment == static_cast<locale_t>(nullptr)) return TextCharset::Utf8;
  const char* codeset = nl_langinfo_l(CODESET, environment);
  const bool shift_jis = codeset != nullptr && is_shift_jis_name(codeset);
  freelocale(environment);
  return shift_jis ? TextCharset::ShiftJis : TextCharset::Utf8;
}

QByteArray encode_text(const QString& text, TextCharset charset) {
  if (charset == TextCharset::Utf8) return text.toUtf8();
  QByteArray out;
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return text.toUtf8();
  // Character by character, so that a character the set lacks becomes exactly one '?'.
  for (const char32_t code_point : text.toUcs4()) {
    const QByteArray utf8 = QString::fromUcs4(&code_point, 1).toUtf8();
    if (!convert_character(cd, utf8, &out)) out.append('?');
  }
  iconv_close(cd);
  return out;
}

QByteArray conditions_file_bytes(const ConditionsRecord& record, TextCharset charset) {
  QByteArray bytes;
  const auto line = [&bytes](const QByteArray& text) {
    bytes.append(text);
    bytes.append("\r\n");
  };
  line(format_with_mask(record.tube_voltage_kv, u"0000.0").toLatin1());
  line(format_with_mask(record.target_angle_deg, u"00.000").toLatin1());
  line(format_with_mask(record.inherent_filtration_mm, u"00.000").toLatin1());
  line(format_with_mask(record.al_filter_mm, u"00.000").toLatin1());
  line(format_with_mask(record.cu_filter_mm, u"00.000").toLatin1());
  line(format_with_mask(record.field_diameter_cm, u"0000.0").toLatin1());
  line(format_with_mask(record.photons_per_cm2, u"0000000000.").toLatin1());
  line(format_with_mask(record.formula_code, u"00").toLatin1());
  line(format_with_mask(record.rectification_code, u"00").toLatin1());
  line(format_with_mask(record.phantom_code, u"00").toLatin1());
  line(encode_text(record.results_file_name, charset));
  return bytes;
}

bool save_conditions_file(const QString& path, const QByteArray& bytes, QString* error) {
  QSaveFile file(path);
  // No writing in place when no temporary file can be made: an earlier file stays whole instead.
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly)) {
    if (error != nullptr) *error = file.errorString();
    return false;
  }
  if (file.write(bytes) != bytes.size()) {
    if (error != nullptr) *error = file.errorString();
    file.cancelWriting();
    return false;
  }
  if (!file.commit()) {
    if (error != nullptr) *error = file.errorString();
    return false;
  }
  return true;
}

// The bare name, relative to the working folder: should that folder be gone, writing fails
// instead of going somewhere else.
QString conditions_file_path() { return QString::fromLatin1(kConditionsFileName); }

void delete_conditions_file(const QString& path) { QFile::remove(path); }

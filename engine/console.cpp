#include "console.h"

#include <iconv.h>
#include <langinfo.h>

#include <cctype>
#include <cerrno>
#include <clocale>
#include <ctime>
#include <string>

namespace drevik {

namespace {

constexpr const char* kShiftJisIconvName = "CP932";

bool is_shift_jis_name(std::string name) {
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name == "SHIFT_JIS" || name == "SHIFT-JIS" || name == "SJIS" || name == "CP932" || name == "WINDOWS-31J" ||
         name == "MS_KANJI" || name == "IBM-943" || name == "IBM943";
}

bool is_shift_jis_lead_byte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// iconv with '?' in place of what cannot be converted.
std::string convert(std::string_view text, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text);
  std::string result;
  std::string buffer(4 * text.size() + 16, '\0');
  char* in = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  while (in_left > 0) {
    char* out = buffer.data();
    std::size_t out_left = buffer.size();
    const std::size_t rc = iconv(cd, &in, &in_left, &out, &out_left);
    result.append(buffer.data(), buffer.size() - out_left);
    if (rc == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) continue;
      // Invalid or incomplete sequence: replace one byte and go on.
      result.push_back('?');
      ++in;
      --in_left;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return result;
}

}  // namespace

Charset detect_console_charset() {
  std::setlocale(LC_ALL, "");
  const char* codeset = nl_langinfo(CODESET);
  if (codeset != nullptr && is_shift_jis_name(codeset)) return Charset::ShiftJis;
  return Charset::Utf8;
}

std::string utf8_to_charset(std::string_view utf8, Charset charset) {
  if (charset == Charset::Utf8) return std::string(utf8);
  return convert(utf8, kShiftJisIconvName, "UTF-8");
}

std::string charset_to_utf8(std::string_view bytes, Charset charset) {
  if (charset == Charset::Utf8) return std::string(bytes);
  return convert(bytes, "UTF-8", kShiftJisIconvName);
}

std::size_t whole_character_prefix(std::string_view bytes, std::size_t max_bytes, Charset charset) {
  if (bytes.size() <= max_bytes) return bytes.size();
  if (charset == Charset::Utf8) {
    std::size_t cut = max_bytes;
    // Step back over continuation bytes (10xxxxxx) to the start of the cut character.
    while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0U) == 0x80U) --cut;
    return cut;
  }
  std::size_t position = 0;
  while (position < max_bytes) {
    const std::size_t width = is_shift_jis_lead_byte(static_cast<unsigned char>(bytes[position])) ? 2 : 1;
    if (position + width > max_bytes) break;
    position += width;
  }
  return position;
}

void Console::line(std::string_view utf8_text) {
  if (out_ == nullptr) return;
  const std::string text = utf8_to_charset(utf8_text, charset_);
  std::fwrite(text.data(), 1, text.size(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

void Console::wait_for_enter() {
  if (in_ == nullptr) return;
  int c = 0;
  while ((c = std::fgetc(in_)) != EOF && c != '\n') {
  }
}

ClockTime read_wall_clock() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_hour, local.tm_min, local.tm_sec};
}

}  // namespace drevik

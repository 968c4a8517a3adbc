// The console: lines in the locale's character set, the Enter waits, the wall clock.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "run_state.h"

namespace drevik {

// The character set of the console and of B2F.dat: UTF-8, or Shift-JIS (code page 932).
enum class Charset { Utf8, ShiftJis };

// Takes the locale from the environment; Shift-JIS where its character set is
// Shift-JIS / CP932, UTF-8 otherwise (also under C/POSIX).
Charset detect_console_charset();

// Conversions between the program's UTF-8 texts and the console's character set.
// A character the target set lacks becomes '?'.
std::string utf8_to_charset(std::string_view utf8, Charset charset);
std::string charset_to_utf8(std::string_view bytes, Charset charset);

// The longest prefix of at most max_bytes bytes that ends on a whole character.
std::size_t whole_character_prefix(std::string_view bytes, std::size_t max_bytes, Charset charset);

class Console {
 public:
  // out may be null for a silent console (the benchmark); in may be null for no waits.
  Console(std::FILE* out, std::FILE* in, Charset charset) : out_(out), in_(in), charset_(charset) {}

  // Writes one line given in UTF-8, converted to the console's character set.
  void line(std::string_view utf8_text);
  // Waits until Enter; what was typed is ignored, end of input counts as Enter.
  void wait_for_enter();
  [[nodiscard]] Charset charset() const { return charset_; }

 private:
  std::FILE* out_;
  std::FILE* in_;
  Charset charset_;
};

// The local time of day.
ClockTime read_wall_clock();

}  // namespace drevik

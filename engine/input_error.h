// The one error type of the engine's readers and writers: it names the file, the
// line (0 where no line applies) and what was expected. Only the driver turns it
// into a console message and an exit status.
#pragma once

#include <stdexcept>
#include <string>

namespace drevik {

class InputError : public std::runtime_error {
 public:
  InputError(std::string file, int line, const std::string& expected)
      : std::runtime_error(compose(file, line, expected)), file_(std::move(file)), line_(line) {}

  [[nodiscard]] const std::string& file() const { return file_; }
  [[nodiscard]] int line() const { return line_; }

 private:
  static std::string compose(const std::string& file, int line, const std::string& expected) {
    std::string text = file;
    if (line > 0) text += ", line " + std::to_string(line);
    return text + ": " + expected;
  }
  std::string file_;
  int line_;
};

}  // namespace drevik

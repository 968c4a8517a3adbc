// Helpers shared by the engine's tests: scratch folders and running the engine.
#pragma once

#include <filesystem>
#include <string>

namespace drevik::testing {

// A fresh, empty folder under the system's temporary folder, removed on destruction.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  [[nodiscard]] const std::filesystem::path& path() const { return path_; }
  // Writes a file in the folder, bytes as given.
  void write(const std::string& name, const std::string& bytes) const;
  // Copies data/<name> (the committed data files) into the folder.
  void copy_data_file(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

struct EngineRun {
  int exit_status = -1;
  std::string output;  // what the engine wrote on its console (stdout and stderr)
};

// Runs the Drevik executable in the folder with the given standard input and
// environment assignments (for example "LC_ALL=C").
EngineRun run_engine_program(const std::filesystem::path& folder, const std::string& input = "",
                             const std::string& environment = "LC_ALL=C.UTF-8");

std::string read_file(const std::filesystem::path& file);

// The B2F.dat of the front end's defaults with the given name line and fluence line.
std::string default_conditions(const std::string& name_line = "run1.csv",
                               const std::string& fluence_line = "0001000000.");

}  // namespace drevik::testing

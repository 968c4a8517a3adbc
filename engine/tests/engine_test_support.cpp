#include "engine_test_support.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace drevik::testing {

ScratchFolder::ScratchFolder() {
  std::random_device device;
  const auto base = std::filesystem::temp_directory_path();
  do {
    path_ = base / ("drevik-test-" + std::to_string(device()));
  } while (std::filesystem::exists(path_));
  std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void ScratchFolder::write(const std::string& name, const std::string& bytes) const {
  std::ofstream out(path_ / name, std::ios::binary);
  out << bytes;
}

void ScratchFolder::copy_data_file(const std::string& name) const {
  std::filesystem::copy_file(std::filesystem::path(DREVIK_SOURCE_DATA_DIR) / name, path_ / name,
                             std::filesystem::copy_options::overwrite_existing);
}

std::string read_file(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

EngineRun run_engine_program(const std::filesystem::path& folder, const std::string& input,
                             const std::string& environment) {
  const auto input_file = folder / ".stdin";
  const auto output_file = folder / ".stdout";
  {
    std::ofstream out(input_file, std::ios::binary);
    out << input;
  }
  const std::string command =
      "cd '" + folder.string() + "' && env " + environment + " '" + DREVIK_ENGINE_PATH + "' < .stdin > .stdout 2>&1";
  const int status = std::system(command.c_str());
  EngineRun run;
  run.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.output = read_file(output_file);
  std::filesystem::remove(input_file);
  std::filesystem::remove(output_file);
  return run;
}

std::string default_conditions(const std::string& name_line, const std::string& fluence_line) {
  return "0150.0\r\n12.000\r\n02.500\r\n02.000\r\n00.200\r\n0010.0\r\n" + fluence_line + "\r\n02\r\n01\r\n01\r\n" +
         name_line + "\r\n";
}

}  // namespace drevik::testing

// The results file: its text line by line, and the write through a temporary file.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstring>
#include <memory>
#include <sstream>
#include <vector>

#include "engine_test_support.h"
#include "input_error.h"
#include "results_file.h"
#include "run_conditions.h"

namespace drevik {
namespace {

using drevik::testing::read_file;
using drevik::testing::ScratchFolder;

RunConditions default_conditions(const std::string& name = "run1.csv") { return default_run_conditions(1.0e6F, name); }

std::vector<std::string> crlf_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t begin = 0;
  while (begin < text.size()) {
    const std::size_t end = text.find("\r\n", begin);
    if (end == std::string::npos) {
      lines.push_back(text.substr(begin) + "<no CR LF>");
      break;
    }
    lines.push_back(text.substr(begin, end - begin));
    begin = end + 2;
  }
  return lines;
}

std::vector<std::string> fields(const std::string& row) {
  std::vector<std::string> out;
  std::stringstream stream(row);
  std::string field;
  while (std::getline(stream, field, ',')) out.push_back(field);
  return out;
}

TEST(ResultsFileText, WritesTheConditionsHeadingsAndOneRowPerBin) {
  auto tallies = std::make_unique<Tallies>();
  tallies->incident_count[2] = 123.0;
  tallies->counter_tally[1][kPrimary][2] = 40.0;
  tallies->counter_tally[1][kScatter][2] = 2.0;
  tallies->counter_tally[6][kPrimary][300] = 987654321.0;
  tallies->counter_tally[6][kScatter][300] = 1.0;
  tallies->counter_tally[3][kPrimary][301] = 5.0;  // above the run's bins: neither summed nor written
  form_totals(*tallies, 300);
  EXPECT_EQ(tallies->counter_tally[3][kTotal][301], 0.0);
  const std::vector<std::string> lines = crlf_lines(results_file_text(default_conditions(), *tallies));
  const std::vector<std::string> head(lines.begin(), lines.begin() + 11);
  const std::vector<std::string> expected_head = {
      " Constant potential rectification",
      " Tube potential =  150.0 [kV]",
      " Target angle   =   12.0 [deg]",
      " Inherent filtration =  2.500 [mmAl eq.]",
      " Aliminum filter =  2.000 [mm]",
      " Copper filter   =   .200 [mm]",
      " Field diameter  =   10.0 [cm]",
      " Incident photons/cm2  =    1000000.",
      " by Tucker formula",
      " in water phantom",
      " keV,incident,0cm P,0cm S,0cm P+S,2cm P,2cm S,2cm P+S,  5cm P,5cm S,5cm P+S,10cm P,10cm S,10cm P+S,"
      "15cm P,15cm S,15cm P+S,20cm P,20cm S,20cm P+S"};
  EXPECT_EQ(head, expected_head);
  ASSERT_EQ(lines.size(), 311U);
  EXPECT_EQ(lines[11],
            "    .5,        0.,        0.,        0.,        0.,        0.,        0.,        0.,        0.,"
            "        0.,        0.,        0.,        0.,        0.,        0.,        0.,        0.,"
            "        0.,        0.,        0.");
  EXPECT_EQ(lines[12].substr(0, 51), "   1.0,      123.,       40.,        2.,       42.,");
  EXPECT_EQ(lines[310].substr(0, 6), " 150.0");
  EXPECT_EQ(lines[310].substr(182), ",987654321.,        1.,987654322.");
  for (std::size_t i = 11; i < lines.size(); ++i) {
    ASSERT_EQ(lines[i].size(), 215U) << i;
    const std::vector<std::string> row = fields(lines[i]);
    ASSERT_EQ(row.size(), 20U) << i;
    for (int depth = 0; depth < kDepthCount; ++depth) {
      const std::size_t p = 2 + 3 * static_cast<std::size_t>(depth);
      EXPECT_EQ(std::stod(row[p]) + std::stod(row[p + 1]), std::stod(row[p + 2])) << i;
    }
  }
}

TEST(ResultsFileText, ChoosesTheVariantLinesAndTheRowCount) {
  auto tallies = std::make_unique<Tallies>();
  const struct {
    int rectification;
    int formula;
    int phantom;
    float kv;
    const char* first;
    const char* ninth;
    const char* tenth;
    std::size_t rows;
    const char* last_energy;
  } cases[] = {
      {2, 1, 2, 300.0F, " Three-phase full-wave rectification 12-peak", " by Birch formula",
       " in ICRU Soft-tissue phantom", 600, " 300.0"},
      {3, 2, 1, 150.5F, " Single-phase full-wave rectification", " by Tucker formula", " in water phantom", 301,
       " 150.5"},
      {0, 0, 0, 0.7F, " Single-phase full-wave rectification", " by Tucker formula", " in ICRU Soft-tissue phantom", 1,
       "    .5"},
  };
  for (const auto& c : cases) {
    RunConditions conditions = default_conditions();
    conditions.rectification_code = c.rectification;
    conditions.formula_code = c.formula;
    conditions.phantom_code = c.phantom;
    conditions.tube_voltage_kv = c.kv;
    const std::vector<std::string> lines = crlf_lines(results_file_text(conditions, *tallies));
    ASSERT_EQ(lines.size(), 11 + c.rows) << c.kv;
    EXPECT_EQ(lines[0], c.first);
    EXPECT_EQ(lines[8], c.ninth);
    EXPECT_EQ(lines[9], c.tenth);
    EXPECT_EQ(lines.back().substr(0, 6), c.last_energy);
  }
}

bool has_temporary_file(const std::filesystem::path& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().filename().string().find(".tmp-") != std::string::npos) return true;
  }
  return false;
}

TEST(WriteFileReplacing, ReplacesAnExistingFileWhole) {
  const ScratchFolder folder;
  const auto file = folder.path() / "run1.csv";
  folder.write("run1.csv", std::string(5000, 'x'));
  write_file_replacing(file, "new\r\n");
  EXPECT_EQ(read_file(file), "new\r\n");
  EXPECT_FALSE(has_temporary_file(folder.path()));
  struct stat status {};
  ASSERT_EQ(stat(file.c_str(), &status), 0);
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask);
}

TEST(WriteFileReplacing, AFolderThatDoesNotExistGivesTheSystemsReason) {
  const ScratchFolder folder;
  const auto file = folder.path() / "missing" / "run1.csv";
  try {
    write_file_replacing(file, "text");
    FAIL() << "no error";
  } catch (const InputError& error) {
    EXPECT_EQ(error.file(), file.string());
    EXPECT_NE(std::string(error.what()).find(std::strerror(ENOENT)), std::string::npos) << error.what();
  }
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "missing"));
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST(WriteFileReplacing, AFailedWriteKeepsTheExistingFileAndLeavesNoTemporaryFile) {
  const ScratchFolder folder;
  const auto file = folder.path() / "run1.csv";
  folder.write("run1.csv", "old results\r\n");
  // A file size limit makes the write fail part way (EFBIG), as a full disc would.
  rlimit former{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &former), 0);
  const auto former_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = former;
  limited.rlim_cur = 1000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  std::string message;
  try {
    write_file_replacing(file, std::string(5000, 'y'));
  } catch (const InputError& error) {
    message = error.what();
  }
  setrlimit(RLIMIT_FSIZE, &former);
  std::signal(SIGXFSZ, former_handler);
  EXPECT_NE(message.find(file.string()), std::string::npos) << message;
  EXPECT_NE(message.find(std::strerror(EFBIG)), std::string::npos) << message;
  EXPECT_EQ(read_file(file), "old results\r\n");
  EXPECT_FALSE(has_temporary_file(folder.path()));
}

TEST(WriteFileReplacingDeathTest, AnInterruptDuringTheWriteRemovesTheTemporaryFile) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const ScratchFolder folder;
  const auto file = folder.path() / "run1.csv";
  folder.write("run1.csv", "old results\r\n");
  EXPECT_EXIT(write_file_replacing(file, std::string(100000, 'z'), [] { std::raise(SIGINT); }),
              ::testing::KilledBySignal(SIGINT), "");
  EXPECT_EQ(read_file(file), "old results\r\n");
  EXPECT_FALSE(has_temporary_file(folder.path()));
}

TEST(WriteResultsFile, WritesUnderTheNameWithoutItsTrailingBlanks) {
  const ScratchFolder folder;
  auto state = std::make_unique<RunState>();
  state->conditions = default_conditions("run 2.csv");
  state->tallies.counter_tally[4][kPrimary][100] = 7.0;
  state->tallies.counter_tally[4][kScatter][100] = 3.0;
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  write_results_file(*state);
  std::filesystem::current_path(previous);
  EXPECT_EQ(state->tallies.counter_tally[4][kTotal][100], 10.0);
  EXPECT_EQ(read_file(folder.path() / "run 2.csv"), results_file_text(state->conditions, state->tallies));
}

TEST(WriteResultsFile, TheEngineReportsAnUnwritableNameAndEndsWithStatusOne) {
  const ScratchFolder folder;
  folder.write("B2F.dat", drevik::testing::default_conditions("missing/run1.csv", "0000000001."));
  for (const char* name : {"MUs_202202.data", "water.dat"}) folder.copy_data_file(name);
  const auto run = drevik::testing::run_engine_program(folder.path(), "\n\n");
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_NE(run.output.find("missing/run1.csv"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find(std::strerror(ENOENT)), std::string::npos) << run.output;
  EXPECT_FALSE(has_temporary_file(folder.path()));
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "missing"));
}

}  // namespace
}  // namespace drevik

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include "dialogue.h"
#include "driver.h"
#include "engine_test_support.h"
#include "run_conditions.h"

namespace drevik {
namespace {

using drevik::testing::default_conditions;
using drevik::testing::read_file;
using drevik::testing::run_engine_program;
using drevik::testing::ScratchFolder;

RunConditions defaults() {
  const ScratchFolder folder;
  folder.write("B2F.dat", default_conditions());
  return read_run_conditions(folder.path() / "B2F.dat", Charset::Utf8);
}

// Files other than B2F.dat that a run left in its folder.
std::vector<std::string> files_left(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name != "B2F.dat") names.push_back(name);
  }
  return names;
}

std::string masked_times(std::string transcript) {
  static const std::regex time_field("(計算(開始|終了)時刻 =)[ 0-9]{2}:[ 0-9]{2}:[ 0-9]{2}");
  return std::regex_replace(transcript, time_field, "$1hh:mm:ss");
}

TEST(Dialogue, EchoOfTheFrontEndDefaults) {
  const Lines echo = echo_lines(defaults());
  const Lines expected = {
      "   ---  照射条件  ---",
      "  ",
      "     * 管電圧 =  150.0 [kV]",
      "     * 高電圧整流方式：定電圧",
      "     * ターゲット角 =   12.0 [deg]",
      "     * 固有ろ過 =  2.500 [mmAl eq.]",
      "     * 付加フィルタ Al =  2.000 [mm]",
      "     * 付加フィルタ Cu =   .200 [mm]",
      "     * 照射野直径 =   10.0 [cm]",
      "     * 入射光子数 =    1000000. [/cm2]",
      "     * 入射Ｘ線スペクトル：Tucker 式による",
      "     * ファントム物質：水",
  };
  EXPECT_EQ(echo, expected);
}

TEST(Dialogue, EchoVariants) {
  const struct {
    int formula, rectification, phantom;
    const char *formula_text, *rectification_text, *phantom_text;
  } cases[] = {
      {1, 1, 1, "Birch 式", "定電圧", "水"},
      {2, 2, 2, "Tucker 式", "三相12ピーク", "ICRU 軟部組織"},
      {0, 3, 0, "Tucker 式", "単相全波", "ICRU 軟部組織"},
      {3, 0, 3, "Tucker 式", "単相全波", "ICRU 軟部組織"},
      {-1, 7, 2, "Tucker 式", "単相全波", "ICRU 軟部組織"},
  };
  for (const auto& c : cases) {
    RunConditions conditions = defaults();
    conditions.formula_code = c.formula;
    conditions.rectification_code = c.rectification;
    conditions.phantom_code = c.phantom;
    const Lines echo = echo_lines(conditions);
    EXPECT_NE(echo[3].find(c.rectification_text), std::string::npos) << echo[3];
    EXPECT_NE(echo[10].find(c.formula_text), std::string::npos) << echo[10];
    EXPECT_EQ(echo[11], std::string("     * ファントム物質：") + c.phantom_text);
  }
  RunConditions many = defaults();
  many.photons_per_cm2 = 1.0e10F;
  EXPECT_EQ(echo_lines(many)[9], "     * 入射光子数 = *********** [/cm2]");
}

TEST(Dialogue, TimeAndFinalLines) {
  EXPECT_EQ(start_time_lines({9, 5, 7}).back(), "  計算開始時刻 = 9: 5: 7");
  EXPECT_EQ(end_time_lines({23, 59, 10}).back(), "  計算終了時刻 =23:59:10");
  RunConditions conditions = defaults();
  EXPECT_EQ(final_lines(conditions, Charset::Utf8)[1], " ---  計算結果は run1.csv             に保存しました ---");
  conditions.results_file_name.fill(' ');
  const std::string long_name = "abcdefghijklmnopqrstuvwxyz.csv";
  long_name.copy(conditions.results_file_name.data(), 30);
  EXPECT_EQ(final_lines(conditions, Charset::Utf8)[1], " ---  計算結果は abcdefghijklmnopqrst に保存しました ---");
  // Twenty bytes would end inside the seventh three-byte character: it is left out, not cut.
  conditions.results_file_name.fill(' ');
  const std::string japanese = "あいうえおかきく";
  japanese.copy(conditions.results_file_name.data(), japanese.size());
  EXPECT_EQ(final_lines(conditions, Charset::Utf8)[1], " ---  計算結果は あいうえおか   に保存しました ---");
}

TEST(EngineProgram, DefaultRunTranscript) {
  // The front end's defaults at 100 photons per cm2, so the run stays short.
  const ScratchFolder folder;
  folder.write("B2F.dat", default_conditions("run1.csv", "0000000100."));
  const auto run = run_engine_program(folder.path(), "typed before Enter\n");
  EXPECT_EQ(run.exit_status, 0) << run.output;
  const std::filesystem::path golden = std::filesystem::path(DREVIK_TEST_DATA_DIR) / "spine_default_transcript.txt";
  if (std::getenv("DREVIK_UPDATE_GOLDEN") != nullptr) {
    std::ofstream(golden, std::ios::binary) << masked_times(run.output);
  }
  EXPECT_EQ(masked_times(run.output), read_file(golden));
}

TEST(EngineProgram, ShiftJisConsole) {
  if (std::system("locale -a 2>/dev/null | grep -qi '^ja_JP.sjis$'") != 0) {
    GTEST_SKIP() << "no ja_JP.SJIS locale (localedef -f SHIFT_JIS -i ja_JP ja_JP.SJIS)";
  }
  const ScratchFolder folder;
  folder.write("B2F.dat", default_conditions("run1.csv", "0000000000."));
  const auto run = run_engine_program(folder.path(), "", "LC_ALL=ja_JP.SJIS");
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_NE(run.output.find("\x83\x82\x83\x93\x83\x65\x83\x4a\x83\x8b\x83\x8d"), std::string::npos);  // モンテカルロ
  EXPECT_EQ(run.output.find("モンテカルロ"), std::string::npos);
}

TEST(EngineProgram, BadRunConditionsStopWithAMessage) {
  const std::string good = default_conditions();
  auto replace_line = [&](int line, const std::string& text) {
    std::string result;
    std::size_t start = 0;
    for (int i = 1; i <= 11; ++i) {
      const std::size_t end = good.find("\r\n", start);
      result += (i == line ? text : good.substr(start, end - start)) + "\r\n";
      start = end + 2;
    }
    return result;
  };
  const struct {
    std::string file;  // empty: no B2F.dat at all
    const char* message;
    bool echoed;
  } cases[] = {
      {"", "B2F.dat: cannot open", false},
      {good.substr(0, good.rfind("01\r\n")), "B2F.dat, line 10", false},
      {replace_line(3, "two and a half"), "B2F.dat, line 3: expected the inherent filtration", false},
      {replace_line(1, "0350.0"), "B2F.dat, line 1: tube voltage 350 kV", true},
      {replace_line(1, "0000.0"), "B2F.dat, line 1", true},
      {replace_line(2, "00.000"), "B2F.dat, line 2: target angle", true},
      {replace_line(4, "-01.000"), "B2F.dat, line 4", true},
      {replace_line(6, "-010.0"), "B2F.dat, line 6: field diameter", true},
      {replace_line(11, "    "), "B2F.dat, line 11: the results file name is blank", true},
  };
  for (const auto& c : cases) {
    const ScratchFolder folder;
    if (!c.file.empty()) folder.write("B2F.dat", c.file);
    const auto run = run_engine_program(folder.path(), "\n\n");
    EXPECT_EQ(run.exit_status, 1) << c.message;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("モンテカルロシミュレーション"), std::string::npos);  // after the banner
    EXPECT_EQ(run.output.find("照射条件") != std::string::npos, c.echoed) << c.message;
    EXPECT_EQ(run.output.find("Enter キーを押すと"), std::string::npos) << c.message;
    EXPECT_TRUE(files_left(folder.path()).empty()) << c.message;
  }
}

TEST(EngineProgram, InterruptDuringTheRunLeavesNoResultsFile) {
  const ScratchFolder folder;
  folder.write("B2F.dat", default_conditions());
  int input[2];
  ASSERT_EQ(pipe(input), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(input[0], STDIN_FILENO);
    close(input[1]);
    const int null_out = ::open("/dev/null", O_WRONLY);
    dup2(null_out, STDOUT_FILENO);
    if (chdir(folder.path().c_str()) != 0) _exit(127);
    execl(DREVIK_ENGINE_PATH, "Drevik", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(input[0]);
  ASSERT_EQ(write(input[1], "\n", 1), 1);  // start the calculation
  usleep(1500 * 1000);
  kill(child, SIGINT);
  int status = 0;
  waitpid(child, &status, 0);
  close(input[1]);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
  EXPECT_TRUE(files_left(folder.path()).empty());
}

}  // namespace
}  // namespace drevik

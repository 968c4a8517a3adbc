#include "results_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "fixed_format.h"
#include "input_error.h"
#include "run_conditions.h"

namespace drevik {

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr const char* kHeadingLine =
    " keV,incident,0cm P,0cm S,0cm P+S,2cm P,2cm S,2cm P+S,  5cm P,5cm S,5cm P+S,10cm P,10cm S,10cm P+S,"
    "15cm P,15cm S,15cm P+S,20cm P,20cm S,20cm P+S";

// The temporary file being written, for the signal handler. Only a fixed buffer and a
// flag: the handler may touch nothing else.
constexpr std::size_t kTemporaryPathBytes = 4096;
char temporary_path[kTemporaryPathBytes];
volatile std::sig_atomic_t temporary_registered = 0;
constexpr int kCleanedSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void remove_temporary_and_reraise(int signal_number) {
  if (temporary_registered != 0) unlink(temporary_path);
  // Default action again, then the same signal: the process ends as it would have.
  struct sigaction default_action {};
  default_action.sa_handler = SIG_DFL;
  sigemptyset(&default_action.sa_mask);
  sigaction(signal_number, &default_action, nullptr);
  raise(signal_number);
}

// Installs the handler for the write and restores the former handlers afterwards.
// Signals that were ignored stay ignored.
class TemporaryFileSignalGuard {
 public:
  TemporaryFileSignalGuard() {
    struct sigaction action {};
    action.sa_handler = remove_temporary_and_reraise;
    sigemptyset(&action.sa_mask);
    for (const int signal_number : kCleanedSignals) sigaddset(&action.sa_mask, signal_number);
    for (std::size_t i = 0; i < std::size(kCleanedSignals); ++i) {
      sigaction(kCleanedSignals[i], nullptr, &former_[i]);
      if (former_[i].sa_handler != SIG_IGN) sigaction(kCleanedSignals[i], &action, nullptr);
    }
  }
  ~TemporaryFileSignalGuard() {
    for (std::size_t i = 0; i < std::size(kCleanedSignals); ++i) sigaction(kCleanedSignals[i], &former_[i], nullptr);
  }
  TemporaryFileSignalGuard(const TemporaryFileSignalGuard&) = delete;
  TemporaryFileSignalGuard& operator=(const TemporaryFileSignalGuard&) = delete;

 private:
  struct sigaction former_[std::size(kCleanedSignals)]{};
};

// Blocks the cleaned signals while the registration changes together with the file.
class SignalBlock {
 public:
  SignalBlock() {
    sigset_t blocked;
    sigemptyset(&blocked);
    for (const int signal_number : kCleanedSignals) sigaddset(&blocked, signal_number);
    sigprocmask(SIG_BLOCK, &blocked, &former_);
  }
  ~SignalBlock() { sigprocmask(SIG_SETMASK, &former_, nullptr); }
  SignalBlock(const SignalBlock&) = delete;
  SignalBlock& operator=(const SignalBlock&) = delete;

 private:
  sigset_t former_{};
};

[[noreturn]] void fail(const std::filesystem::path& file, const char* what, int error_number) {
  throw InputError(file.string(), 0, std::string(what) + ": " + std::strerror(error_number));
}

bool write_all(int descriptor, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(descriptor, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

void append_line(std::string& text, const std::string& line) {
  text += line;
  text += kLineEnd;
}

}  // namespace

void form_totals(Tallies& tallies, int bin_count) {
  for (int depth = 1; depth <= kDepthCount; ++depth) {
    auto& tally = tallies.counter_tally[depth];
    for (int bin = 1; bin <= bin_count; ++bin) tally[kTotal][bin] = tally[kPrimary][bin] + tally[kScatter][bin];
  }
}

std::string results_file_text(const RunConditions& conditions, const Tallies& tallies) {
  std::string text;
  const int rectification = conditions.rectification_code;
  append_line(text, rectification == 1   ? " Constant potential rectification"
                    : rectification == 2 ? " Three-phase full-wave rectification 12-peak"
                                         : " Single-phase full-wave rectification");
  append_line(text, " Tube potential = " + format_fixed(conditions.tube_voltage_kv, 6, 1) + " [kV]");
  append_line(text, " Target angle   = " + format_fixed(conditions.target_angle_deg, 6, 1) + " [deg]");
  append_line(text, " Inherent filtration = " + format_fixed(conditions.inherent_filtration_mm, 6, 3) + " [mmAl eq.]");
  append_line(text, " Aliminum filter = " + format_fixed(conditions.al_filter_mm, 6, 3) + " [mm]");
  append_line(text, " Copper filter   = " + format_fixed(conditions.cu_filter_mm, 6, 3) + " [mm]");
  append_line(text, " Field diameter  = " + format_fixed(conditions.field_diameter_cm, 6, 1) + " [cm]");
  append_line(text, " Incident photons/cm2  = " + format_fixed(conditions.photons_per_cm2, 11, 0));
  append_line(text, conditions.formula_code == 1 ? " by Birch formula" : " by Tucker formula");
  append_line(text, conditions.phantom_code == 1 ? " in water phantom" : " in ICRU Soft-tissue phantom");
  append_line(text, kHeadingLine);
  const int bin_count = bin_count_for_voltage(conditions.tube_voltage_kv);
  for (int bin = 1; bin <= bin_count && bin <= kEnergyBinCount; ++bin) {
    std::string row = format_fixed(static_cast<float>(bin) * kBinWidthKev, 6, 1);
    row += ',';
    row += format_fixed(tallies.incident_count[bin], 10, 0);
    for (int depth = 1; depth <= kDepthCount; ++depth) {
      for (int kind = kPrimary; kind <= kTotal; ++kind) {
        row += ',';
        row += format_fixed(tallies.counter_tally[depth][kind][bin], 10, 0);
      }
    }
    append_line(text, row);
  }
  return text;
}

void write_file_replacing(const std::filesystem::path& file, std::string_view bytes, void (*before_rename)()) {
  const std::filesystem::path temporary_template =
      file.parent_path() / ("." + file.filename().string() + ".tmp-XXXXXX");
  const std::string template_text = temporary_template.string();
  if (template_text.size() >= kTemporaryPathBytes) fail(file, "cannot write the results file", ENAMETOOLONG);
  const TemporaryFileSignalGuard guard;
  int descriptor = -1;
  {
    const SignalBlock block;
    std::memcpy(temporary_path, template_text.c_str(), template_text.size() + 1);
    descriptor = mkstemp(temporary_path);
    if (descriptor < 0) fail(file, "cannot create the results file", errno);
    temporary_registered = 1;
  }
  auto discard = [&](const char* what, int error_number) {
    if (descriptor >= 0) close(descriptor);
    const SignalBlock block;
    unlink(temporary_path);
    temporary_registered = 0;
    fail(file, what, error_number);
  };
  // The permissions of a newly created file (mkstemp makes it private to the owner).
  const mode_t mask = umask(0);
  umask(mask);
  if (fchmod(descriptor, 0666 & ~mask) != 0) discard("cannot write the results file", errno);
  if (!write_all(descriptor, bytes)) discard("cannot write the results file", errno);
  if (fsync(descriptor) != 0) discard("cannot write the results file", errno);
  const int closed = close(descriptor);
  descriptor = -1;
  if (closed != 0) discard("cannot write the results file", errno);
  if (before_rename != nullptr) before_rename();
  const SignalBlock block;
  if (std::rename(temporary_path, file.c_str()) != 0) {
    const int error_number = errno;
    unlink(temporary_path);
    temporary_registered = 0;
    fail(file, "cannot replace the results file", error_number);
  }
  temporary_registered = 0;
}

void write_results_file(RunState& state) {
  form_totals(state.tallies, bin_count_for_voltage(state.conditions.tube_voltage_kv));
  write_file_replacing(results_file_name_text(state.conditions), results_file_text(state.conditions, state.tallies));
}

}  // namespace drevik

// Transport benchmark: the front end's default conditions through the engine library,
// without console waits. Prints histories per second and CPU time per history and per
// flight, and a checksum of the counters so that runs of different builds can be
// compared for identical results.
//
//   transport_benchmark [photons_per_cm2 [repeats]]     (default 1e5, 1)
#include <sys/resource.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "console.h"
#include "data_tables.h"
#include "incident_spectrum.h"
#include "random.h"
#include "run_conditions.h"
#include "run_state.h"
#include "transport.h"

namespace {

double cpu_seconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec) + static_cast<double>(usage.ru_utime.tv_usec) * 1e-6 +
         static_cast<double>(usage.ru_stime.tv_sec) + static_cast<double>(usage.ru_stime.tv_usec) * 1e-6;
}

// FNV-1a over the bytes of every counter.
std::uint64_t counter_checksum(const drevik::Tallies& tallies) {
  std::uint64_t hash = 1469598103934665603ULL;
  auto add = [&hash](const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ULL;
  };
  add(tallies.incident_count.data(), sizeof tallies.incident_count);
  add(tallies.counter_tally.data(), sizeof tallies.counter_tally);
  return hash;
}

}  // namespace

int main(int argc, char** argv) {
  const float photons_per_cm2 = argc > 1 ? std::strtof(argv[1], nullptr) : 1.0e5F;
  const int repeats = argc > 2 ? std::atoi(argv[2]) : 1;
  const std::filesystem::path data = DREVIK_SOURCE_DATA_DIR;
  drevik::Console console(nullptr, nullptr, drevik::Charset::Utf8);
  for (int repeat = 0; repeat < repeats; ++repeat) {
    auto state = std::make_unique<drevik::RunState>();
    drevik::seed_generator(state->generator);
    state->conditions = drevik::default_run_conditions(photons_per_cm2);
    state->derived = drevik::derive_run_values(state->conditions);
    drevik::load_attenuation_table(data / drevik::kAttenuationFileName, state->attenuation);
    drevik::build_incident_spectrum(state->conditions, state->derived, state->attenuation, state->incident_spectrum);
    drevik::load_material_tables(data / drevik::kWaterFileName, state->conditions.tube_voltage_kv, state->material);
    const double start = cpu_seconds();
    const drevik::TransportTotals totals = drevik::run_transport(*state, console);
    const double seconds = cpu_seconds() - start;
    const auto histories = static_cast<double>(totals.histories);
    std::printf(
        "histories %lld  flights %lld  cpu %.3f s  histories/s %.0f  ns/history %.1f  ns/flight %.1f  "
        "checksum %016llx\n",
        static_cast<long long>(totals.histories), static_cast<long long>(totals.flights), seconds, histories / seconds,
        seconds * 1e9 / histories, seconds * 1e9 / static_cast<double>(totals.flights),
        static_cast<unsigned long long>(counter_checksum(state->tallies)));
  }
  return 0;
}

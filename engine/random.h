// Additive lagged-Fibonacci generator with lags 24 and 55 and modulus 2^14,
// seeded with fixed constants so that every run draws the same sequence.
#pragma once

#include <cstdint>

#include "run_state.h"

namespace drevik {

constexpr std::int32_t kGeneratorModulus = 16384;
// 16384.1 rounded to single precision (16384.099609375): a deviate never reaches 1.
constexpr float kGeneratorDivisor = 16384.1F;
constexpr std::int32_t kGeneratorFirstSeed = 3783;
constexpr int kGeneratorWarmUpSteps = 1000;

// One step: table(k) = (table(j) + table(k)) mod 2^14, then both lags move down by one.
inline std::int32_t advance_generator(RandomGenerator& generator) {
  auto& table = generator.table;
  const std::int32_t value = (table[generator.j] + table[generator.k]) % kGeneratorModulus;
  table[generator.k] = value;
  if (--generator.j == 0) generator.j = kGeneratorTableSize;
  if (--generator.k == 0) generator.k = kGeneratorTableSize;
  return value;
}

// A uniform deviate 0 <= u <= 0.99993289; u = 0 does occur.
inline float draw_uniform(RandomGenerator& generator) {
  return static_cast<float>(advance_generator(generator)) / kGeneratorDivisor;
}

// Fixed seeding: table(i) = (2 table(i-1) + i) mod 2^14, lags back at 24 and 55.
inline void fill_seed_table(RandomGenerator& generator) {
  auto& table = generator.table;
  table[1] = kGeneratorFirstSeed;
  for (int i = 2; i <= kGeneratorTableSize; ++i) table[i] = (2 * table[i - 1] + i) % kGeneratorModulus;
  generator.j = 24;
  generator.k = kGeneratorTableSize;
}

// The seeding table, then 1000 warm-up steps whose values are discarded.
inline void seed_generator(RandomGenerator& generator) {
  fill_seed_table(generator);
  for (int step = 0; step < kGeneratorWarmUpSteps; ++step) advance_generator(generator);
}

}  // namespace drevik

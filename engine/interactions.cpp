#include "interactions.h"

#include <algorithm>
#include <cmath>

#include "random.h"

namespace drevik {

namespace {

constexpr float kElectronRestEnergyKev = 511.0F;
constexpr float kPlanckTimesLightKevAngstrom = 12.4F;  // h c: wavelength in A = 12.4 / E in keV
constexpr float kBindingLimitPerAngstrom = 10.0F;      // no binding correction above this momentum transfer

using Column = std::array<float, kFormFactorRows + 1>;

// The first row k >= 2 whose value exceeds v, or the last row for a table that does
// not reach v. The search starts at a guess from an index and steps down, then up, so
// that it finds the same row from any guess.
int first_row_above(const Column& column, float v, int guess) {
  int k = guess < 2 ? 2 : guess;
  while (k > 2 && column[k - 1] > v) --k;
  while (k < kFormFactorRows && !(column[k] > v)) ++k;
  return k;
}

// S(x) by linear interpolation in the incoherent scattering function, 0 <= x < 10 1/A.
float incoherent_function_at(const FormFactorTable& table, const TransportTables& tables, float x) {
  const int bucket = static_cast<int>(x * static_cast<float>(kMomentumIndexPerAngstrom));
  const int guess = tables.momentum_row[static_cast<std::size_t>(std::clamp(bucket, 0, kMomentumIndexCount - 1))];
  const int k = first_row_above(table.momentum_transfer, x, guess);
  const auto& xs = table.momentum_transfer;
  const auto& s = table.incoherent_function;
  return (s[k] - s[k - 1]) / (xs[k] - xs[k - 1]) * (x - xs[k - 1]) + s[k - 1];
}

float clamp_cosine(float c) { return c > 1.0F ? 1.0F : (c < -1.0F ? -1.0F : c); }

}  // namespace

void prepare_scattering_index(const FormFactorTable& form_factor, TransportTables& tables) {
  for (int b = 0; b < kMomentumIndexCount; ++b) {
    const float x = static_cast<float>(b) / static_cast<float>(kMomentumIndexPerAngstrom);
    tables.momentum_row[static_cast<std::size_t>(b)] =
        static_cast<std::uint8_t>(first_row_above(form_factor.momentum_transfer, x, 2));
  }
  const float buckets = static_cast<float>(kCumulativeIndexCount - 1);
  tables.cumulative_index_scale = buckets / form_factor.coherent_cumulative_total;
  for (int b = 0; b < kCumulativeIndexCount; ++b) {
    const float y = static_cast<float>(b) / buckets * form_factor.coherent_cumulative_total;
    tables.cumulative_row[static_cast<std::size_t>(b)] =
        static_cast<std::uint8_t>(first_row_above(form_factor.coherent_cumulative, y, 2));
  }
}

float kahn_branch_share(float energy_kev) {
  const float lambda = kElectronRestEnergyKev / energy_kev;
  return (lambda + 2.0F) / (9.0F * lambda + 2.0F);
}

float scattering_angle_from_cosine(float cosine) {
  if (cosine == 0.0F) return kPi * 0.5F;
  const float c = clamp_cosine(cosine);
  const float angle = std::atan(std::sqrt(1.0F - c * c) / c);
  // Test the cosine, not the arctangent: at c = -1 the arctangent is -0 and the angle is pi.
  return c < 0.0F ? angle + kPi : angle;
}

IncoherentResult sample_incoherent(float energy_kev, const FormFactorTable& form_factor, const TransportTables& tables,
                                   RandomGenerator& generator) {
  const float lambda = kElectronRestEnergyKev / energy_kev;  // wavelength in Compton units
  const float branch_share = (lambda + 2.0F) / (9.0F * lambda + 2.0F);
  float angle = 0.0F;
  for (;;) {
    const float r1 = draw_uniform(generator);
    const float r2 = draw_uniform(generator);
    const float r3 = draw_uniform(generator);
    // xi: ratio of the scattered to the incident wavelength, 1 <= xi <= 1 + 2 / lambda.
    float xi = 0.0F;
    bool accepted = false;
    if (r1 > branch_share) {
      xi = (lambda + 2.0F) / (lambda + 2.0F * (1.0F - r2));
      const float a = lambda - lambda * xi + 1.0F;
      accepted = 0.5F * (a * a + 1.0F / xi) > r3;
    } else {
      xi = 1.0F + (2.0F / lambda) * r2;
      accepted = 4.0F * (1.0F / xi - 1.0F / (xi * xi)) > r3;
    }
    if (!accepted) continue;
    // Compton relation: the wavelength grows by 1 - cos(theta) in Compton units.
    const float cosine = 1.0F - (xi - 1.0F) * (kElectronRestEnergyKev / energy_kev);
    angle = scattering_angle_from_cosine(cosine);
    // Binding correction by the incoherent scattering function at x = sin(theta/2) / wavelength.
    const float x = std::sin(angle * 0.5F) * energy_kev / kPlanckTimesLightKevAngstrom;
    if (!(x < kBindingLimitPerAngstrom)) break;
    const float s = incoherent_function_at(form_factor, tables, x);
    if (s / form_factor.incoherent_function_max >= draw_uniform(generator)) break;
  }
  IncoherentResult result;
  result.angle.cos_theta = std::cos(angle);
  result.angle.sin_theta = std::sin(angle);
  result.energy_kev = energy_kev / (1.0F + (energy_kev / kElectronRestEnergyKev) * (1.0F - result.angle.cos_theta));
  return result;
}

ScatteringAngle sample_coherent(float energy_kev, const FormFactorTable& form_factor, const TransportTables& tables,
                                RandomGenerator& generator) {
  const auto& xs = form_factor.momentum_transfer;
  const auto& cumulative = form_factor.coherent_cumulative;
  float cosine = 1.0F;
  for (;;) {
    // Inverse of the cumulative distribution, linear between rows.
    const float y = draw_uniform(generator) * form_factor.coherent_cumulative_total;
    const int bucket = static_cast<int>(y * tables.cumulative_index_scale);
    const int guess = tables.cumulative_row[static_cast<std::size_t>(std::clamp(bucket, 0, kCumulativeIndexCount - 1))];
    const int k = first_row_above(cumulative, y, guess);
    const float x = (xs[k] - xs[k - 1]) * (y - cumulative[k - 1]) / (cumulative[k] - cumulative[k - 1]) + xs[k - 1];
    const float half_angle_sine = x * kPlanckTimesLightKevAngstrom / energy_kev;  // sin(theta/2)
    if (half_angle_sine > 1.0F) continue;
    cosine = 1.0F - 2.0F * (half_angle_sine * half_angle_sine);
    // Thomson factor (1 + cos^2) / 2 by rejection.
    if (2.0F * draw_uniform(generator) > 1.0F + cosine * cosine) continue;
    break;
  }
  ScatteringAngle angle;
  angle.cos_theta = clamp_cosine(cosine);
  angle.sin_theta = std::sqrt(1.0F - angle.cos_theta * angle.cos_theta);
  return angle;
}

}  // namespace drevik

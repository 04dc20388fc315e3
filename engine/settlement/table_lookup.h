// Linear table lookups of the load-settlement charts.
#pragma once

#include <array>
#include <cstddef>

namespace korva {

// Index i of the interval keys[i] <= x < keys[i + 1], for keys[0] < x < keys[N - 1]. Taking
// the interval that starts at x makes a lookup at a key return the table value exactly.
template <std::size_t N>
std::size_t interval(const std::array<double, N>& keys, double x) {
  std::size_t i = 0;
  while (i + 2 < N && !(x < keys[i + 1])) ++i;
  return i;
}

// Linear interpolation in `values` by `keys`; at or below the first key the first value, at
// or above the last key the last value.
template <std::size_t N>
double lookup(const std::array<double, N>& keys, const std::array<double, N>& values, double x) {
  if (x <= keys[0]) return values[0];
  if (x >= keys[N - 1]) return values[N - 1];
  const std::size_t i = interval(keys, x);
  return values[i] + (values[i + 1] - values[i]) * (x - keys[i]) / (keys[i + 1] - keys[i]);
}

}  // namespace korva

// The thresholds of a series. Threshold k is the start with the step added
// k times by repeated addition (never start + k * step), so 0.1 + 0.1 + 0.1
// is 0.30000000000000004 and a distance of exactly 0.3 is first reached at
// index 3. This is the one place thresholds are formed: the engines' series,
// the list the best thresholds are taken from and the printed row labels all
// come from here, so a printed label is the threshold its row was computed
// at.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace phylo {

// Calls visit(t(k)) for k = 0 .. count - 1 and returns t(count), the value
// that would come next.
template <class Visit>
double accumulate_thresholds(double start, double step, std::size_t count, Visit visit) {
    double t = start;
    for (std::size_t k = 0; k < count; ++k) {
        visit(t);
        t = t + step;
    }
    return t;
}

// t(0) .. t(count - 1) as the engines use them: every value, the one after
// the last threshold included, must lie in 0 .. the largest double, checked
// in order; otherwise RangeError. With count 0 only the start is checked.
std::vector<double> thresholds(double start, double step, std::size_t count);

// N, for the thresholds t(0) .. t(N) from minimum up to about maximum:
// (maximum - minimum) / step rounded to the nearest integer, halves away
// from zero (a step of 2 from 0 to 5 gives q = 2.5, N = 3, four thresholds).
// A quotient outside the 32-bit range (a step of 0 included) is a
// RangeError.
std::int32_t threshold_count(double minimum, double maximum, double step);

}  // namespace phylo

#include "scale.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

namespace tarvix::plot {

namespace {

double nice_step(double raw, bool whole) {
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double normal = raw / magnitude;
    const double factor = normal <= 1 ? 1 : normal <= 2 ? 2 : normal <= 5 ? 5 : 10;
    const double step = factor * magnitude;
    return whole ? std::max(1.0, std::round(step)) : step;
}

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace

Axis nice_axis(double low, double high, int target, bool whole) {
    if (!std::isfinite(low) || !std::isfinite(high) || low > high) {
        low = 0;
        high = 1;
    }
    if (low == high) {
        const double pad = low == 0 ? (whole ? 1.0 : 0.01) : std::abs(low) * 0.1;
        const bool keep_positive = low >= 0 && low - pad < 0;
        high = keep_positive ? low + 2 * pad : high + pad;
        low = keep_positive ? 0 : low - pad;
    }
    Axis axis;
    // Divided first, so that the widest range of doubles does not overflow.
    axis.step = nice_step(high / target - low / target, whole);
    // The small allowance keeps 0.3 / 0.1 = 2.9999999999999996 from pulling
    // in a further tick.
    const double first = std::floor(low / axis.step + 1e-9);
    const double last = std::ceil(high / axis.step - 1e-9);
    axis.low = first * axis.step;
    axis.high = last * axis.step;
    axis.decimals = std::max(0, static_cast<int>(-std::floor(std::log10(axis.step) + 1e-9)));
    // A range that is tiny next to its values leaves the tick numbers beyond
    // what a double counts exactly, and the widest ranges overflow when
    // rounded outwards; their two ends serve as ticks then.
    const double count = last - first;
    if (!(count >= 1 && count <= 4.0 * target) || !std::isfinite(axis.low) || !std::isfinite(axis.high)) {
        axis.low = low;
        axis.high = high;
        axis.ticks = {low, high};
        return axis;
    }
    for (int k = 0; k <= static_cast<int>(count); ++k) {
        const double i = first + k;
        axis.ticks.push_back(i == 0 ? 0.0 : i * axis.step);
    }
    return axis;
}

Axis log_axis(double low, double high) {
    if (low == high) {
        low /= 2;
        high *= 2;
    }
    // Value i of the sequence ... 0.5, 1, 2, 5, 10 ...: 1 at i = 0.
    const auto decade = [](long long i) { return i >= 0 ? i / 3 : -((2 - i) / 3); };
    const auto value = [&](long long i) {
        return std::array<double, 3>{1, 2, 5}[i - 3 * decade(i)] * std::pow(10.0, static_cast<double>(decade(i)));
    };
    long long first = 3 * static_cast<long long>(std::floor(std::log10(low)));
    // Steps of 1e-9 keep 0.3 from counting as above 0.30000000000000004.
    while (value(first + 1) <= low * (1 + 1e-9)) ++first;
    long long last = first;
    while (value(last) < high * (1 - 1e-9)) ++last;
    Axis axis;
    axis.log = true;
    axis.low = value(first);
    axis.high = value(last);
    const bool decades_only = last - first > 9;
    for (long long i = first; i <= last; ++i)
        if (!decades_only || i == 3 * decade(i) || i == first || i == last) axis.ticks.push_back(value(i));
    axis.step = 0;
    axis.decimals = 0;
    return axis;
}

std::string axis_tick_text(const Axis& axis, double value) {
    if (!axis.log) return tick_text(value, axis.decimals);
    return fixed(value, std::max(0, static_cast<int>(-std::floor(std::log10(value) + 1e-9))));
}

std::string ani_text(double threshold, int decimals) {
    const double ani = 100 * (1 - threshold);
    if (decimals >= 0) return tick_text(ani, decimals);
    std::string text = fixed(ani, 6);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text == "-0" ? "0" : text;
}

double Scale::operator()(double value) const {
    if (log)
        return pixel_low + (std::log10(value) - std::log10(domain_low)) /
                               (std::log10(domain_high) - std::log10(domain_low)) * (pixel_high - pixel_low);
    return pixel_low + (value - domain_low) / (domain_high - domain_low) * (pixel_high - pixel_low);
}

Range finite_range(const std::vector<double>& values) {
    Range range{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    for (const double v : values) {
        if (!std::isfinite(v)) continue;
        range.low = std::min(range.low, v);
        range.high = std::max(range.high, v);
    }
    return range;
}

Range merged(Range a, Range b) { return {std::min(a.low, b.low), std::max(a.high, b.high)}; }

std::string tick_text(double value, int decimals) { return fixed(value == 0 ? 0.0 : value, decimals); }

std::string threshold_text(double value) {
    std::string text = fixed(value, 8);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
    }
    return text == "-0" ? "0" : text;
}

std::string value_text(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "+Inf" : "-Inf";
    return fixed(value, std::abs(value) < 1000 ? 4 : 1);
}

}  // namespace tarvix::plot

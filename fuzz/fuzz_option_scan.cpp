// Feeds arbitrary argument lists (arguments separated by NUL bytes) to the
// option scan and the threshold count: every list must end in settings
// within the accepted values, with the inputs a subsequence of the
// arguments, or in one of the library's errors.
#include <cstdint>
#include <string>
#include <vector>

#include "driver/options.hpp"
#include "phylo/errors.hpp"
#include "phylo/thresholds.hpp"

namespace {

bool is_subsequence(const std::vector<std::string>& part, const std::vector<std::string>& whole) {
    std::size_t i = 0;
    for (const std::string& argument : whole)
        if (i < part.size() && part[i] == argument) ++i;
    return i == part.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            arguments.emplace_back();
        else
            arguments.back().push_back(static_cast<char>(data[i]));
    }
    try {
        tarvix::CommandLine line = tarvix::scan_options(arguments);
        const tarvix::Settings& s = line.settings;
        if (!is_subsequence(line.inputs, arguments)) __builtin_trap();
        if (!(s.fraction >= -1.0 && s.fraction <= 1.0)) __builtin_trap();
        if (!(s.deletion_fraction >= 0.0 && s.deletion_fraction <= 1.0)) __builtin_trap();
        if (!(s.step >= 0.0 && s.minimum_threshold >= 0.0 && s.maximum_threshold >= 0.0)) __builtin_trap();
        if (s.replicates < 1) __builtin_trap();
        tarvix::settle_threshold_range(line.settings);
        const std::int32_t count =
            phylo::threshold_count(s.minimum_threshold, s.maximum_threshold, s.step);
        if (count < 0 && line.settings.maximum_threshold >= line.settings.minimum_threshold) __builtin_trap();
    } catch (const phylo::Error&) {
    }
    return 0;
}

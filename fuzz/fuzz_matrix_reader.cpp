// Feeds arbitrary text to the distance-matrix reader in all three layouts:
// every input must end in a matrix or in one of the library's errors.
#include <cstdint>
#include <string>

#include "phylo/errors.hpp"
#include "phylo/io/read.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const auto format = static_cast<phylo::io::read::DistInputFormat>(data[0] % 3);
    auto input = phylo::io::TextInput::from_text(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    try {
        while (!input->only_blank_lines_left()) {
            const phylo::Squared m = phylo::io::read::get(*input, format);
            if (m.matrix.size() != m.labels.size()) __builtin_trap();
        }
    } catch (const phylo::Error&) {
    }
    return 0;
}

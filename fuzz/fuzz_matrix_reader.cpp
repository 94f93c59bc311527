// Feeds arbitrary bytes to the distance-matrix reader: every input must end
// in matrices or in one of the library's errors, and the reader that parses
// rows on all cores must give exactly what the sequential reader gives.
//
// The first byte chooses: its value modulo 3 the layout (PHYLIP, extended
// PHYLIP, tab-separated); (value / 3) modulo 2 whether the rest is read from
// memory or from a file through the byte source (where a gzip magic makes it
// compressed input); (value / 6) modulo 4 the block and chunk sizes of the
// speculation, small ones putting their boundaries inside small inputs.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "phylo/errors.hpp"
#include "phylo/io/parallel_read.hpp"
#include "phylo/io/read.hpp"

namespace {

struct Outcome {
    std::vector<phylo::Labels> labels;
    std::vector<std::vector<double>> values;
    std::string failure;
};

std::unique_ptr<phylo::io::TextInput> open_input(const std::string& text, bool through_file) {
    if (!through_file) return phylo::io::TextInput::from_text(text);
    const int fd = memfd_create("fuzz_matrix", 0);
    if (fd < 0) return nullptr;
    if (!text.empty() && write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        close(fd);
        return nullptr;
    }
    lseek(fd, 0, SEEK_SET);
    auto input = phylo::io::TextInput::open("/proc/self/fd/" + std::to_string(fd));
    close(fd);
    return input;
}

Outcome read_all(const std::string& text, phylo::io::read::DistInputFormat format, bool through_file,
                 const phylo::io::parallel_read::Tuning& tuning) {
    phylo::io::parallel_read::tuning() = tuning;
    Outcome outcome;
    try {
        auto input = open_input(text, through_file);
        if (!input) return outcome;
        while (!input->only_blank_lines_left()) {
            const phylo::Squared m = phylo::io::read::get(*input, format);
            if (m.matrix.size() != m.labels.size()) __builtin_trap();
            outcome.labels.push_back(m.labels);
            outcome.values.emplace_back(m.matrix.data(), m.matrix.data() + m.size() * m.size());
        }
    } catch (const phylo::Error& e) {
        outcome.failure = e.heading() + ": " + e.what();
    }
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const unsigned choice = data[0];
    const auto format = static_cast<phylo::io::read::DistInputFormat>(choice % 3);
    const bool through_file = (choice / 3) % 2 == 1;
    static const std::size_t sizes[4][2] = {{std::size_t{1} << 25, std::size_t{1} << 20}, {7, 1}, {64, 16}, {1000, 1}};
    phylo::io::parallel_read::Tuning fast;
    fast.block_bytes = sizes[(choice / 6) % 4][0];
    fast.least_chunk_bytes = sizes[(choice / 6) % 4][1];
    phylo::io::parallel_read::Tuning slow;
    slow.enabled = false;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    const Outcome a = read_all(text, format, through_file, fast);
    const Outcome b = read_all(text, format, through_file, slow);
    if (a.labels != b.labels || a.failure != b.failure || a.values.size() != b.values.size()) __builtin_trap();
    for (std::size_t m = 0; m < a.values.size(); ++m)
        if (std::memcmp(a.values[m].data(), b.values[m].data(), a.values[m].size() * sizeof(double)) != 0)
            __builtin_trap();
    return 0;
}

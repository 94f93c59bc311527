// Feeds arbitrary text to the partition-file reader: every input must end in
// a transposed table or in one of the library's errors.
#include <cstdint>
#include <string>

#include "phylo/errors.hpp"
#include "phylo/io/partition_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto input = phylo::io::TextInput::from_text(std::string(reinterpret_cast<const char*>(data), size));
    try {
        const phylo::GroupNameTable table = phylo::io::partition_file::get_transposed(*input, '\t', '"');
        for (const auto& row : table)
            if (row.size() != table.front().size()) __builtin_trap();
    } catch (const phylo::Error&) {
    }
    return 0;
}

#include "labels.hpp"

#include <array>
#include <cstring>

#include "errors.hpp"

namespace tarvix::matrix {

namespace {

bool ends_with_ignoring_case(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    const std::string_view tail = text.substr(text.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i]) return false;
    }
    return true;
}

// Removes the first suffix of `suffixes` that `text` ends with, keeping at
// least one character.
bool strip_one(std::string_view& text, const auto& suffixes) {
    for (std::string_view suffix : suffixes)
        if (text.size() > suffix.size() && ends_with_ignoring_case(text, suffix)) {
            text.remove_suffix(suffix.size());
            return true;
        }
    return false;
}

constexpr std::array<std::string_view, 4> kCompressions = {".gz", ".bz2", ".xz", ".zst"};
constexpr std::array<std::string_view, 20> kSequenceFiles = {
    ".fasta", ".fas", ".fna", ".ffn", ".faa", ".frn", ".fa", ".fsa", ".fn", ".mfa",
    ".seq", ".fastq", ".fq", ".gbff", ".gbk", ".gb", ".genbank", ".embl", ".msh", ".sketch"};

bool is_reader_whitespace(unsigned char c) { return c <= 32 || (c >= 127 && c <= 159); }

}  // namespace

std::string clean_label(std::string_view name, bool keep_paths) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!name.empty() && blank(name.front())) name.remove_prefix(1);
    while (!name.empty() && blank(name.back())) name.remove_suffix(1);
    if (!keep_paths) {
        // A trailing slash names a folder, not a file: keep the name as it is.
        const std::size_t slash = name.find_last_of('/');
        if (slash != std::string_view::npos && slash + 1 < name.size()) name.remove_prefix(slash + 1);
        strip_one(name, kCompressions);
        strip_one(name, kSequenceFiles);
    }
    std::string label(name);
    for (char& c : label)
        if (is_reader_whitespace(static_cast<unsigned char>(c))) c = '_';
    return label;
}

std::uint64_t hash_name(std::string_view name) noexcept {
    // Sixteen bytes a round, the two products independent of each other and
    // of the running hash, so that their multiplications overlap; a final
    // mix brings the high bits down to the slot index.
    constexpr std::uint64_t k1 = 0x9E3779B97F4A7C15ull;
    constexpr std::uint64_t k2 = 0xC2B2AE3D27D4EB4Full;
    auto rotate = [](std::uint64_t h) { return (h << 23) | (h >> 41); };
    std::uint64_t h = name.size() * k1;
    const char* p = name.data();
    std::size_t n = name.size();
    for (; n >= 16; p += 16, n -= 16) {
        std::uint64_t w0, w1;
        std::memcpy(&w0, p, 8);
        std::memcpy(&w1, p + 8, 8);
        h = rotate(h) ^ ((w0 ^ k2) * k1) ^ ((w1 ^ k1) * k2);
    }
    if (n >= 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        h = rotate(h) ^ ((w ^ k2) * k1);
        p += 8;
        n -= 8;
    }
    if (n > 0) {
        std::uint64_t w = 0;
        std::memcpy(&w, p, n);
        h = rotate(h) ^ ((w ^ k1) * k2);
    }
    h ^= h >> 32;
    h *= k1;
    return h ^ (h >> 29);
}

std::int64_t LabelTable::find(std::string_view name) const {
    const std::uint64_t h = hash_name(name);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t s = h & mask;; s = (s + 1) & mask) {
        const Slot& slot = slots_[s];
        if (slot.row_plus_one == 0) return -1;
        if (slot.hash == h && names_[slot.row_plus_one - 1] == name) return slot.row_plus_one - 1;
    }
}

std::uint32_t LabelTable::row_of(std::string_view name) {
    const std::uint64_t h = hash_name(name);
    const std::size_t mask = slots_.size() - 1;
    std::size_t s = h & mask;
    for (;; s = (s + 1) & mask) {
        const Slot& slot = slots_[s];
        if (slot.row_plus_one == 0) break;
        if (slot.hash == h && names_[slot.row_plus_one - 1] == name) return slot.row_plus_one - 1;
    }
    const auto row = static_cast<std::uint32_t>(names_.size());
    std::string label = clean_label(name, keep_paths_);
    if (label.empty()) throw InputError(0, "the name '" + std::string(name) + "' gives an empty label");
    const auto [taken, inserted] = label_rows_.emplace(label, row);
    if (!inserted)
        throw InputError(0, "the names '" + names_[taken->second] + "' and '" + std::string(name) +
                                "' both give the label " + label + (keep_paths_ ? "" : "; try --keep-paths"));
    names_.emplace_back(name);
    labels_.push_back(std::move(label));
    slots_[s] = Slot{h, row + 1};
    if (names_.size() * 2 > slots_.size()) grow();
    return row;
}

void LabelTable::grow() {
    std::vector<Slot> bigger(slots_.size() * 2);
    const std::size_t mask = bigger.size() - 1;
    for (const Slot& slot : slots_) {
        if (slot.row_plus_one == 0) continue;
        std::size_t s = slot.hash & mask;
        while (bigger[s].row_plus_one != 0) s = (s + 1) & mask;
        bigger[s] = slot;
    }
    slots_ = std::move(bigger);
}

}  // namespace tarvix::matrix

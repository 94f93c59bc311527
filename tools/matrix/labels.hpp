// Labels: from the names our users' tools print (paths of genome files) to
// the one-word labels of an extended PHYLIP matrix, and the table that gives
// every label its row.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarvix::matrix {

// The label a name becomes: unless `keep_paths`, the folders and the
// extensions of sequence files (.fna, .fa, .fasta, ..., each possibly followed
// by .gz, .bz2, .xz or .zst) are removed; blanks at both ends are removed;
// every character that tarvix's readers take as whitespace (the space, the
// control characters 0-31 and the codes 127-159) becomes '_'.
std::string clean_label(std::string_view name, bool keep_paths);

// The rows of the matrix in the order their names first appear. Names are
// looked up as they stand in the input, by hashing the bytes of the view, so
// looking up a name that is already known allocates nothing; a new name is
// cleaned at once, and two names that become the same label are an error.
class LabelTable {
public:
    explicit LabelTable(bool keep_paths) : keep_paths_(keep_paths) {}

    // The row of `name`, added as the next row when it is new. Throws
    // InputError (line 0) when its label is empty or already taken by
    // another name.
    std::uint32_t row_of(std::string_view name);
    // The row of `name`, or -1 when it is not known.
    std::int64_t find(std::string_view name) const;

    std::size_t size() const noexcept { return names_.size(); }
    const std::string& label(std::size_t row) const { return labels_[row]; }
    const std::string& name(std::size_t row) const { return names_[row]; }

private:
    void grow();

    bool keep_paths_;
    std::vector<std::string> names_;
    std::vector<std::string> labels_;
    // Open addressing; the hash beside the row saves a look at the name on
    // most mismatches.
    struct Slot {
        std::uint64_t hash = 0;
        std::uint32_t row_plus_one = 0;  // 0: an empty slot
    };
    std::vector<Slot> slots_ = std::vector<Slot>(64);
    std::unordered_map<std::string, std::uint32_t> label_rows_;
};

// The hash of a name, eight bytes at a time.
std::uint64_t hash_name(std::string_view name) noexcept;

}  // namespace tarvix::matrix

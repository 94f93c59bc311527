// Label maps: hashed maps from a label (compared exactly, case-sensitively)
// to a 32-bit number. They align the objects of a partition file, a name
// table or a second distance matrix with the objects of a distance matrix.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>

#include "phylo/types.hpp"

namespace phylo::partitions {

// How to_map numbers the strings of an array.
enum class MapMode {
    UNIQUE,    // every string gets its own position; a repeated string is an error
    GROUPING,  // equal strings share one number; numbers follow first occurrence
};

class TaxonNumbers {
public:
    // Enters key with number. A key already present is a ContainerError
    // "attempt to insert key already in map".
    void insert(const Label& key, std::int32_t number);
    // The number of key. A key not present is a ContainerError
    // "no element available because key not in map".
    std::int32_t at(const Label& key) const;
    bool contains(const Label& key) const { return numbers_.contains(key); }
    std::size_t size() const noexcept { return numbers_.size(); }

private:
    std::unordered_map<Label, std::int32_t> numbers_;
};

// Builds the label map of strings in the given mode. Numbers start at 0, the
// first position of the array.
TaxonNumbers to_map(const Labels& strings, MapMode mode);

}  // namespace phylo::partitions

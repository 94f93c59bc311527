#include "phylo/partitions/label_map.hpp"

#include <limits>
#include <string>

#include "phylo/errors.hpp"
#include "phylo/number_images.hpp"

namespace phylo::partitions {

void TaxonNumbers::insert(const Label& key, std::int32_t number) {
    if (!numbers_.try_emplace(key, number).second)
        throw ContainerError("attempt to insert key already in map");
}

std::int32_t TaxonNumbers::at(const Label& key) const {
    const auto found = numbers_.find(key);
    if (found == numbers_.end()) throw ContainerError("no element available because key not in map");
    return found->second;
}

TaxonNumbers to_map(const Labels& strings, MapMode mode) {
    // Numbers are 32-bit like every object and group number of the library.
    if (strings.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw RangeError("cannot number " + decimal(strings.size()) + " labels");
    TaxonNumbers map;
    std::int32_t next = 0;
    for (std::size_t i = 0; i < strings.size(); ++i) {
        if (mode == MapMode::UNIQUE) {
            map.insert(strings[i], static_cast<std::int32_t>(i));
        } else if (!map.contains(strings[i])) {
            map.insert(strings[i], next++);
        }
    }
    return map;
}

}  // namespace phylo::partitions

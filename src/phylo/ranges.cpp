#include "phylo/ranges.hpp"

#include <cmath>

#include "phylo/errors.hpp"
#include "phylo/number_images.hpp"

namespace phylo {

double require_range(double value, const char* what) {
    if (!(value >= 0.0 && value <= largest_double))
        throw RangeError(std::string(what) + " outside 0 .. largest double: " + real_image(value));
    return value;
}

void require_distances(const RealMatrix& distances) {
    const std::size_t n = distances.size();
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) require_range(distances(i, j), "distance");
}

}  // namespace phylo

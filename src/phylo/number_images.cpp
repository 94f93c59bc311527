#include "phylo/number_images.hpp"

#include <cmath>

namespace phylo {

std::string real_image(double value) {
    if (std::isnan(value)) return "nan";
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

std::string integer_image(std::int64_t value) {
    std::string image = value >= 0 ? " " : "";
    image += decimal(value);
    return image;
}

}  // namespace phylo

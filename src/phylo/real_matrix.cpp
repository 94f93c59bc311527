#include "phylo/real_matrix.hpp"

#include <algorithm>
#include <limits>
#include <new>
#include <string>

#include "phylo/errors.hpp"
#include "phylo/number_images.hpp"

namespace phylo {

std::unique_ptr<double[]> allocate_reals(std::size_t count) {
    if (count > std::numeric_limits<std::size_t>::max() / sizeof(double))
        throw ResourceError("cannot hold " + decimal(count) + " values");
    try {
        return std::unique_ptr<double[]>(new double[count]);
    } catch (const std::bad_alloc&) {
        throw ResourceError("not enough memory for " + decimal(count) + " values");
    }
}

static std::size_t checked_square(std::size_t n) {
    if (n != 0 && n > std::numeric_limits<std::size_t>::max() / n)
        throw ResourceError("matrix of " + decimal(n) + " objects is too large");
    return n * n;
}

RealMatrix::RealMatrix(std::size_t n) : RealMatrix(n, allocate_reals(checked_square(n))) {}

RealMatrix::RealMatrix(std::size_t n, double value) : RealMatrix(n) {
    std::fill(data_.get(), data_.get() + n * n, value);
}

RealMatrix::RealMatrix(const RealMatrix& other) : RealMatrix(other.n_) {
    std::copy(other.data_.get(), other.data_.get() + n_ * n_, data_.get());
}

RealMatrix& RealMatrix::operator=(const RealMatrix& other) {
    if (this != &other) *this = RealMatrix(other);
    return *this;
}

}  // namespace phylo

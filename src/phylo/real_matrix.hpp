// A dense square matrix of doubles in row-major order. Its storage is not
// zero-filled when created: the reader writes every entry once, and on large
// matrices zero-filling costs as much as parsing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace phylo {

namespace real_matrix_storage {
// Frees what a matrix owns, and leaves alone what a view borrows.
struct Release {
    bool owned = true;
    void operator()(double* storage) const noexcept {
        if (owned) delete[] storage;
    }
};
}  // namespace real_matrix_storage

class RealMatrix {
public:
    RealMatrix() = default;
    // An n x n matrix whose entries are unspecified until written.
    explicit RealMatrix(std::size_t n);
    // An n x n matrix with every entry set to value.
    RealMatrix(std::size_t n, double value);
    // Takes over storage holding n * n entries in row-major order.
    RealMatrix(std::size_t n, std::unique_ptr<double[]> storage) noexcept
        : n_(n), data_(storage.release(), Release{true}) {}
    // A view of n * n entries in row-major order that another owner keeps
    // (the Python module hands numpy's arrays to the engines this way):
    // nothing is copied, nothing freed, and the storage must outlive the view.
    // Use a view only through const references; a copy of it owns its storage.
    static RealMatrix view_of(std::size_t n, const double* storage) noexcept {
        RealMatrix view;
        view.n_ = n;
        view.data_ = Storage(const_cast<double*>(storage), Release{false});
        return view;
    }

    RealMatrix(const RealMatrix& other);
    RealMatrix& operator=(const RealMatrix& other);
    RealMatrix(RealMatrix&&) noexcept = default;
    RealMatrix& operator=(RealMatrix&&) noexcept = default;

    std::size_t size() const noexcept { return n_; }
    double operator()(std::size_t i, std::size_t k) const noexcept { return data_[i * n_ + k]; }
    double& operator()(std::size_t i, std::size_t k) noexcept { return data_[i * n_ + k]; }
    const double* row(std::size_t i) const noexcept { return data_.get() + i * n_; }
    double* row(std::size_t i) noexcept { return data_.get() + i * n_; }
    const double* data() const noexcept { return data_.get(); }
    double* data() noexcept { return data_.get(); }

private:
    using Release = real_matrix_storage::Release;
    using Storage = std::unique_ptr<double[], Release>;
    std::size_t n_ = 0;
    Storage data_;
};

// The submatrix of the rows and columns picked, in the order picked:
// into(a, b) = from(picked[a], picked[b]). into takes the size of the pick
// (its storage is reused when it has it already). Every index must lie
// below from.size().
template <class Index>
void gather(const RealMatrix& from, std::span<const Index> picked, RealMatrix& into) {
    if (into.size() != picked.size()) into = RealMatrix(picked.size());
    for (std::size_t a = 0; a < picked.size(); ++a) {
        const double* row = from.row(static_cast<std::size_t>(picked[a]));
        double* to = into.row(a);
        for (std::size_t b = 0; b < picked.size(); ++b) to[b] = row[static_cast<std::size_t>(picked[b])];
    }
}

// The same submatrix read in place, nothing copied: entry (a, b) is
// whole(picked[a], picked[b]). The whole matrix and the pick must outlive it.
struct PickedSubmatrix {
    const RealMatrix& whole;
    std::span<const std::int32_t> picked;

    std::size_t size() const noexcept { return picked.size(); }
};

// Storage for count doubles, uninitialised; throws ResourceError when the
// machine cannot provide it.
std::unique_ptr<double[]> allocate_reals(std::size_t count);

}  // namespace phylo

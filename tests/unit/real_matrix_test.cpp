// The matrix's two kinds of storage: its own, and a view of storage another
// owner keeps (the Python module's numpy arrays). The sanitizer build catches
// a view that frees what it borrowed.
#include "phylo/real_matrix.hpp"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

TEST(RealMatrixView, ReadsTheOwnersEntriesInPlaceAndNeverFreesThem) {
    std::vector<double> storage = {0.0, 0.25, 0.25, 0.0};
    {
        phylo::RealMatrix view = phylo::RealMatrix::view_of(2, storage.data());
        EXPECT_EQ(view.size(), 2u);
        EXPECT_EQ(view.data(), storage.data());
        EXPECT_EQ(view(0, 1), 0.25);
        EXPECT_EQ(view.row(1), storage.data() + 2);
        // Moved, it stays a view.
        const phylo::RealMatrix moved = std::move(view);
        EXPECT_EQ(moved.data(), storage.data());
    }
    // The views are gone; the storage is still the owner's, unchanged.
    EXPECT_EQ(storage, (std::vector<double>{0.0, 0.25, 0.25, 0.0}));
}

TEST(RealMatrixView, ACopyOwnsItsStorage) {
    std::vector<double> storage = {0.0, 0.5, 0.5, 0.0};
    phylo::RealMatrix copy;
    {
        const phylo::RealMatrix view = phylo::RealMatrix::view_of(2, storage.data());
        copy = view;
    }
    EXPECT_NE(copy.data(), storage.data());
    copy(0, 1) = 0.75;  // the copy is the owner of what it writes
    EXPECT_EQ(storage[1], 0.5);
    EXPECT_EQ(copy(1, 0), 0.5);
}

}  // namespace

// The one sort procedure for reals and keyed records: an in-place, unstable
// heap sort. Equal keys end up in whatever order this exact procedure leaves
// them, and our users' clusterings depend on that order wherever distances
// tie, so every sort of reals or keyed records (the pair list, jackknife keys,
// the correction's score table, copies sorted for medians) goes through here.
// Keys are compared alone with a strict less-than.
#pragma once

#include <cstddef>
#include <utility>

namespace phylo {

// Sorts a[0 .. m-1] ascending by key(a[i]). The procedure works on positions
// 1 .. m (position p is a[p - 1]).
template <class T, class KeyOf>
void heap_sort(T* a, std::size_t m, KeyOf key) {
    // Sift the moving record in from position s within positions 1 .. limit:
    // descend along the larger child all the way down, then climb back up
    // while the father is smaller than the moving record.
    auto sift = [&](std::size_t s, std::size_t limit, T moving) {
        std::size_t c = s;
        for (;;) {
            std::size_t son = 2 * c;
            if (son > limit) break;
            if (son < limit && key(a[son - 1]) < key(a[son])) ++son;
            a[c - 1] = std::move(a[son - 1]);
            c = son;
        }
        const auto moving_key = key(moving);
        while (c != s) {
            const std::size_t father = c / 2;
            if (key(a[father - 1]) < moving_key) {
                a[c - 1] = std::move(a[father - 1]);
                c = father;
            } else {
                break;
            }
        }
        a[c - 1] = std::move(moving);
    };
    for (std::size_t j = m / 2; j >= 1; --j) sift(j, m, std::move(a[j - 1]));
    while (m > 1) {
        T moving = std::move(a[m - 1]);
        a[m - 1] = std::move(a[0]);
        --m;
        sift(1, m, std::move(moving));
    }
}

// Sorts plain reals with the same procedure.
inline void heap_sort(double* a, std::size_t m) {
    heap_sort(a, m, [](double x) { return x; });
}

}  // namespace phylo

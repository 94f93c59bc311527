// Two doubles handled by one instruction (every x86-64 and ARM64 machine has
// such registers). Each lane computes exactly what the scalar code would, so
// loops written with them give the same bits as their scalar forms.
#pragma once

#include <cstddef>
#include <cstring>

namespace phylo::graph::simd {

using Lanes = double __attribute__((vector_size(16)));
inline constexpr std::size_t width = 2;

inline Lanes load(const double* p) {
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store(double* p, Lanes v) { std::memcpy(p, &v, sizeof v); }

}  // namespace phylo::graph::simd

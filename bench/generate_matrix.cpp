// Writes a species-like distance matrix for the benchmarks: taxa fall into
// species of 1 to 20 members; distances within a species lie in 0 .. 0.05,
// between species in 0.1 .. 0.5. Also writes the species as a partition file.
// With "long-tail" the species sizes follow the long tail of real strain
// collections instead: most species hold 1 to 10 strains, one in 80 holds 50
// to 90. Big species give many equal distances that share a taxon, the case
// where the order of equal distances may matter to the clustering.
// With "hashed" each distance is drawn from a hash of its pair instead of one
// stream of random numbers, so that no matrix is held in memory: for the
// largest matrices (30000 taxa: 7.2 GB of doubles, 10 GB of text).
// Reports on standard error how many pairs lie within 0.1 as written and how
// many runs of equal distances they hold.
//
//   generate_matrix N DECIMALS SEED OUT_PREFIX [long-tail | hashed]
//     -> OUT_PREFIX.dst, OUT_PREFIX_ref.txt
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

// A uniform double in [0, 1) from a hash of the seed and the pair.
double hashed_uniform(std::uint64_t seed, std::size_t i, std::size_t j) {
    std::uint64_t z = seed * 0x9E3779B97F4A7C15u + (std::uint64_t{i} << 32 | j);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-53;
}

}  // namespace

int main(int argc, char** argv) {
    const bool long_tail = argc == 6 && std::string(argv[5]) == "long-tail";
    const bool hashed = argc == 6 && std::string(argv[5]) == "hashed";
    if (argc != 5 && !long_tail && !hashed) {
        std::fprintf(stderr, "usage: %s N DECIMALS SEED OUT_PREFIX [long-tail | hashed]\n", argv[0]);
        return 2;
    }
    const std::size_t n = std::strtoul(argv[1], nullptr, 10);
    const int decimals = std::atoi(argv[2]);
    std::mt19937_64 rng(std::strtoull(argv[3], nullptr, 10));
    const std::uint64_t seed = std::strtoull(argv[3], nullptr, 10);
    const std::string prefix = argv[4];

    std::vector<int> species(n);
    int current = 0;
    for (std::size_t i = 0; i < n;) {
        const std::size_t size = !long_tail          ? 1 + rng() % 20
                                 : rng() % 80 == 0 ? 50 + rng() % 41
                                                   : 1 + rng() % 10;
        for (std::size_t k = 0; k < size && i < n; ++k) species[i++] = current;
        ++current;
    }
    std::uniform_real_distribution<double> within(0.0, 0.05), between(0.1, 0.5);
    std::vector<double> d(hashed ? 0 : n * n, 0.0);
    if (!hashed)
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = i + 1; j < n; ++j)
                d[i * n + j] = d[j * n + i] = species[i] == species[j] ? within(rng) : between(rng);
    const auto distance = [&](std::size_t i, std::size_t j) {
        if (!hashed) return d[i * n + j];
        if (i == j) return 0.0;
        const double u = hashed_uniform(seed, std::min(i, j), std::max(i, j));
        return species[i] == species[j] ? 0.05 * u : 0.1 + 0.4 * u;
    };

    FILE* out = std::fopen((prefix + ".dst").c_str(), "w");
    FILE* ref = std::fopen((prefix + "_ref.txt").c_str(), "w");
    if (!out || !ref) return 1;
    std::fprintf(out, "%zu\n", n);
    std::string line;
    char number[64];
    std::vector<double> close;  // the written distances up to 0.1 of the upper triangle
    for (std::size_t i = 0; i < n; ++i) {
        line = "T" + std::to_string(i);
        for (std::size_t j = 0; j < n; ++j) {
            const auto r = std::to_chars(number, number + sizeof number, distance(i, j), std::chars_format::fixed,
                                         decimals);
            line.push_back(' ');
            line.append(number, r.ptr);
            double written = 0.0;
            std::from_chars(number, r.ptr, written);
            if (j > i && written <= 0.1) close.push_back(written);
        }
        line.push_back('\n');
        std::fwrite(line.data(), 1, line.size(), out);
        std::fprintf(ref, "T%zu\tspecies_%d\n", i, species[i]);
    }
    std::fclose(out);
    std::fclose(ref);
    std::sort(close.begin(), close.end());
    std::size_t runs = 0, longest = close.empty() ? 0 : 1;
    for (std::size_t p = 0, q = 0; p < close.size(); p = q) {
        for (q = p + 1; q < close.size() && close[q] == close[p];) ++q;
        runs += q - p > 1;
        longest = std::max(longest, q - p);
    }
    std::fprintf(stderr, "%zu pairs up to 0.1, %zu runs of equal distances among them (longest %zu)\n", close.size(),
                 runs, longest);
    return 0;
}

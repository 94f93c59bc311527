// Writes the all-against-all pair list of N genomes as fastANI prints it:
// query, reference, ANI in percent with 4 decimals, mapped and total
// fragments, one line per ordered pair (self pairs included), the two
// directions of a pair with slightly different values.
//   generate_pairs N SEED OUT
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    const long n = std::atol(argv[1]);
    std::mt19937 random(static_cast<unsigned>(std::atol(argv[2])));
    FILE* out = std::fopen(argv[3], "wb");
    if (!out) return 1;
    std::vector<char> buffer(1 << 22);
    std::setvbuf(out, buffer.data(), _IOFBF, buffer.size());
    std::uniform_int_distribution<int> jitter(-300, 300);
    // ANI from 75.0000 to 99.9999; the second direction of a pair near the first.
    for (long q = 0; q < n; ++q) {
        for (long r = 0; r < n; ++r) {
            int value;
            if (q == r) {
                value = 1000000;
            } else {
                // One value per unordered pair, from a hash of the pair.
                std::uint64_t h = static_cast<std::uint64_t>(std::min(q, r)) * 0x9E3779B97F4A7C15ull ^
                                  static_cast<std::uint64_t>(std::max(q, r)) * 0xC2B2AE3D27D4EB4Full;
                h ^= h >> 31;
                h *= 0xBF58476D1CE4E5B9ull;
                h ^= h >> 29;
                value = 750000 + static_cast<int>(h % 250000) + (q < r ? 0 : jitter(random));
                value = std::min(value, 999999);
            }
            std::fprintf(out, "genomes/GCA_%09ld.1.fna\tgenomes/GCA_%09ld.1.fna\t%d.%04d\t%d\t%d\n", q, r,
                         value / 10000, value % 10000, 1200 + static_cast<int>(r % 300), 1600);
        }
    }
    return std::fclose(out) == 0 ? 0 : 1;
}

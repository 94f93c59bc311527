// The floor of every run: read a whole extended PHYLIP file into memory and
// parse every number in it with std::from_chars, nothing else.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    FILE* file = std::fopen(argv[1], "rb");
    if (!file) return 1;
    std::fseek(file, 0, SEEK_END);
    std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::fseek(file, 0, SEEK_SET);
    if (std::fread(text.data(), 1, text.size(), file) != text.size()) return 1;
    std::fclose(file);
    const char* p = text.data();
    const char* end = p + text.size();
    std::size_t n = std::strtoul(p, nullptr, 10);
    std::vector<double> values(n * n);
    std::size_t k = 0;
    p = static_cast<const char*>(std::memchr(p, '\n', end - p)) + 1;
    for (std::size_t i = 0; i < n; ++i) {
        while (*p != ' ') ++p;  // the label
        for (std::size_t j = 0; j < n; ++j) {
            while (*p == ' ' || *p == '\n') ++p;
            p = std::from_chars(p, end, values[k++]).ptr;
        }
    }
    double sum = 0;
    for (double v : values) sum += v;
    std::printf("%zu %g\n", k, sum);
    return 0;
}

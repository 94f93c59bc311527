// The floor of tarvix-matrix: read a fastANI pair list in large blocks and
// parse every number of every line (ANI, mapped and total fragments) with
// std::from_chars, nothing else.
#include <fcntl.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const int fd = ::open(argv[1], O_RDONLY);
    if (fd < 0) return 1;
    std::vector<char> buffer(std::size_t{8} << 20);
    std::size_t held = 0;
    double sum = 0;
    std::size_t lines = 0;
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data() + held, buffer.size() - held);
        if (got < 0) return 1;
        held += static_cast<std::size_t>(got);
        const char* p = buffer.data();
        const char* end = p + held;
        for (;;) {
            const char* newline = static_cast<const char*>(std::memchr(p, '\n', end - p));
            if (!newline) break;
            const char* field = static_cast<const char*>(std::memchr(p, '\t', newline - p)) + 1;
            field = static_cast<const char*>(std::memchr(field, '\t', newline - field)) + 1;
            for (int k = 0; k < 3; ++k) {
                double value = 0;
                field = std::from_chars(field, newline, value).ptr + 1;
                sum += value;
            }
            ++lines;
            p = newline + 1;
        }
        held = static_cast<std::size_t>(end - p);
        std::memmove(buffer.data(), p, held);
        if (got == 0) break;
    }
    std::printf("%zu lines, sum %g\n", lines, sum);
    return 0;
}

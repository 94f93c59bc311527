#include "ordered_pipeline.hpp"

#include <charconv>
#include <cstdlib>
#include <cstring>

namespace tarvix::matrix {

unsigned worker_count() {
    unsigned count = std::thread::hardware_concurrency();
    if (const char* setting = std::getenv("OMP_NUM_THREADS")) {
        unsigned asked = 0;
        const char* end = setting + std::strlen(setting);
        const auto parsed = std::from_chars(setting, end, asked);
        if (parsed.ec == std::errc() && parsed.ptr == end && asked > 0) count = asked;
    }
    if (count == 0) count = 1;
    return count < 4 ? count : 4;
}

}  // namespace tarvix::matrix

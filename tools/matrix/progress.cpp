#include "progress.hpp"

#include <unistd.h>

#include <cstdio>

namespace tarvix::matrix {

void Progress::update(const std::string& what, std::size_t bytes, std::size_t lines) {
    if (!enabled_) return;
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && now - last_ < std::chrono::milliseconds(500)) return;
    last_ = now;
    char text[512];
    const int n = std::snprintf(text, sizeof text, "\r\033[Ktarvix-matrix: reading %.300s: %zu MB, %zu lines",
                                what.c_str(), bytes >> 20, lines);
    if (n > 0 && ::write(2, text, static_cast<std::size_t>(n) < sizeof text ? n : sizeof text - 1) > 0) shown_ = true;
}

void Progress::finish() {
    if (!shown_) return;
    shown_ = false;
    static const char erase[] = "\r\033[K";
    if (::write(2, erase, sizeof erase - 1) < 0) return;
}

}  // namespace tarvix::matrix

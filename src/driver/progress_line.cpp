#include "driver/progress_line.hpp"

#include <unistd.h>

#include <cstdio>

#include "phylo/number_images.hpp"

namespace tarvix {

ProgressLine::ProgressLine(std::string step)
    : step_(std::move(step)), at_terminal_(isatty(STDERR_FILENO) == 1), last_(std::chrono::steady_clock::now()) {}

ProgressLine::~ProgressLine() { erase(); }

void ProgressLine::erase() {
    if (!drawn_) return;
    std::fputs("\r\033[K", stderr);
    drawn_ = false;
}

void ProgressLine::show(std::size_t done, std::size_t total) {
    if (!at_terminal_ || total == 0) return;
    const std::size_t share = done >= total ? 100 : static_cast<std::size_t>(100.0 * done / total);
    show_text(phylo::decimal(share) + "%");
}

void ProgressLine::show_text(const std::string& text, bool final) {
    if (!at_terminal_) return;
    // A terminal needs no more than ten updates a second, and a step done
    // within the first tenth of a second needs no line at all.
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::milliseconds(100) && (!drawn_ || !final)) return;
    last_ = now;
    drawn_ = true;
    const std::string line = "\r\033[K" + step_ + ": " + text;
    std::fputs(line.c_str(), stderr);
}

}  // namespace tarvix

// One line on standard error that tells how far a long step has come, when
// standard error is a terminal (nothing otherwise): redrawn at most ten times
// a second, erased when the step ends, also when it ends in a failure, so
// that the failure's line stands alone.
#pragma once

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace tarvix {

class ProgressLine {
public:
    ProgressLine() : at_terminal_(isatty(STDERR_FILENO) == 1) {}
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;
    ~ProgressLine() { erase(); }

    bool at_terminal() const noexcept { return at_terminal_; }

    // Draws text unless the last drawing is less than a tenth of a second
    // old; a final text is always drawn.
    void show(const std::string& text, bool final = false) {
        if (!at_terminal_) return;
        const auto now = std::chrono::steady_clock::now();
        if (drawn_ && !final && now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        drawn_ = true;
        std::fputs(("\r\033[K" + text).c_str(), stderr);
        std::fflush(stderr);
    }

    void erase() {
        if (!drawn_) return;
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        drawn_ = false;
    }

private:
    bool at_terminal_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point last_{};
};

}  // namespace tarvix

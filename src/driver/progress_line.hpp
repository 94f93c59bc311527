// One progress line on standard error for a long step ("reading m.dst: 37%",
// "jackknife: 12 of 100 replicates"), drawn only when standard error is a
// terminal, first after a tenth of a second, redrawn at most ten times a
// second, and erased when the step ends, also when it ends in a failure, so
// that the failure's line stands alone. The library only reports counts;
// this is the one place that draws.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace tarvix {

class ProgressLine {
public:
    explicit ProgressLine(std::string step);
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;
    ~ProgressLine();

    // False when standard error is no terminal: then nothing is ever drawn.
    bool active() const noexcept { return at_terminal_; }

    // "STEP: 37%" (the share of total done).
    void show(std::size_t done, std::size_t total);
    // "STEP: TEXT"; a final update is drawn however recent the last one was.
    void show_text(const std::string& text, bool final = false);
    // Erases the line now, when the step is over before the object ends.
    void erase();

private:
    std::string step_;
    bool at_terminal_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point last_;  // of the last drawing, or the start
};

}  // namespace tarvix

// One progress line on standard error while a large input is read, only when
// standard error is a terminal, rewritten in place at most twice a second and
// erased at the end.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace tarvix::matrix {

class Progress {
public:
    // Shows nothing unless `enabled` (the caller checks for a terminal).
    explicit Progress(bool enabled) : enabled_(enabled) {}
    ~Progress() { finish(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void update(const std::string& what, std::size_t bytes, std::size_t lines);
    // Erases the line, if one is shown.
    void finish();

private:
    bool enabled_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point last_{};
};

}  // namespace tarvix::matrix

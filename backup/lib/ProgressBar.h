#pragma once
// One progress line per drive on a terminal: a bar, the items done of their
// total and the elapsed seconds, redrawn in place and ended with a line
// break. Off (nothing written) when the output is not a terminal.
#include <chrono>
#include <cstdio>
#include <string>

namespace backup {

class ProgressBar {
public:
    ProgressBar(std::FILE* out, bool enabled) : out_(out), enabled_(enabled) {}
    // A new bar with its label ("05 Pump 2").
    void begin(const std::string& label);
    void update(int done, int total);
    // Ends the bar's line.
    void end();
    // The bar's text for the given state (without the carriage return).
    static std::string render(const std::string& label, int done, int total, long seconds);

private:
    std::FILE* out_;
    bool enabled_;
    bool open_ = false;
    std::string label_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace backup

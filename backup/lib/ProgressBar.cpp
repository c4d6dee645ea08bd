#include <backup/lib/ProgressBar.h>

#include <algorithm>

namespace backup {

namespace {
constexpr int kWidth = 30;
constexpr auto kRedraw = std::chrono::milliseconds(100);
}  // namespace

std::string ProgressBar::render(const std::string& label, int done, int total, long seconds)
{
    const int filled = total > 0 ? std::clamp(done, 0, total) * kWidth / total : 0;
    char counts[64];
    std::snprintf(counts, sizeof counts, " %d/%d  %lds", done, total, seconds);
    return label + " [" + std::string(static_cast<size_t>(filled), '#') +
           std::string(static_cast<size_t>(kWidth - filled), '.') + "]" + counts;
}

void ProgressBar::begin(const std::string& label)
{
    end();
    label_ = label;
    start_ = std::chrono::steady_clock::now();
    lastDraw_ = {};
    open_ = enabled_;
}

void ProgressBar::update(int done, int total)
{
    if (!open_) return;
    const auto now = std::chrono::steady_clock::now();
    if (done < total && now - lastDraw_ < kRedraw) return;
    lastDraw_ = now;
    const long seconds = std::chrono::duration_cast<std::chrono::seconds>(now - start_).count();
    std::fprintf(out_, "\r%s\033[K", render(label_, done, total, seconds).c_str());
    std::fflush(out_);
}

void ProgressBar::end()
{
    if (!open_) return;
    std::fputc('\n', out_);
    std::fflush(out_);
    open_ = false;
}

}  // namespace backup

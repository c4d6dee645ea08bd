#include <kestrel/core/KestrelState.h>

namespace kestrel {

DebugLog::~DebugLog() { close(); }

bool DebugLog::open(const std::string& path)
{
    close();
    file_ = std::fopen(path.c_str(), "wb");
    return file_ != nullptr;
}

DebugLog::DebugLog(DebugLog&& other) noexcept : file_(other.file_) { other.file_ = nullptr; }

DebugLog& DebugLog::operator=(DebugLog&& other) noexcept
{
    if (this != &other) {
        close();
        file_ = other.file_;
        other.file_ = nullptr;
    }
    return *this;
}

void DebugLog::close()
{
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

void DebugLog::line(const std::string& text)
{
    if (file_ == nullptr)
        return;
    // A log that cannot be written must not stop the exchange it records.
    if (std::fwrite(text.data(), 1, text.size(), file_) == text.size()
        && std::fwrite("\r\n", 1, 2, file_) == 2)
        std::fflush(file_);
}

void KestrelState::reset() { *this = KestrelState{}; }

void KestrelState::logLine(const std::string& text)
{
    if (settings.debug)
        log.line(text);
}

KestrelState& state()
{
    static KestrelState instance;
    return instance;
}

}  // namespace kestrel

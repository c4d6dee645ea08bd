#pragma once
// What a device port keeps between calls and hands out to any thread: the
// line settings the line last took, the read time-outs and the text of the
// last problem. Each port applies settings to its line in its own way and
// stores them here once the line has taken them.
#include <platform/SerialPort.h>

#include <mutex>
#include <string>

namespace platform {

class LinePortState : public SerialPort {
public:
    SerialSettings settings() const override;
    SerialResult setTimeouts(const CommTimeouts& timeouts) override;
    CommTimeouts timeouts() const override;
    std::string problem() const override;

protected:
    void storeSettings(const SerialSettings& settings);
    void setProblem(std::string text);

private:
    mutable std::mutex lock_;
    SerialSettings settings_;
    CommTimeouts timeouts_;
    std::string problem_;
};

}  // namespace platform

#pragma once
// The message seam without a person in front of it: whatever the cores
// would show in a box is collected, so the tool can report it on stderr
// next to the drive it concerns. Questions are answered No: nothing goes
// on half-done without someone having agreed to it.
#include <platform/MessageBox.h>
#include <platform/Notice.h>

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace backup {

class MessageCollector {
public:
    MessageCollector();
    ~MessageCollector();
    MessageCollector(const MessageCollector&) = delete;
    MessageCollector& operator=(const MessageCollector&) = delete;

    // Everything shown since the last call, one message a line (line breaks
    // inside a message become spaces).
    std::string take();
    void add(const platform::Notice& notice);
    void add(const std::vector<platform::Notice>& notices);
    void add(const std::optional<platform::Notice>& notice);

private:
    std::mutex mutex_;
    std::vector<std::string> texts_;
    platform::MessageHandler previous_;
};

}  // namespace backup

#pragma once
// Two pseudo-terminals joined like a null-modem cable: what a program writes
// to one path the other path reads. Lets two programs that each open a serial
// device talk (our master and an independent slave).
#include <platform/PseudoTerminal.h>

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

namespace tern {

class PtyBridge {
public:
    bool open(std::string& error) {
        if (!one_.open(error) || !two_.open(error)) return false;
        thread_ = std::thread([this] { relay(); });
        return true;
    }
    ~PtyBridge() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    const std::string& pathA() const { return one_.slavePath(); }
    const std::string& pathB() const { return two_.slavePath(); }

private:
    void relay() {
        pollfd fds[2] = {{one_.masterFd(), POLLIN, 0}, {two_.masterFd(), POLLIN, 0}};
        unsigned char buffer[512];
        while (!stop_) {
            if (::poll(fds, 2, 20) <= 0) continue;
            for (int i = 0; i < 2; ++i) {
                if ((fds[i].revents & POLLIN) == 0) continue;
                const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
                if (n > 0 && ::write(fds[1 - i].fd, buffer, static_cast<size_t>(n)) != n) return;
            }
        }
    }

    platform::PseudoTerminal one_;
    platform::PseudoTerminal two_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace tern

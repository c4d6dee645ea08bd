#pragma once
// Stands in for the text viewer while it lives: records every start and
// answers with result (above 31 a started program, 2 a missing one).
#include <platform/ProcessLauncher.h>

#include <vector>

namespace merlin::testing {

struct LaunchRecorder {
    LaunchRecorder()
    {
        previous = platform::setLaunchHandler([this](const platform::LaunchRequest& request) {
            launched.push_back(request);
            return result;
        });
    }
    ~LaunchRecorder() { platform::setLaunchHandler(previous); }
    LaunchRecorder(const LaunchRecorder&) = delete;
    LaunchRecorder& operator=(const LaunchRecorder&) = delete;

    std::vector<platform::LaunchRequest> launched;
    int result = platform::kLaunchOk;
    platform::LaunchHandler previous;
};

}  // namespace merlin::testing

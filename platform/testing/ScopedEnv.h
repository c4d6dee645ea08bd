#pragma once
// Sets (or, with nullptr, removes) one environment variable for its
// lifetime and puts back what was there before.
#include <optional>
#include <string>

namespace platform::testing {

class ScopedEnv {
public:
    ScopedEnv(const std::string& name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
private:
    std::string name_;
    std::optional<std::string> previous_;
};

}  // namespace platform::testing

#include <platform/testing/ScopedEnv.h>

#include <cstdlib>

namespace platform::testing {

ScopedEnv::ScopedEnv(const std::string& name, const char* value) : name_(name)
{
    if (const char* p = std::getenv(name.c_str())) previous_ = p;
    if (value) setenv(name.c_str(), value, 1);
    else unsetenv(name.c_str());
}

ScopedEnv::~ScopedEnv()
{
    if (previous_) setenv(name_.c_str(), previous_->c_str(), 1);
    else unsetenv(name_.c_str());
}

}  // namespace platform::testing

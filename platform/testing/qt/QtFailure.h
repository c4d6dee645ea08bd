#pragma once
// The failure sink of the scripted answerers in Qt Test: a failure of the
// running test function, with the answerer's own words.
#include <functional>
#include <string>

namespace platform::testing {

std::function<void(const std::string&)> qtFailure();

}  // namespace platform::testing

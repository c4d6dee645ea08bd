#include <platform/testing/qt/QtFailure.h>

#include <QTest>

namespace platform::testing {

std::function<void(const std::string&)> qtFailure()
{
    return [](const std::string& what) { QTest::qFail(what.c_str(), __FILE__, __LINE__); };
}

}  // namespace platform::testing

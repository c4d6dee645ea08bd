#pragma once
// The demo's walk through Kestrel: with AVIARY_DEMO_TOUR naming a directory,
// the program passes the start-up dialog, sets the port in the communication
// dialog, shows its main frame with two menus open, the program parameters
// and the About box, saves a picture of each in that directory, and closes.
// "<program>.done" in the directory tells the demo script it has finished.
#include <platform/qt/ScreenTour.h>

#include <memory>

namespace kestrel {

class DemoTour {
public:
    // nullptr when no tour was asked for.
    static std::unique_ptr<DemoTour> fromEnvironment(const char* program);
    explicit DemoTour(const QString& directory, const QString& program);
    ~DemoTour();

private:
    std::unique_ptr<platform::qt::ScreenTour> tour_;
};

}  // namespace kestrel

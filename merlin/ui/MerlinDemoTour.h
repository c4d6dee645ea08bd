#pragma once
// The demo's walk through Merlin: with AVIARY_DEMO_TOUR naming a directory,
// the program passes the start-up dialogs, checks the network, saves the
// network dialog, connects to the first drive, saves the parameter view
// online once it has scanned a while, runs the tools, shows the Bus
// Monitor, and closes. "merlin.done" in the
// directory tells the demo script it has finished.
#include <platform/qt/ScreenTour.h>

#include <memory>

namespace merlin {

class MerlinDemoTour {
public:
    // nullptr when no tour was asked for.
    static std::unique_ptr<MerlinDemoTour> fromEnvironment();
    explicit MerlinDemoTour(const QString& directory);
    ~MerlinDemoTour();

private:
    std::unique_ptr<platform::qt::ScreenTour> tour_;
};

}  // namespace merlin

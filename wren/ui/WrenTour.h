#pragma once
// The demo's walk through Wren (AVIARY_DEMO_TOUR names the picture
// directory): the selector, the left picture framed under the pointer, then
// a click on it, which starts Kestrel.
#include <platform/qt/ScreenTour.h>

#include <memory>

namespace wren {

std::unique_ptr<platform::qt::ScreenTour> tourFromEnvironment();

}  // namespace wren

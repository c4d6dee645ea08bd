#pragma once
// The grid control every Merlin table is shown in.
#include <shell/CMSHFlexGrid.h>

namespace merlin::ui {
using Grid = shell::CMSHFlexGrid;
}  // namespace merlin::ui

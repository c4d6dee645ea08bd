#pragma once
// The grid control every Merlin table is shown in.
#include <kestrel/shell/CMSHFlexGrid.h>

namespace merlin::ui {
using Grid = kestrel::CMSHFlexGrid;
}  // namespace merlin::ui

#pragma once
// Columns of a grid at their given widths, widened where a text would be
// cut; returns the width (pixels) the grid needs to show them all.
namespace shell {
class CMSHFlexGrid;
}

namespace kestrel {

int fitColumns(shell::CMSHFlexGrid& grid);

}  // namespace kestrel

#include <kestrel/ui/GridFit.h>

#include <shell/CMSHFlexGrid.h>

#include <QHeaderView>

#include <algorithm>

namespace kestrel {

int fitColumns(shell::CMSHFlexGrid& grid)
{
    int total = grid.verticalHeader()->isVisible() ? grid.verticalHeader()->width() : 0;
    for (int c = 0; c < grid.cols(); ++c) {
        const int given = grid.columnWidth(c);
        grid.resizeColumnToContents(c);
        grid.setColumnWidth(c, std::max(given, grid.columnWidth(c)));
        total += grid.columnWidth(c);
    }
    return total + 2 * grid.frameWidth() + 4;
}

}  // namespace kestrel

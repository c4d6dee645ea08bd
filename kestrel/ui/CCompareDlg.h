#pragma once
// "Compare Results - Differences": both paths, the version, the legend and
// one grid row per parameter whose values differ. Modal; OK closes it.
#include <kestrel/core/FileCompare.h>

#include <QDialog>

namespace shell {
class CMSHFlexGrid;
}

namespace kestrel {

class CCompareDlg : public QDialog {
    Q_OBJECT
public:
    explicit CCompareDlg(const CompareResult& result, QWidget* parent = nullptr);
    shell::CMSHFlexGrid* grid() const { return grid_; }

private:
    void markRow(int row);

    shell::CMSHFlexGrid* grid_ = nullptr;
};

}  // namespace kestrel

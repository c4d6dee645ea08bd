#pragma once
// "Parameter Set Conflict": which of the drive's three parameter sets a
// list goes into when the list's set is not the drive's active one.
#include <QDialog>

#include <string>

class QRadioButton;

namespace kestrel {

class CParamSetDlg : public QDialog {
    Q_OBJECT
public:
    CParamSetDlg(const std::string& conflictText, int listSet, QWidget* parent = nullptr);
    // 1..3 after OK.
    int chosenSet() const;
    void choose(int set);

private:
    QRadioButton* sets_[3] = {};
};

// The chosen set, or 0 for Cancel.
int askParameterSet(const std::string& conflictText, int listSet, QWidget* parent);

}  // namespace kestrel

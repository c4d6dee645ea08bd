#pragma once
// The help viewer's windows: the "Parameter Help" and list dialogs.
#include <shell/HelpViewer.h>

class QWidget;

namespace shell {

class QtHelpUi : public HelpUi {
public:
    explicit QtHelpUi(QWidget* parent) : parent_(parent) {}
    bool askReaderPath(std::string& readerPath) override;
    std::optional<std::string> chooseFromList(const SelectList& list, const std::string& hint) override;

private:
    QWidget* parent_;
};

}  // namespace shell

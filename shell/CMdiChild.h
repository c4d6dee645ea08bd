#pragma once
// The base of a program's child windows (parameter lists, keypads, ...): a
// widget the frame puts in its MDI area that answers commands while it is
// the active one. Derived windows override what they handle; everything else
// falls through to the frame's handlers.
#include <shell/CommandTarget.h>

#include <QWidget>

namespace shell {

class CMdiChild : public QWidget, public CommandTarget {
    Q_OBJECT
public:
    explicit CMdiChild(QWidget* parent = nullptr) : QWidget(parent) {}
    bool onCommand(int /*id*/) override { return false; }
    std::optional<bool> commandEnabled(int /*id*/) const override { return std::nullopt; }
};

}  // namespace shell

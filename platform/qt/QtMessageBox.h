#pragma once
// The message seam shown as a QMessageBox. The owner is asked for at every
// message, so a box always sits over the window that is in front right now
// (a modal dialog when one is open, else the main window).
#include <platform/MessageBox.h>

#include <functional>

class QWidget;

namespace platform::qt {

using OwnerProvider = std::function<QWidget*()>;

// The window a message should belong to: the active modal dialog, else the
// active window, else nullptr.
QWidget* frontWindow();

// Installs the QMessageBox handler; returns the previous handler.
MessageHandler installMessageBoxHandler(OwnerProvider owner = frontWindow);

// One message shown as a box (the handler's work; public for the demo tour).
MsgAnswer execMessageBox(QWidget* owner, const MessageRequest& request);

}  // namespace platform::qt

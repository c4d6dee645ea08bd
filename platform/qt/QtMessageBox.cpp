#include <platform/qt/QtMessageBox.h>

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

namespace platform::qt {

namespace {

QMessageBox::Icon boxIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::None: return QMessageBox::NoIcon;
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Stop: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons boxButtons(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok: return QMessageBox::Ok;
    case MsgButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    case MsgButtons::AbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

MsgAnswer answerOf(int button, MsgButtons buttons)
{
    switch (button) {
    case QMessageBox::Ok: return MsgAnswer::Ok;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    case QMessageBox::Abort: return MsgAnswer::Abort;
    case QMessageBox::Retry: return MsgAnswer::Retry;
    case QMessageBox::Ignore: return MsgAnswer::Ignore;
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    default: break;
    }
    // Closed by the window manager: what Escape would have answered.
    switch (buttons) {
    case MsgButtons::Ok: return MsgAnswer::Ok;
    case MsgButtons::YesNo: return MsgAnswer::No;
    case MsgButtons::AbortRetryIgnore: return MsgAnswer::Abort;
    default: return MsgAnswer::Cancel;
    }
}

}  // namespace

QWidget* frontWindow()
{
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

MsgAnswer execMessageBox(QWidget* owner, const MessageRequest& request)
{
    QMessageBox box(boxIcon(request.icon), QString::fromStdString(request.caption),
                    QString::fromStdString(request.text), boxButtons(request.buttons), owner);
    box.setObjectName("messageBox");
    return answerOf(box.exec(), request.buttons);
}

MessageHandler installMessageBoxHandler(OwnerProvider owner)
{
    return setMessageHandler([owner = std::move(owner)](const MessageRequest& request) {
        return execMessageBox(owner ? owner() : nullptr, request);
    });
}

}  // namespace platform::qt

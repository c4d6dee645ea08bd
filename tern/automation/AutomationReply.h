#pragma once
// How a call's HRESULT crosses the bus. Success is an ordinary method return
// with the out-values. A failing call is the error reply
// org.aviary.Tern.AutomationError with the arguments
//   s description, i HRESULT, s source, s interface GUID, s help file
// so a tool that only shows the error message shows the description.
#include <tern/automation/ErrorInfo.h>
#include <tern/automation/OleTypes.h>

#include <QDBusMessage>

namespace tern {

QDBusMessage automationErrorReply(const QDBusMessage& call, HRESULT hr, const ErrorInfo& info);

// The HRESULT a reply stands for: S_OK for a method return, the carried
// HRESULT and error information for an automation error, and for the bus's
// own errors the HRESULT a remote call gets from the same cause (no server,
// object gone, no reply, ...), with the bus's message as description.
HRESULT replyResult(const QDBusMessage& reply, ErrorInfo* info = nullptr);

}  // namespace tern

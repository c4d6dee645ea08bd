#pragma once
// Turns a D-Bus call of an IModBusLink member into the CModBusLink call and
// its result into the reply: the out-values, or the automation error reply
// with the HRESULT and the thread's error information.
#include <tern/server/CModBusLink.h>

#include <QDBusMessage>
#include <QString>

namespace tern::server {

class ModBusLinkDispatch {
public:
    using Handler = QDBusMessage (*)(CModBusLink& link, const QDBusMessage& call);
    struct Entry {
        Handler handler = nullptr;
        // Talks on the line: runs on the connection's call queue, never on
        // the bus thread.
        bool usesLine = false;
        QString inSignature;
    };

    // Null for a name that is not a member.
    static const Entry* find(const QString& busName);
    // Runs the member (the call's signature already checked).
    static QDBusMessage invoke(const Entry& entry, CModBusLink& link, const QDBusMessage& call);
};

}  // namespace tern::server

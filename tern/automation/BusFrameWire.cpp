#include <tern/automation/BusFrameWire.h>

#include <QDBusMetaType>

namespace tern {

void registerBusFrameWireTypes()
{
    static const bool once = [] {
        qDBusRegisterMetaType<BusFrame>();
        qDBusRegisterMetaType<BusFrameList>();
        return true;
    }();
    (void)once;
}

QDBusArgument& operator<<(QDBusArgument& arg, const BusFrame& f)
{
    arg.beginStructure();
    arg << f.sequence << f.exchange << f.timeUs << f.gapUs << f.direction << f.outcome << f.ascii << f.bytes;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, BusFrame& f)
{
    arg.beginStructure();
    arg >> f.sequence >> f.exchange >> f.timeUs >> f.gapUs >> f.direction >> f.outcome >> f.ascii >> f.bytes;
    arg.endStructure();
    return arg;
}

}  // namespace tern

#pragma once
// The D-Bus form of the bus monitor's frames, shared by Tern and its
// clients. Interface org.aviary.Tern.IBusMonitor on every ModBusLink object
// whose connection is a serial line:
//
//   FramesSince(t sequence) -> (t last, a(ttxxyyb ay) frames)
//       frames after that sequence number, oldest first, at most 1000 per
//       call: (sequence, exchange, monotonic time µs, gap before it µs,
//       direction 0 request / 1 response, outcome 0 sent, 1 reply,
//       2 exception, 3 checksum error, 4 time-out, 5 framing error, ASCII
//       framing, wire bytes); last is the newest sequence number there is.
//   StartCapture(s path) -> (b ok, s error)   every frame from now on into a pcapng file
//   StopCapture() -> (b ok, s error)
//   SaveCapture(s path) -> (b ok, s error)    the frames kept so far into a pcapng file
#include <QDBusArgument>
#include <QList>
#include <QMetaType>

#include <cstdint>

namespace tern {

struct BusFrame {
    quint64 sequence = 0;
    quint64 exchange = 0;
    qint64 timeUs = 0;
    qint64 gapUs = 0;
    uchar direction = 0;
    uchar outcome = 0;
    bool ascii = false;
    QByteArray bytes;
};
using BusFrameList = QList<BusFrame>;

// Registers the D-Bus types of this file; safe to call any number of times.
void registerBusFrameWireTypes();

QDBusArgument& operator<<(QDBusArgument& arg, const BusFrame& f);
const QDBusArgument& operator>>(const QDBusArgument& arg, BusFrame& f);

}  // namespace tern

Q_DECLARE_METATYPE(tern::BusFrame)
Q_DECLARE_METATYPE(tern::BusFrameList)

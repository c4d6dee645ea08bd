#pragma once
// A client of Tern's bus monitor (org.aviary.Tern.IBusMonitor): a link
// object of its own on a named serial connection, whose frames it reads and
// whose capture files it starts, stops and saves. Opening the connection
// does not touch the port; it keeps the connection (and its monitor) alive
// while this object lives.
#include <tern/client/ModBusLinkClient.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tern {

struct MonitoredFrame {
    uint64_t sequence = 0, exchange = 0;
    int64_t timeUs = 0, gapUs = 0;
    uint8_t direction = 0, outcome = 0;
    bool ascii = false;
    std::vector<uint8_t> bytes;
};

class BusMonitorClient {
public:
    explicit BusMonitorClient(std::string connection = "XYZ", QDBusConnection bus = QDBusConnection::sessionBus());
    ~BusMonitorClient();
    BusMonitorClient(const BusMonitorClient&) = delete;
    BusMonitorClient& operator=(const BusMonitorClient&) = delete;

    // False with the reason when the link server cannot be had or refuses.
    bool framesSince(uint64_t sequence, std::vector<MonitoredFrame>& frames, std::string& error);
    bool startCapture(const std::string& path, std::string& error);
    bool stopCapture(std::string& error);
    bool saveCapture(const std::string& path, std::string& error);

private:
    bool attach(std::string& error);
    bool outcome(const char* member, const QVariantList& args, std::string& error);

    std::string connection_;
    QDBusConnection bus_;
    ModBusLinkClient link_;
    bool attached_ = false;
};

}  // namespace tern

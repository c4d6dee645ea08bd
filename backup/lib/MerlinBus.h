#pragma once
// The Modbus line of Merlin drives (stations 1..32) through the Tern link
// server, with Merlin's network examination, bulk transfer and compare.
// Each drive's parameters come from the definition file its identification
// registers name, in DeviceData of the installation.
#include <backup/lib/DriveBus.h>
#include <backup/lib/MessageCollector.h>
#include <backup/lib/RunFolder.h>

#include <merlin/core/CBulkTransfer.h>
#include <merlin/core/CDpfParSet.h>
#include <merlin/link/CTernLink.h>
#include <tern/client/ModBusLinkClient.h>

#include <tern/client/BusMonitorClient.h>

#include <memory>
#include <optional>
#include <string>

namespace backup {

class MerlinBus : public DriveBus {
public:
    // password: written to the drive's password register when a restore
    // finds parameter writes refused.
    MerlinBus(const std::string& installDir, const merlin::LinkSettings& settings,
              std::optional<uint16_t> password = std::nullopt);
    ~MerlinBus() override;

    // The line as files and messages name it; before linked().
    void setLineName(const std::string& name) { lineName_ = name; }
    // Opens this run's own connection of the link server and holds the line
    // with it for the whole run. False (after "Unable to Start Link Server")
    // when Tern cannot be had, or when another program has the line.
    bool linked(std::string& error);

    std::string family() const override { return "merlin"; }
    std::string lineName() const override { return lineName_; }
    int firstAddress() const override { return 1; }
    int lastAddress() const override { return 32; }
    bool scan(std::vector<FoundDrive>& found, const ProgressFn& progress, std::string& error) override;
    bool identify(int address, FoundDrive& drive, std::string& error) override;
    bool backup(const FoundDrive& drive, const std::string& path, const ProgressFn& progress,
                std::string& error) override;
    bool diff(int address, const std::string& path, std::vector<ValueDifference>& differences,
              const ProgressFn& progress, std::string& error) override;
    bool restore(int address, const std::string& path, bool force, const ProgressFn& progress,
                 std::string& error) override;
    bool startCapture(const std::string& path, std::string& error) override;
    bool stopCapture(std::string& error) override;

private:
    struct Identity {
        uint32_t deviceType = 0, application = 0, version = 0;
    };
    bool readIdentity(int station, Identity& id, std::string& error);
    // The drive's own definition, loaded into set.
    bool loadDriveDefinition(int station, merlin::CDpfParSet& set, std::string& error);
    bool loadFile(const std::string& path, merlin::CDpfParSet& set, std::string& error);
    bool transfer(merlin::TransferDirection direction, int station, merlin::CDpfParSet& set,
                  const ProgressFn& progress, std::string& error);
    std::string failure(const std::string& fallback);
    bool holdLine(std::string& error);

    std::string installDir_;
    merlin::LinkSettings settings_;
    std::string lineName_;
    std::string connectionName_;
    RunFolder folder_;
    std::optional<uint16_t> password_;
    std::optional<std::pair<int, Identity>> identified_;
    MessageCollector messages_;
    merlin::CTernLink link_;
    std::unique_ptr<tern::BusMonitorClient> capture_;
    // A second reference to the run's connection: the link server keeps a
    // connection's port open only while someone references it, and the
    // network examination lets go of its link at the end.
    tern::ModBusLinkClient keeper_;
};

}  // namespace backup

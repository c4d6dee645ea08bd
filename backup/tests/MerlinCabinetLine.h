#pragma once
// A Modbus drive in a far cabinet for aviary-backup: the simulator sits
// behind a real ser2net on loopback, as behind a serial device server, and
// COM3 leads to the server. The link server reaches it like any other line.
#include <backup/tests/BackupTesting.h>

#include <sim/modbusdrive/MerlinDriveLoader.h>
#include <sim/modbusdrive/MerlinDriveModel.h>
#include <sim/modbus/ModbusSlaveRunner.h>

#include <platform/PortMap.h>
#include <platform/testing/Ser2netServer.h>
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace backup::testing {

class MerlinCabinetLine {
public:
    static constexpr int kCom = 3;

    // Starts drive 2 behind ser2net; false (with why) when that fails.
    bool start(platform::testing::Ser2netServer::Kind kind, std::string& error)
    {
        std::filesystem::create_directory_symlink(tern::testkit::binDir() + "/DeviceData",
                                                  install_.path() + "/DeviceData");
        auto drive = sim::loadDrive(sim::defaultDefinitionDirectory(), "LM3_Normal_V3.dpf", 0, error);
        if (!drive) return false;
        model_.addDrive(2, std::move(drive));
        if (!runner_.startPty(error)) return false;
        // ser2net starts the line at 19200 for the raw bridge: nobody sets it.
        server_ = std::make_unique<platform::testing::Ser2netServer>(runner_.ptyPath(), kind, "19200n81");
        if (!server_->ok()) {
            error = server_->error();
            return false;
        }
        if (!platform::setComPortDevice(kCom, server_->url())) {
            error = "COM3 cannot be mapped to " + server_->url();
            return false;
        }
        return true;
    }

    // aviary-backup's arguments for this line, with the reply time-out in ms.
    std::vector<std::string> args(const std::string& timeoutMs, std::vector<std::string> command) const
    {
        std::vector<std::string> a{"--family", "merlin", "--port", "COM3", "--install", install_.path(), "--dir",
                                   out_.path(), "--timeout", timeoutMs, "--delay", "1", "--retries", "1"};
        a.insert(a.end(), command.begin(), command.end());
        return a;
    }
    const std::string& outDir() const { return out_.path(); }

private:
    platform::testing::TempDir install_, out_;
    sim::MerlinDriveModel model_;
    sim::ModbusSlaveRunner runner_{model_, {}};
    std::unique_ptr<platform::testing::Ser2netServer> server_;
};

}  // namespace backup::testing

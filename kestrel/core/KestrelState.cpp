#include <kestrel/core/KestrelState.h>

namespace kestrel {

DebugLog::~DebugLog() { close(); }

bool DebugLog::open(const std::string& path)
{
    close();
    file_ = std::fopen(path.c_str(), "wb");
    return file_ != nullptr;
}

void DebugLog::close()
{
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

void DebugLog::line(const std::string& text)
{
    if (file_ == nullptr)
        return;
    // A log that cannot be written must not stop the exchange it records.
    if (std::fwrite(text.data(), 1, text.size(), file_) == text.size()
        && std::fwrite("\r\n", 1, 2, file_) == 2)
        std::fflush(file_);
}

void KestrelState::reset()
{
    log.close();
    KestrelState fresh;
    installDir = fresh.installDir;
    currentAddress = fresh.currentAddress;
    port = fresh.port;
    windowPresence = fresh.windowPresence;
    deviceStatus = fresh.deviceStatus;
    operationInProgress = fresh.operationInProgress;
    noDevice = fresh.noDevice;
    portTestResult = fresh.portTestResult;
    settings = fresh.settings;
    databaseFileName = fresh.databaseFileName;
    listFileName = fresh.listFileName;
    deviceTitle = fresh.deviceTitle;
    uploadDirection = fresh.uploadDirection;
    chosenParameterSet = fresh.chosenParameterSet;
    closeAction = fresh.closeAction;
    closeMessage = fresh.closeMessage;
    faults = fresh.faults;
    formatResult = fresh.formatResult;
}

void KestrelState::logLine(const std::string& text)
{
    if (settings.debug)
        log.line(text);
}

KestrelState& state()
{
    static KestrelState instance;
    return instance;
}

}  // namespace kestrel

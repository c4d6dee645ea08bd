#include <merlin/core/ReceiveLog.h>

#include <cstdio>

namespace merlin {

bool appendReceiveLine(const std::string& installDir, const std::string& line)
{
    const std::string path = installDir + "/" + kReceiveLogName;
    std::FILE* out = std::fopen(path.c_str(), "ab");
    if (out == nullptr)
        return false;
    const std::string record = line + "\r\n";
    const bool written = std::fwrite(record.data(), 1, record.size(), out) == record.size();
    return std::fclose(out) == 0 && written;
}

DebugLog receiveLog(bool debug, const std::string& installDir)
{
    if (!debug)
        return {};
    // A log that cannot be written must not stop the operation it traces.
    return [installDir](const std::string& line) { static_cast<void>(appendReceiveLine(installDir, line)); };
}

}  // namespace merlin

// Finding, reading and loading definition files, and opening and saving
// parameter files with the definition they name.
#include <merlin/core/CDpfParSet.h>
#include <merlin/core/DpfReader.h>
#include <merlin/core/ParFileMessages.h>

#include <platform/AtomicFile.h>
#include <platform/MessageBox.h>
#include <platform/Notice.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace merlin {

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

void ShowNotFound(const std::string& what)
{
    platform::showMessage("'" + what + "'\n not found !", platform::MsgIcon::Exclamation);
}

// Text mode of the files' home platform: a line may end in CR LF.
std::string WithoutCarriageReturns(std::string text)
{
    size_t out = 0;
    for (size_t in = 0; in < text.size(); ++in)
        if (!(text[in] == '\r' && in + 1 < text.size() && text[in + 1] == '\n'))
            text[out++] = text[in];
    text.resize(out);
    return text;
}

}  // namespace

void CDpfParSet::ShowLeftOut() const
{
    if (leftOut_.empty())
        return;
    std::string keys;
    for (size_t n = 0; n < leftOut_.size() && n < 10; ++n)
        keys += (n ? ", " : "") + std::to_string(leftOut_[n]);
    if (leftOut_.size() > 10)
        keys += ", ...";
    platform::showMessage(platform::strFormat(kMsgParametersLeftOut, static_cast<int>(leftOut_.size()),
                                              DefinitionName().c_str(), kMaxGroups, keys.c_str()),
                          platform::MsgIcon::Exclamation);
}

std::filesystem::path CDpfParSet::DeviceDataDirectory() const
{
    return programDir_ / "DeviceData";
}

std::filesystem::path CDpfParSet::FindDefinitionFile(const std::string& name) const
{
    // Only the file name counts: a definition is always read from DeviceData.
    const std::string base = std::filesystem::path(name).filename().string();
    const std::filesystem::path dir = DeviceDataDirectory();
    std::error_code ec;
    if (std::filesystem::is_regular_file(dir / base, ec))
        return dir / base;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (SameIgnoringCase(it->path().filename().string(), base) && it->is_regular_file(ec))
            return it->path();
    return dir / base;
}

int CDpfParSet::ParseDefinition(const std::filesystem::path& path)
{
    lastParse_ = kParseNoFile;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return kParseNoFile;
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        return kParseNoFile;
    return ParseDefinitionText(WithoutCarriageReturns(std::move(text)));
}

int CDpfParSet::ParseDefinitionText(std::string_view text)
{
    CDpfReader reader(*this, Trace());
    lastParse_ = reader.Parse(text);
    return lastParse_;
}

int CDpfParSet::LoadDefinition(const std::string& name)
{
    SetDefinitionName(name);
    ResetTables();
    const std::filesystem::path path = FindDefinitionFile(name);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec) || ParseDefinition(path) == kParseNoFile) {
        ShowNotFound(name);
        loadState_ = kLoadMissing;
        return kLoadMissing;
    }
    CollectGroupNames(groupNames_);
    BuildParameterSet();
    ShowLeftOut();
    return kLoadOk;
}

int CDpfParSet::LoadParameterFile(std::istream& in)
{
    AttachArchive(&in);
    reading_ = ParFileReading{};
    loadState_ = ReadHeader(in);
    if (loadState_ < 0)
        return loadState_;
    const ParFileReading header{.deviceType = DeviceType(), .application = Application(), .version = Version()};
    const std::filesystem::path path = FindDefinitionFile(DefinitionName());
    ResetTables();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec) || ParseDefinition(path) == kParseNoFile) {
        ShowNotFound(path.string());
        loadState_ = kLoadMissing;
        return loadState_;
    }
    CollectGroupNames(groupNames_);
    BuildParameterSet();
    ShowLeftOut();
    reading_ = ReadRecords(in);
    reading_.deviceType = header.deviceType;
    reading_.application = header.application;
    reading_.version = header.version;
    archive_ = nullptr;
    return loadState_;
}

int CDpfParSet::LoadParameterFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        platform::showMessage(kMsgInvalidParFile, platform::MsgIcon::Exclamation);
        loadState_ = kHeaderFileError;
        return loadState_;
    }
    return LoadParameterFile(file);
}

int CDpfParSet::SaveParameterFile(const std::filesystem::path& path)
{
    // The whole file is made in memory and replaces the old one in one step:
    // a failed or interrupted save leaves the old file as it was.
    std::ostringstream bytes;
    if (WriteFile(bytes) != 0)
        return -1;
    return platform::AtomicFile::replace(path.string(), bytes.str()) ? -1 : 0;
}

}  // namespace merlin

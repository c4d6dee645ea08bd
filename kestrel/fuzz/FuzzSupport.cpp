// The fuzz targets are built with clang apart from the main build: messages
// go nowhere (questions are answered Yes, so the save and close paths run),
// and each process works in one scratch install directory of its own.
#include "FuzzTargets.h"

#include <platform/MessageBox.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace platform {

MsgAnswer showMessage(const std::string&, MsgIcon, MsgButtons buttons)
{
    return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes : MsgAnswer::Ok;
}

}  // namespace platform

namespace kestrel::fuzz {

const std::string& scratchDir()
{
    // Kept for the whole run and never destroyed: the clean-up at exit still
    // needs the name after static objects are gone.
    static const std::string* const dir = [] {
        std::string d = (std::filesystem::temp_directory_path() / "kestrel-fuzz-XXXXXX").string();
        if (::mkdtemp(d.data()) == nullptr) std::abort();
        for (const char* sub : {"/tvk", "/parameter", "/custom"}) std::filesystem::create_directories(d + sub);
        auto* kept = new std::string(d);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(scratchDir(), ec);
        });
        return kept;
    }();
    return *dir;
}

void writeFile(const std::string& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace kestrel::fuzz

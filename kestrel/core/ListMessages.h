#pragma once
// The fixed texts of the list file operations, in one place. Parameter
// files and custom lists word some of them differently.
#include <kestrel/core/CWorkFile.h>
#include <platform/Notice.h>

#include <string>
#include <string_view>

namespace kestrel::msg {

using platform::MsgIcon;

inline const platform::Notice kInvalidFile{"Invalid file !", MsgIcon::Stop};
inline const platform::Notice kAlreadyConnected{"You are already connected to this file !", MsgIcon::Information};
inline const platform::Notice kParameterFileCorrupt{"This parameter file is corrupted !", MsgIcon::Stop};
inline const platform::Notice kCustomFileCorrupt{"This custom parameter file is corrupted !", MsgIcon::Stop};
inline const platform::Notice kListDatabaseCorrupt{
    "Database file corresponding to this list is corrupted !\nYou need to download the full databank again.",
    MsgIcon::Stop};
inline const platform::Notice kFileDatabaseCorrupt{
    "Database file corresponding to this file is corrupted. You need to download full databank again.",
    MsgIcon::Stop};

inline platform::Notice noDatabase(ListKind kind)
{
    return {std::string("No database file corresponding to this ") +
                (kind == ListKind::CustomList ? "CTM" : "PAR") +
                " file was found !\nPlease connect to the inverter of the same software version\n"
                "and open a parameter list.",
            MsgIcon::None};
}

// A file this program meant to write could not be written; nothing claims
// success in that case.
inline platform::Notice writeFailed(std::string_view path)
{
    return {"The file could not be written :\n" + std::string(path), MsgIcon::Stop};
}

}  // namespace kestrel::msg

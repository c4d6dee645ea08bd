#include <kestrel/core/ListDialogs.h>

namespace kestrel {

std::string listDirectory(std::string_view installDir, ListKind kind)
{
    return std::string(installDir) + (kind == ListKind::CustomList ? "/custom" : "/parameter");
}

platform::FileDialogRequest listFileDialog(std::string_view installDir, ListKind kind, bool save)
{
    const bool custom = kind == ListKind::CustomList;
    platform::FileDialogRequest r;
    r.save = save;
    r.directory = listDirectory(installDir, kind);
    r.defaultExtension = custom ? "ctm" : "par";
    r.filter = custom ? "CTM Files(*.ctm) | *.ctm||" : "PAR Files(*.par) | *.par||";
    if (save) r.fileName = custom ? "*.ctm" : "*.par";
    return r;
}

}  // namespace kestrel

#pragma once
// File choosers behind a seam: the windows install Qt dialogs, tests answer
// with paths. An empty optional means the user cancelled.
#include <functional>
#include <optional>
#include <string>

namespace platform {

struct FileDialogRequest {
    bool save = false;                // false: open an existing file
    std::string title;
    std::string directory;            // initial directory
    std::string fileName;             // proposed name
    std::string filter;               // description|patterns pairs: "Parameter Files (*.par)|*.par||"
    std::string defaultExtension;     // "par"
};

using FileDialogHandler = std::function<std::optional<std::string>(const FileDialogRequest&)>;

std::optional<std::string> askFile(const FileDialogRequest& request);
FileDialogHandler setFileDialogHandler(FileDialogHandler handler);

}  // namespace platform

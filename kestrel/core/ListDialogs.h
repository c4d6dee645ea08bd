#pragma once
// The file dialogs of the list operations: directory, proposed name, filter
// and default extension by list kind.
#include <kestrel/core/CWorkFile.h>
#include <platform/FileDialog.h>

#include <string>
#include <string_view>

namespace kestrel {

// "<install>/custom" for custom lists, "<install>/parameter" otherwise.
std::string listDirectory(std::string_view installDir, ListKind kind);
// Open dialog (no proposed name) or save dialog ("*.par" / "*.ctm").
platform::FileDialogRequest listFileDialog(std::string_view installDir, ListKind kind, bool save);

}  // namespace kestrel

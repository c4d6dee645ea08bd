#pragma once
// Files Merlin writes for the user ("compare.txt", text exports, the connect
// trace) are opened in the text viewer; these are the messages around that.
#include <platform/Notice.h>

#include <string>

namespace merlin {

// True when the viewer started (a start result above 31).
bool openInTextViewer(const std::string& file);
platform::Notice viewerMissingMessage();
platform::Notice printFileMessage(const std::string& file);

}  // namespace merlin

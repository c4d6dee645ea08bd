#pragma once
// The entries of the version selection dialog ("Software Versions"): one
// per database file "tvk/RQ-dddd.tvk" of the install directory, shown as
// "dd.dd".
#include <platform/Notice.h>

#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// Ascending; files whose name is not "RQ-" + four digits + ".tvk" are left out.
std::vector<std::string> availableVersions(std::string_view installDir);
// Shown when there is none; the dialog then closes.
platform::Notice noVersionNotice();
// The selected version as the process-wide text ("12.34" -> "RQ-1234").
std::string selectedVersionName(std::string_view version);

}  // namespace kestrel

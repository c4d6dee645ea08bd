#pragma once
#include <platform/Notice.h>

#include <string>

namespace merlin {

// "'<file>'\ncouldn't accessed !": a file Merlin must write cannot be.
platform::Notice fileAccessMessage(const std::string& file);

}  // namespace merlin

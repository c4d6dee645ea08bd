#pragma once
// The D-Bus activation file that lets a client start the server on demand:
// "<bus name>.service" naming the server program.
//
// Where it goes: $AVIARY_DBUS_SERVICES when set; otherwise, when the
// registry store is redirected ($AVIARY_REGISTRY: tests, the demo),
// dbus-1/services below that directory, so a redirected registration never
// touches the user's own session; otherwise the user's service directory,
// $XDG_DATA_HOME/dbus-1/services (~/.local/share/dbus-1/services).
#include <string>

namespace tern::server {

std::string activationDirectory();
std::string activationFileName();
std::string activationFileText(const std::string& programPath);
// False (with errno set by the failing call) when the file cannot be written.
bool writeActivationFile(const std::string& directory, const std::string& programPath);
// Removing a file that is not there is no failure.
bool removeActivationFile(const std::string& directory);

}  // namespace tern::server

#pragma once
// The line settings Kestrel and Merlin keep in their profiles, as the
// starting point of a backup: a nightly run uses the port and timing the
// engineer set up in the program, unless the command line says otherwise.
#include <backup/lib/KestrelBus.h>

#include <merlin/core/CModbusLink.h>
#include <platform/RegistryStore.h>

namespace backup {

// "Settings": Port, Baud, Protocol, RTS; "Times": Repeat, DelayNAK, tRTS, tWait.
KestrelLine kestrelLineFromProfile(const platform::Profile& profile);
// Port, Baud and the Modbus timing of "Times".
merlin::LinkSettings merlinLinkFromProfile(const platform::Profile& profile);

// The profiles of the two programs in the settings store.
platform::Profile kestrelProfile();
platform::Profile merlinProfile();

}  // namespace backup

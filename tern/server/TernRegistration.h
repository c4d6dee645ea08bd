#pragma once
// Self-registration of the link server in the classes root of the registry
// store: the AppID, the class with its ProgIDs and local-server path, and the
// type library with its interface. Unregistration removes the same records
// and never the AppID, CLSID, TypeLib or Interface keys themselves.
#include <tern/automation/OleTypes.h>

#include <platform/RegistryStore.h>

#include <string>

namespace tern::server {

constexpr HRESULT SELFREG_E_TYPELIB = makeHResult(0x80040200);
constexpr HRESULT SELFREG_E_CLASS = makeHResult(0x80040201);

HRESULT RegisterServer(platform::RegistryStore& store, const std::string& modulePath);
HRESULT UnregisterServer(platform::RegistryStore& store);

}  // namespace tern::server

#include <tern/server/TernRegistration.h>

#include <tern/automation/ModBusLinkIdentity.h>

#include <filesystem>
#include <initializer_list>

namespace tern::server {

namespace {

using platform::Hive;
namespace id = identity;

// One value: key, value name ("" for the key's default value), text.
struct Entry {
    std::string key;
    std::string name;
    std::string value;
};

std::string join(std::initializer_list<std::string> parts)
{
    std::string out;
    for (const auto& p : parts) out += (out.empty() ? "" : "\\") + p;
    return out;
}

std::string directoryOf(const std::string& path)
{
    const std::string parent = std::filesystem::path(path).parent_path().string();
    return parent.empty() ? "." : parent;
}

bool write(platform::RegistryStore& store, std::initializer_list<Entry> entries)
{
    for (const auto& e : entries)
        if (!store.setString(Hive::ClassesRoot, e.key, e.name, e.value)) return false;
    return true;
}

const std::string kClassKey = join({"CLSID", id::kClsid});
const std::string kTypeLibKey = join({"TypeLib", id::kLibId, id::kLibVersion});
const std::string kInterfaceKey = join({"Interface", id::kIid});

bool registerAppId(platform::RegistryStore& store)
{
    return write(store, {{join({"AppID", id::kAppId}), "", id::kAppName},
                         {join({"AppID", id::kAppExecutableKey}), "AppID", id::kAppId}});
}

bool registerClass(platform::RegistryStore& store, const std::string& module)
{
    const std::string progId = id::kProgId;
    const std::string independent = id::kVersionIndependentProgId;
    if (!write(store, {{progId, "", id::kClassDescription},
                       {join({progId, "CLSID"}), "", id::kClsid},
                       {independent, "", id::kClassDescription},
                       {join({independent, "CLSID"}), "", id::kClsid},
                       {join({independent, "CurVer"}), "", progId}}))
        return false;
    // The class key is rewritten whole: nothing of an older registration stays.
    store.deleteKey(Hive::ClassesRoot, kClassKey);
    return write(store, {{kClassKey, "", id::kClassDescription},
                         {kClassKey, "AppID", id::kAppId},
                         {join({kClassKey, "ProgID"}), "", progId},
                         {join({kClassKey, "VersionIndependentProgID"}), "", independent},
                         {join({kClassKey, "LocalServer32"}), "", module},
                         {join({kClassKey, "TypeLib"}), "", id::kLibId}}) &&
           store.createKey(Hive::ClassesRoot, join({kClassKey, "Programmable"}));
}

bool registerTypeLib(platform::RegistryStore& store, const std::string& module)
{
    return write(store, {{kTypeLibKey, "", id::kLibHelpString},
                         {join({kTypeLibKey, "0", "win32"}), "", module},
                         {join({kTypeLibKey, "FLAGS"}), "", "0"},
                         {join({kTypeLibKey, "HELPDIR"}), "", directoryOf(module)},
                         {kInterfaceKey, "", id::kInterfaceName},
                         {join({kInterfaceKey, "ProxyStubClsid"}), "", id::kDispatchProxyStub},
                         {join({kInterfaceKey, "ProxyStubClsid32"}), "", id::kDispatchProxyStub},
                         {join({kInterfaceKey, "TypeLib"}), "", id::kLibId},
                         {join({kInterfaceKey, "TypeLib"}), "Version", id::kLibVersion}});
}

// Removing what is not there is no failure.
void remove(platform::RegistryStore& store, const std::string& key) { store.deleteKey(Hive::ClassesRoot, key); }

}  // namespace

HRESULT RegisterServer(platform::RegistryStore& store, const std::string& modulePath)
{
    if (!registerAppId(store) || !registerClass(store, modulePath)) return SELFREG_E_CLASS;
    if (!registerTypeLib(store, modulePath)) return SELFREG_E_TYPELIB;
    return S_OK;
}

HRESULT UnregisterServer(platform::RegistryStore& store)
{
    remove(store, join({"AppID", id::kAppId}));
    remove(store, join({"AppID", id::kAppExecutableKey}));
    remove(store, id::kProgId);
    remove(store, id::kVersionIndependentProgId);
    remove(store, kClassKey);
    remove(store, kTypeLibKey);
    const std::string libKey = join({"TypeLib", id::kLibId});
    if (store.subKeys(Hive::ClassesRoot, libKey).empty()) remove(store, libKey);
    remove(store, kInterfaceKey);
    return S_OK;
}

}  // namespace tern::server

#pragma once
// Who the link server is: the class, its ProgIDs, AppID, type library and
// interface identities as automation clients and the registration know them,
// and the names the class lives under on the session bus.
namespace tern::identity {

inline constexpr const char* kClsid = "{AE405C0B-9D6F-4218-8AA7-BA23C707BB6A}";
inline constexpr const char* kClassDescription = "ModBusLink Class";
inline constexpr const char* kProgId = "Tern.ModBusLink.1";
inline constexpr const char* kVersionIndependentProgId = "Tern.ModBusLink";
inline constexpr const char* kAppId = "{C1897855-8F37-410C-A042-3579A5B8D261}";
inline constexpr const char* kAppName = "Tern";
inline constexpr const char* kAppExecutableKey = "Tern.EXE";
inline constexpr const char* kLibId = "{25235BE0-9543-4B8E-9E01-CB2ECDA4CF28}";
inline constexpr const char* kLibName = "TERNLib";
inline constexpr const char* kLibVersion = "1.0";
inline constexpr const char* kLibHelpString = "Tern 1.0 Typbibliothek";
inline constexpr const char* kIid = "{9151CB90-1AA6-41CF-9744-583897840E75}";
inline constexpr const char* kInterfaceName = "IModBusLink";
inline constexpr const char* kInterfaceHelpString = "IModBusLink-Schnittstelle";
// Proxy/stub of every dispatch interface.
inline constexpr const char* kDispatchProxyStub = "{00020424-0000-0000-C000-000000000046}";

// Error information of failing calls: the interface it names, and the class
// whose registered ProgID becomes the source.
inline constexpr const char* kErrorInterfaceGuid = "{B3DE3CC1-C629-11D1-8FE9-E4CD05C10000}";
inline constexpr const char* kErrorSourceClsid = "{B3DE3CC2-C629-11D1-8FE9-E4CD05C10000}";

// The session bus.
inline constexpr const char* kBusName = "org.aviary.Tern";
inline constexpr const char* kServerPath = "/org/aviary/Tern";
// The class object: creates instances and takes server locks.
inline constexpr const char* kClassObjectPath = "/org/aviary/Tern/ModBusLink";
inline constexpr const char* kClassFactoryInterface = "org.aviary.Tern.IClassFactory";
// Instances live below the class object: /org/aviary/Tern/ModBusLink/<n>.
inline constexpr const char* kObjectPathPrefix = "/org/aviary/Tern/ModBusLink/";
inline constexpr const char* kModBusLinkInterface = "org.aviary.Tern.IModBusLink";
inline constexpr const char* kUnknownInterface = "org.aviary.Tern.IUnknown";
// The bus monitor of an object's serial line, and the Modbus/TCP gateway object.
inline constexpr const char* kBusMonitorInterface = "org.aviary.Tern.IBusMonitor";
inline constexpr const char* kTcpServerInterface = "org.aviary.Tern.ITcpServer";
// Error replies of failing calls.
inline constexpr const char* kAutomationErrorName = "org.aviary.Tern.AutomationError";
// Introspection annotations.
inline constexpr const char* kAnnotationDispId = "org.aviary.Tern.DispId";
inline constexpr const char* kAnnotationHelpString = "org.aviary.Tern.HelpString";

}  // namespace tern::identity

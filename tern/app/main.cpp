// tern: the Modbus link server.
#include <tern/gateway/GatewayProgram.h>
#include <tern/gateway/TcpServerObjects.h>
#include <tern/server/ModBusLinkServer.h>
#include <tern/server/TernProgram.h>

#include <AviaryVersion.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

namespace {

constexpr const char* kHelp =
    "usage: tern [-RegServer | -UnregServer]\n"
    "       tern --gateway LISTEN --line COMn [options]   (see tern --gateway --help)\n"
    "\n"
    "The Modbus link server of the Aviary suite. It serves ModBusLink objects\n"
    "(ProgID Tern.ModBusLink.1) on the D-Bus session bus under the name\n"
    "org.aviary.Tern, giving every client shared Modbus master access (RTU or\n"
    "ASCII on a serial line, or Modbus/TCP) to one line per connection name.\n"
    "Clients start it on demand; it ends 5 s after its last object is released\n"
    "or when the session bus goes away.\n"
    "\n"
    "  -RegServer     register the class and the D-Bus activation file for this\n"
    "                 user (a per-user installation), then end\n"
    "  -UnregServer   remove that registration again, then end\n"
    "                 ('/' may stand for '-'; the words are read in any case)\n"
    "  --help         show this text\n"
    "  --version      show the version\n"
    "\n"
    "Environment: AVIARY_REGISTRY (registry directory), AVIARY_DBUS_SERVICES\n"
    "(where -RegServer puts the activation file), AVIARY_COM1..AVIARY_COM8\n"
    "(serial devices of COM1..COM8).\n";

// Started on demand by a client ("-Embedding", also by bus activation), the
// server outlives that client by its idle time: holding the client's
// standard streams would keep a caller such as out=$(aviary-backup ...)
// waiting for it. It detaches them like any daemon.
bool startedOnDemand(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if ((argv[i][0] == '-' || argv[i][0] == '/') && strcasecmp(argv[i] + 1, "Embedding") == 0) return true;
    return false;
}

bool detachStandardStreams()
{
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null < 0) return false;
    bool ok = true;
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) ok = ::dup2(null, fd) == fd && ok;
    ::close(null);
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (tern::gateway::wantsGateway(args)) {
        for (const auto& a : args)
            if (a == "--help" || a == "-h") return std::fputs(tern::gateway::kGatewayUsage, stdout), 0;
        tern::gateway::GatewayOptions options;
        std::string error;
        if (!tern::gateway::parseGatewayCommandLine(args, options, error)) {
            std::fprintf(stderr, "tern: %s\n%s", error.c_str(), tern::gateway::kGatewayUsage);
            return 2;
        }
        return tern::gateway::runGateway(argc, argv, options);
    }
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (!std::strcmp(argv[i], "--version")) {
            std::printf("tern (Aviary) %s\n", aviary::kVersion);
            return 0;
        }
    }
    // Every serial connection can hand out its Modbus/TCP gateway.
    const auto gateways = [](tern::server::ModBusLinkServer& server, tern::server::LockCount& locks) {
        auto objects = std::make_shared<tern::gateway::TcpServerObjects>(QDBusConnection::sessionBus(), locks);
        server.setTcpServerProvider(objects.get());
        return std::shared_ptr<void>(objects);
    };
    if (startedOnDemand(argc, argv) && !detachStandardStreams())
        std::fprintf(stderr, "tern: cannot detach from the caller's output\n");
    const tern::HRESULT hr = tern::server::runTern(argc, argv, gateways);
    if (tern::FAILED(hr)) std::fprintf(stderr, "tern: failed with 0x%08X\n", static_cast<unsigned>(hr));
    return tern::server::exitStatusOf(hr);
}

#include <backup/lib/BackupOptions.h>

#include <platform/CommandLine.h>
#include <platform/ParseInt.h>
#include <platform/RemoteSerialPort.h>

#include <map>
#include <set>

namespace backup {

const char* const kUsage =
    "usage: aviary-backup --family kestrel|merlin [options] COMMAND\n"
    "commands:\n"
    "  scan                     find the drives on the line: address, name, type and version\n"
    "  backup [ADDR...]         save every drive found (or those named) into a parameter file each,\n"
    "                           <address>_<name>_<family>-<line>_<date>_<time>.par in the output\n"
    "                           directory; an existing file is never replaced\n"
    "  diff ADDR FILE           compare the drive's live settings with FILE (what a restore\n"
    "                           would write; status and process values are left out);\n"
    "                           exit 0 equal, 1 different, 2 error\n"
    "  restore ADDR FILE        download FILE into the drive\n"
    "options:\n"
    "  --family F               kestrel (SIO drives, addresses 0..31) or merlin (Modbus, 1..32)\n"
    "  --port P                 COM1..COM8 or a device path such as /dev/ttyUSB0\n"
    "  --baud N                 baud rate\n"
    "  --install DIR            the installation: tvk/, DeviceData/, netlist files (default: beside\n"
    "                           this program, or share/aviary of an installed one); a system\n"
    "                           installation is used through the user's working copy of it\n"
    "  --dir DIR                where backup writes its files (default: the current directory)\n"
    "  --force                  restore: write a file made for another type or version, switch\n"
    "                           the parameter set\n"
    "  --json                   scan and diff: JSON on stdout\n"
    "  --password N             merlin restore: the drive's password, when it refuses writes\n"
    "  --capture FILE           merlin: every frame of the run into FILE (pcapng; Wireshark opens it)\n"
    "  --retries N              attempts per request (kestrel default 8, merlin 3)\n"
    "  --timeout MS             merlin: response time-out (default 1000)\n"
    "  --delay MS               merlin: request delay (default 70); kestrel: NAK delay (default 1200)\n"
    "  --silent-interval MS     merlin: silent interval (default 0)\n"
    "  --wait MS                kestrel: wait before taking a reply (default 50)\n"
    "  --rts-hold MS            kestrel: time the line is held after a request (default 30)\n"
    "  --help, --version\n"
    "Port, baud rate and timing not given are those Kestrel or Merlin keep in their settings\n"
    "(the \"Settings\" and \"Times\" sections of their profiles), else the programs' defaults.\n"
    "Progress goes to stderr when it is a terminal; a summary ends every backup.\n"
    "A run has its line to itself: one that finds the line in use (by Kestrel, by the link\n"
    "server for Merlin, or by another run) says who has it and ends with exit status 2.\n";

std::optional<int> comPortNumber(const std::string& port)
{
    if (port.size() != 4 || (port.compare(0, 3, "COM") != 0 && port.compare(0, 3, "com") != 0)) return std::nullopt;
    const auto n = platform::parseInt<long>(port.substr(3), 1, 8);
    return n ? std::optional<int>(static_cast<int>(*n)) : std::nullopt;
}

std::optional<BackupOptions> parseOptions(int argc, char** argv, std::string& error)
{
    BackupOptions o;
    std::vector<std::string> words;
    const std::map<std::string, std::optional<int>*> timings{{"--retries", &o.retries},
                                                             {"--timeout", &o.timeoutMs},
                                                             {"--delay", &o.delayMs},
                                                             {"--silent-interval", &o.silentMs},
                                                             {"--wait", &o.waitMs},
                                                             {"--rts-hold", &o.rtsMs}};
    std::set<std::string> valued{"--family", "--port", "--install", "--dir", "--baud", "--password", "--capture"};
    for (const auto& timing : timings) valued.insert(timing.first);
    for (const platform::CommandLineItem& item : platform::splitCommandLine(argc, argv, valued)) {
        const std::string& a = item.name;
        if (a == "--help" || a == "-h") {
            o.command = Command::Help;
            return o;
        }
        if (a == "--version") {
            o.command = Command::Version;
            return o;
        }
        if (a == "--force") o.force = true;
        else if (a == "--json") o.json = true;
        else if (valued.count(a)) {
            const auto& v = item.value;
            if (!v) return error = a + " needs a value", std::nullopt;
            if (a == "--family") o.family = *v;
            else if (a == "--port") o.port = *v;
            else if (a == "--install") o.installDir = *v;
            else if (a == "--dir") o.outputDir = *v;
            else if (a == "--capture") o.capture = *v;
            else if (a == "--baud") {
                const auto n = platform::parseInt<long>(*v, 50, 4000000);
                if (!n) return error = "--baud: not a baud rate: " + *v, std::nullopt;
                o.baud = *n;
            } else if (a == "--password") {
                const auto n = platform::parseInt<long>(*v, 0, 0xFFFF);
                if (!n) return error = "--password: a number 0..65535", std::nullopt;
                o.password = static_cast<uint16_t>(*n);
            } else {
                const auto n = platform::parseInt<long>(*v, 0, 100000);
                if (!n) return error = a + ": a number of 0..100000", std::nullopt;
                *timings.at(a) = static_cast<int>(*n);
            }
        } else if (item.isOption()) {
            return error = "unknown option " + a, std::nullopt;
        } else {
            words.push_back(a);
        }
    }
    if (o.family != "kestrel" && o.family != "merlin") return error = "give --family kestrel or merlin", std::nullopt;
    if (o.port && !comPortNumber(*o.port) && (o.port->empty() || (*o.port)[0] != '/')
        && !platform::parseRemoteAddress(*o.port))
        return error = "--port: COM1..COM8, a device path, tcp://host:port or rfc2217://host:port", std::nullopt;
    if (words.empty()) return error = "give a command: scan, backup, diff or restore", std::nullopt;
    const std::string command = words.front();
    words.erase(words.begin());
    const int lowest = o.family == "kestrel" ? 0 : 1;
    const int highest = o.family == "kestrel" ? 31 : 32;
    auto address = [&](const std::string& w) -> bool {
        const auto n = platform::parseInt<long>(w, lowest, highest);
        if (!n) return error = "not an address of the family (" + std::to_string(lowest) + ".." +
                               std::to_string(highest) + "): " + w, false;
        o.addresses.push_back(static_cast<int>(*n));
        return true;
    };
    if (command == "scan" && words.empty()) o.command = Command::Scan;
    else if (command == "backup") {
        o.command = Command::Backup;
        for (const std::string& w : words)
            if (!address(w)) return std::nullopt;
    } else if ((command == "diff" || command == "restore") && words.size() == 2) {
        o.command = command == "diff" ? Command::Diff : Command::Restore;
        if (!address(words[0])) return std::nullopt;
        o.file = words[1];
    } else {
        return error = "bad command: " + command + (words.empty() ? "" : " with " + std::to_string(words.size()) +
                                                                         " argument(s)"),
               std::nullopt;
    }
    return o;
}

}  // namespace backup

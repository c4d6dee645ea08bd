#pragma once
// The shell's fixed texts, byte for byte as the users know them.
namespace shell::text {

inline constexpr const char* kRegistryMissing =
    "   A registry entry was not found.       \n   Software cannot proceed further!\n\n"
    "    Reinstall the software again.\n";
inline constexpr const char* kNoComPort =
    "Fatal Error !\n\nThe software failed to detect a valid COM port !\n"
    "Please restart the application and try again.";
// HELP of the communication dialog: where the ports of a Linux machine are.
inline constexpr const char* kPortHelp =
    "Each COM number leads to a serial device of this computer:\n\n"
    "  COM1 ... COM4  the device set with \"Ports...\" (ports.ini), else /dev/ttyS0 ... /dev/ttyS3\n\n"
    "A USB RS-485 adapter appears as /dev/ttyUSB0, /dev/ttyUSB1, ... in the order it was plugged in;\n"
    "its name under /dev/serial/by-id stays the same, so choose that one in \"Ports...\".\n"
    "A drive behind a serial device server is reached as rfc2217://host:port or tcp://host:port.\n\n"
    "To open a port your user must be in the group dialout:\n"
    "  sudo usermod -aG dialout $USER   (then log out and in again)";
inline constexpr const char* kNetworkNotResponding = "Network not responding !";
inline constexpr const char* kOtherDevice =
    "The selected port may be connected to different device. Try selecting another port.";
inline constexpr const char* kCloseListsFirst = "Please close all parameter lists before you exit this application !";

// Start-up dialog
inline constexpr const char* kStartupQuestion = "Are you sure that";
inline constexpr const char* kStartupRules =
    "1. Each unit has a unique address ?  and\n\n\n2. All units on the network have the same baud rate ?";
inline constexpr const char* kStartupHint =
    "HINT !\n\nFor each inverter on the network, select :\n"
    "  --  the same baud rate (parameter A8)\n"
    "  --  a unique address (parameter A9)\n"
    "  --  the SIO-protocol (set parameter AA = 1)\n\n"
    "Please refer to the \"User's Manual\" for more details.\n\n\n"
    "Want to continue ?";

// About box
inline constexpr const char* kBuildDate = "Aug 21 2006";

// Parameter help
inline constexpr const char* kReaderNotFound = "This software was unable to locate the 'AcroRd32.exe' file.";
inline constexpr const char* kReaderExplain =
    "The help file needs the Acrobat Reader 3.0 to be installed in your hard drive. "
    "Please enter the full path of 'AcroRd32.exe' file.";
inline constexpr const char* kReaderPathEmpty =
    "You have not specified the path correctly. You will not be able to view the parameter help.";
inline constexpr const char* kInvalidFile = "Invalid File!";
inline constexpr const char* kHelpFileMissing = "\nfile was not found ! \n\nWant to view another help file ?";
inline constexpr const char* kSelectHelpFile = "Select a file you want to view and click OK";
inline constexpr const char* kHelpListPrompt = "Below is the list of the Help files available on your computer.";
inline constexpr const char* kVersionListPrompt = "Below is the list of software versions available on your computer.";
inline constexpr const char* kNoHelpFile = "No help file was found in : \n";
inline constexpr const char* kNoDatabase =
    "No database file for any software version was found.\n"
    "Please connect to an inverter first and open a parameter list.";

}  // namespace shell::text

#pragma once
// Command identifiers both programs share: the framework's own commands
// (5xxxx keep the framework's numbers) and the menu commands whose numbers
// the two programs' resources have in common. A program adds its own ids in
// its own namespace.
namespace shell::cmd {

// File
constexpr int FileOpen = 57601;         // "&Open Parameter List...\tCtrl+O"
constexpr int FileClose = 57602;
constexpr int FileSave = 57603;
constexpr int FileSaveAs = 57604;
constexpr int FilePrint = 57607;
constexpr int FileMru1 = 57616;         // recent files: FileMru1 .. FileMru1 + 3
constexpr int AppExit = 57665;          // "E&xit"

// Inverter
constexpr int CheckNetwork = 32795;     // "&Check Network..."
constexpr int OpenDeviceList = 32799;   // "&Open Parameter List"
constexpr int Keypad = 32800;           // "&Keypad controls"
constexpr int FaultHistory = 32802;
constexpr int DownloadAll = 32803;      // "&Download All"
constexpr int UploadAll = 32804;        // "&Upload All"

// Customer List
constexpr int CreateList = 32806;       // "&Create List"
constexpr int ModifyList = 32807;       // "&Modify List"
constexpr int ProgramList = 32808;      // "&Program List"

// Settings
constexpr int Communication = 32801;    // "&Communication"
constexpr int StatusScan = 32809;       // "&Status Scan Enable"
constexpr int ProgramParameters = 32838;// "&Parameters"
constexpr int ViewToolbar = 59392;      // "&Toolbar"
constexpr int ViewStatusBar = 59393;    // "Status &Bar"

// Options (present only when started with "/options")
constexpr int SplashOnStart = 32832;    // "&Splash on start"
constexpr int CommOnStart = 32833;      // "&Communication on start"
constexpr int Debug = 32834;            // "&Debug"
constexpr int HideOptions = 32836;      // "&Hide options menu"

// Window
constexpr int WindowCascade = 57650;
constexpr int WindowTile = 57651;
constexpr int WindowArrange = 57649;

// Help
constexpr int HelpParameter = 32788;    // "&Parameter"
constexpr int AppAbout = 57664;         // "&About %s ..."

// Timers of the frame.
constexpr int StatusScanTimer = 61455;

}  // namespace shell::cmd

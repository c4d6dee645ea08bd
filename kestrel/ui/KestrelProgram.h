#pragma once
// Kestrel as a program of the shell: main menu 128 and list-window menu 129
// with their prompts, the toolbar, the telegram object as the frame's line
// object ("MSCOMM32 failed" when it cannot be made), the start-up clean-up
// of working files, and the commands Kestrel adds to the shell's own.
#include <shell/ProgramDescription.h>

#include <functional>
#include <memory>

namespace kestrel {

class CTelegram;

namespace text {
inline constexpr const char* kSerialControlFailed = "MSCOMM32 failed";
}

struct KestrelOptions {
    // Makes the telegram object; empty: the real one. nullptr fails the frame.
    std::function<std::unique_ptr<CTelegram>()> telegramFactory;
    shell::PortSource portSource;            // empty: the devices of the port map
    shell::PortTestTiming portTestTiming;
};

shell::MenuLayout kestrelMainMenu();
shell::MenuLayout kestrelChildMenu();

shell::ProgramDescription kestrelProgram(KestrelOptions options = {});

// The commands Kestrel adds: program parameters, the debug and CTim toggles.
void installKestrelCommands(shell::CMainFrame& frame);

}  // namespace kestrel

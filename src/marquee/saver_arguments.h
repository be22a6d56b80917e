// What Windows asks of a screen saver on its command line:
//   /s          run full screen
//   /p HWND     draw a preview inside that window (also /p:HWND, and /l)
//   /c[:HWND]   show the settings, owned by that window; so does no switch
//   /a          change the password (this saver has none: nothing to do)
// Switches may start with "-" and be in either case.
#pragma once

#include <cstdint>
#include <string_view>

namespace pavlune {

struct SaverArguments {
    enum class Mode { Settings, FullScreen, Preview, Nothing };
    Mode Run = Mode::Settings;
    // The window of /p or /c as a handle value; 0 when none was given.
    std::uint32_t Window = 0;
};

// From the whole command line as GetCommandLineA gives it, program name first.
SaverArguments ParseSaverArguments(std::string_view commandLine);

}  // namespace pavlune

// vellacour's command line: at most one layout file to open at start-up, or --help or
// --version, which are answered before any window or display is needed.
#pragma once

#include <string>
#include <vector>

#include "toolkit/Translation.h"

struct TCommandLine {
    enum class TAction { Run, Help, Version, Usage };
    TAction Action = TAction::Run;
    // The layout to open once the main window is shown; empty for none. A relative path is
    // made absolute against the current folder, so the caption and the recent-files list
    // name the same file wherever the program is started next.
    std::string LayoutFile;
};

// Reads the arguments after the program name. "--help" and "--version" stand alone;
// anything else that starts with "-", an empty argument or a second argument is a wrong
// call.
TCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The usage text: on stdout for --help, on stderr (status 2) for a wrong call.
extern const TMsg ProgramUsage;

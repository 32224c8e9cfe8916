#pragma once
// Entry of the interactive mode: the frame window, the dialogs and the message boxes.

namespace sheetbasis {

// Starts the window system, shows the frame window and runs the program interactively.
// Returns the exit code (8 when no display can be opened).
int runInteractive(int argc, char** argv);

}  // namespace sheetbasis

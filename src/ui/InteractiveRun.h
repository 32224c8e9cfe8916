#pragma once
// Entry of the interactive mode: the frame window, the dialogs and the message boxes.

#include "app/ProgramFlow.h"

namespace sheetbasis {

// Starts the window system, shows the frame window and runs the program interactively
// (ExitCode::NotDone when no display can be opened).
ExitCode runInteractive(int argc, char** argv);

// Installs the toolkit's Russian translations (the folder picker's "Папка", "Выбрать",
// "Отмена") into the running application. False when they are not installed: the toolkit
// then keeps its own English texts, and the program runs all the same.
bool installToolkitTranslations();

}  // namespace sheetbasis

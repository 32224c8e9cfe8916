// sheetbasis: generates the mathematical basis of one map sheet as GIS layers.
//   sheetbasis             interactive mode (dialogs)
//   sheetbasis JOBFILE     unattended mode; the exit code is the only report
// The interactive mode is the program sheetbasis-ui beside this one: a job-file run loads
// none of the window system's libraries.

#include "app/InterfaceLauncher.h"
#include "app/ProgramFlow.h"

int main(int argc, char** argv) {
    if (argc == 1) return sheetbasis::processExitCode(sheetbasis::startInterface(argv));
    return sheetbasis::processExitCode(sheetbasis::runMainProgram(argc, argv, nullptr));
}

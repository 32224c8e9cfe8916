// sheetbasis: generates the mathematical basis of one map sheet as GIS layers.
//   sheetbasis             interactive mode (dialogs)
//   sheetbasis JOBFILE     unattended mode; the exit code is the only report

#include "app/ProgramFlow.h"
#ifdef SHEETBASIS_WITH_UI
#include "ui/InteractiveRun.h"
#endif

int main(int argc, char** argv) {
#ifdef SHEETBASIS_WITH_UI
    if (argc == 1) return sheetbasis::processExitCode(sheetbasis::runInteractive(argc, argv));
#endif
    return sheetbasis::processExitCode(sheetbasis::runMainProgram(argc, argv, nullptr));
}

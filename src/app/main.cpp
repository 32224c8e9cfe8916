// sheetbasis: generates the mathematical basis of one map sheet as GIS layers.
//   sheetbasis             interactive mode (dialogs)
//   sheetbasis JOBFILE     unattended mode; the exit code is the only report
//   sheetbasis --OPTION    sheet sets, help, version (sheetbasis --help)
//
// The interactive mode is the program sheetbasis-ui beside this one: a job-file run loads
// none of the window system's libraries.

#include "app/CommandLine.h"
#include "app/InterfaceLauncher.h"
#include "app/ProgramFlow.h"
#include "output/AtomicFile.h"
#include "output/LayerFile.h"

int main(int argc, char** argv) {
    using namespace sheetbasis;
    makeFileSizeLimitAWriteFailure();
    keepFreedMemory();
    if (argc == 1) return processExitCode(startInterface(argv));
    if (isCommandLineOption(argv[1])) return processExitCode(runCommandLine(argc, argv));
    return processExitCode(runMainProgram(argc, argv, nullptr));
}

// sheetbasis: generates the mathematical basis of one map sheet as GIS layers.
//   sheetbasis             interactive mode (dialogs)
//   sheetbasis JOBFILE     unattended mode; the exit code is the only report
//   sheetbasis --OPTION    sheet sets, help, version (sheetbasis --help)
//
// The interactive mode is the program sheetbasis-ui beside this one: a job-file run loads
// none of the window system's libraries.

#include <cstdio>
#include <new>

#include "app/CommandLine.h"
#include "app/InterfaceLauncher.h"
#include "app/ProgramFlow.h"
#include "output/AtomicFile.h"
#include "output/LayerFile.h"

namespace {

sheetbasis::ExitCode run(int argc, char** argv) {
    using namespace sheetbasis;
    if (argc == 1) return startInterface(argv);
    if (isCommandLineOption(argv[1])) return runCommandLine(argc, argv);
    return runMainProgram(argc, argv, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace sheetbasis;
    makeFileSizeLimitAWriteFailure();
    prepareForLowMemory();
    // Memory that runs out outside a sheet's generation (reading a list, writing the
    // summary) ends the run with the reason too, not with an abort.
    try {
        return processExitCode(run(argc, argv));
    } catch (const std::bad_alloc&) {
        std::fputs("sheetbasis: out of memory\n", stderr);
        return processExitCode(ExitCode::GenerationFailed);
    }
}

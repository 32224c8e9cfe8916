// sheetbasis-ui: the interactive mode of sheetbasis, which starts it when it is given no
// job file.

#include "output/AtomicFile.h"
#include "ui/InteractiveRun.h"

int main(int argc, char** argv) {
    sheetbasis::makeFileSizeLimitAWriteFailure();
    return sheetbasis::processExitCode(sheetbasis::runInteractive(argc, argv));
}

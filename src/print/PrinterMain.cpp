// The printing program: started by the main program for a run with --pdf, it prints the
// projects the main program wrote, one request after the other, in one running QGIS, so
// that QGIS starts once for a whole set (PrintRequests.h tells what is said).

#include <fcntl.h>
#include <qgsapplication.h>
#include <unistd.h>

#include <QByteArray>
#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <string>

#include "print/LayoutPrinter.h"
#include "print/PrintRequests.h"

namespace {

using sheetbasis::Outcome;

// The answers get standard output for themselves; whatever QGIS and Qt print goes nowhere,
// so that it neither mixes with them nor runs over the main program's progress line.
int takeAnswerChannel() {
    const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nowhere < 0) return -1;  // QGIS's words would run into the answers
    const int answers = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    ::dup2(nowhere, STDOUT_FILENO);
    ::dup2(nowhere, STDERR_FILENO);
    ::close(nowhere);
    return answers;
}

bool answer(int channel, const std::string& line) {
    for (std::size_t sent = 0; sent < line.size();) {
        const ssize_t n = ::write(channel, line.data() + sent, line.size() - sent);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

int serveRequests(int channel) {
    if (const Outcome capable = sheetbasis::checkPrintingCapability(); !capable) {
        answer(channel, sheetbasis::answerLine(capable));
        return EXIT_FAILURE;
    }
    if (!answer(channel, std::string(sheetbasis::READY_ANSWER) + '\n')) return EXIT_FAILURE;
    std::string project;
    std::string pdf;
    while (std::getline(std::cin, project, '\0') && std::getline(std::cin, pdf, '\0')) {
        const Outcome printed = sheetbasis::printProjectLayout(project, pdf);
        if (!answer(channel, sheetbasis::answerLine(printed))) return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}

}  // namespace

int main(int argc, char** argv) {
    const int channel = takeAnswerChannel();
    if (channel < 0) return EXIT_FAILURE;
    // Printing needs no screen: never one, so that an unreachable display cannot stop it.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QgsApplication application(argc, argv, false);
    QgsApplication::setPrefixPath(SHEETBASIS_QGIS_PREFIX, true);
    QgsApplication::initQgis();
    const int status = serveRequests(channel);
    QgsApplication::exitQgis();
    // Ends here, without the destructors of the application and of QGIS's static objects:
    // QGIS keeps objects to the end of the process by design, some of which fail when
    // destroyed late, and a sanitizer build would report them all as leaks. Nothing of this
    // program needs them: its answers are written unbuffered.
    std::_Exit(status);
}

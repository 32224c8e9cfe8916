#pragma once
// The PDFs of a run with --pdf: each written project's print layout, printed beside it by
// the printing program (PRINTER_PROGRAM), which runs on QGIS's libraries in a process of
// its own so that this program loads none of them. One printing program serves a whole
// run: QGIS starts once, not once a sheet.

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/ParallelRun.h"
#include "app/SheetSetRun.h"
#include "output/Outcome.h"
#include "print/PrintRequests.h"

namespace sheetbasis {

// The printing program beside the running one (found through /proc/self/exe).
std::filesystem::path printerProgramPath();

// How long the printing program may take to answer, to start or to print one project,
// before it counts as hung: PRINTER_ANSWER_BOUND, or the whole seconds that the
// environment variable PRINTER_ANSWER_BOUND_VARIABLE gives (for tests of a hung printer).
std::chrono::seconds printerAnswerBound();
// A sheet of 1:1 000 000 prints in a few seconds on a loaded machine: one that takes
// minutes is stuck.
inline constexpr std::chrono::seconds PRINTER_ANSWER_BOUND{120};
inline constexpr const char* PRINTER_ANSWER_BOUND_VARIABLE = "SHEETBASIS_PRINT_ANSWER_SECONDS";

class PdfPrinter {
  public:
    explicit PdfPrinter(std::filesystem::path program = printerProgramPath(),
                        std::chrono::seconds answerBound = printerAnswerBound());
    PdfPrinter(const PdfPrinter&) = delete;
    PdfPrinter& operator=(const PdfPrinter&) = delete;
    // Ends the printing program: it reads no more requests and stops QGIS.
    ~PdfPrinter();

    // Starts the printing program and waits until it can print.
    Outcome start();
    // Prints the project's layout to the PDF. A printing program that ended while printing,
    // or gave no answer within the bound (it is killed), fails that request and is started
    // again for the next.
    Outcome print(const PrintRequest& request);

  private:
    std::optional<std::string> readAnswerLine();
    std::string endWithoutAnswer(const std::optional<std::string>& answer);
    std::string waitForEnd();
    void stop();

    std::filesystem::path program_;
    std::chrono::seconds answerBound_;
    pid_t process_ = -1;
    int channel_ = -1;     // the printing program's standard input and output
    std::string pending_;  // answer bytes read past the last whole line
};

// The printing programs of a run: the first started before anything is written, others as
// sheets are printed at once on more threads; each serves one thread at a time.
class PrinterPool {
  public:
    // Starts the first printing program and waits until it can print.
    Outcome start();
    // Prints on an idle printing program, or on a new one when all are busy, or waits for
    // one to be idle when as many as are allowed have started.
    Outcome print(const PrintRequest& request);

  private:
    std::unique_ptr<PdfPrinter> takePrinter();

    std::mutex mutex_;
    std::condition_variable idleAgain_;
    std::vector<std::unique_ptr<PdfPrinter>> idle_;
    unsigned started_ = 0;
};

// The message of a run with --pdf that cannot print at all.
std::string printerUnavailableText(const std::string& reason);

// The request that prints a generated sheet's project beside it.
PrintRequest sheetPrintRequest(const SheetParameters& p);
// The request that prints a set's index project beside it.
PrintRequest indexPrintRequest(const std::string& outFolder);

// Prints the written sheets' PDFs on `threads` threads, showing the progress as the
// generation does; a sheet whose PDF fails joins the failed ones with the reason, like a
// sheet whose layer failed.
SetRunReport printWrittenSheets(SetRunReport report, PrinterPool& printers, unsigned threads,
                                const ProgressReport& progress);

}  // namespace sheetbasis

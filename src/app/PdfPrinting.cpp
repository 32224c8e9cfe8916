#include "app/PdfPrinting.h"

#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <system_error>

#include "app/ResultFolders.h"
#include "app/SheetIndex.h"
#include "qgis/SheetProject.h"
#include "sheet/Nomenclature.h"

extern char** environ;

namespace sheetbasis {
namespace {

namespace fs = std::filesystem;

// The loader's exit code when a library the program needs is missing.
constexpr int LIBRARY_MISSING_EXIT_CODE = 127;
constexpr std::size_t ANSWER_READ_BYTES = 4096;
// Printing programs at most, whatever the threads: each holds a QGIS of its own (about
// 160 MiB), and printing is bound by the processor, so more than the cores gain nothing.
constexpr unsigned MOST_PRINTERS = 8;

PrintRequest requestBeside(const std::string& project) {
    return {project, fs::path(project).replace_extension(PDF_EXTENSION).generic_string()};
}

std::string exitStatusText(int status) {
    if (WIFSIGNALED(status)) {
        return "ended by signal " + std::to_string(WTERMSIG(status)) + " (" +
               strsignal(WTERMSIG(status)) + ")";
    }
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (code == LIBRARY_MISSING_EXIT_CODE) return "a library it needs is missing";
    return "ended with exit code " + std::to_string(code);
}

bool sendAll(int channel, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(channel, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

fs::path printerProgramPath() {
    std::error_code ec;
    return fs::read_symlink("/proc/self/exe", ec).parent_path() / PRINTER_PROGRAM;
}

std::chrono::seconds printerAnswerBound() {
    const char* text = std::getenv(PRINTER_ANSWER_BOUND_VARIABLE);
    const std::string_view given = text == nullptr ? std::string_view() : text;
    int seconds = 0;
    const auto [end, error] = std::from_chars(given.data(), given.data() + given.size(), seconds);
    const bool whole = error == std::errc() && end == given.data() + given.size();
    return whole && seconds > 0 ? std::chrono::seconds(seconds) : PRINTER_ANSWER_BOUND;
}

PdfPrinter::PdfPrinter(fs::path program, std::chrono::seconds answerBound)
    : program_(std::move(program)), answerBound_(answerBound) {}

PdfPrinter::~PdfPrinter() {
    stop();
}

Outcome PdfPrinter::start() {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        return Outcome::failure(std::string("no channel to it: ") + std::strerror(errno));
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    char* const argv[] = {const_cast<char*>(program_.c_str()), nullptr};
    const int spawned =
        ::posix_spawn(&process_, program_.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    channel_ = ends[0];
    if (spawned != 0) {
        process_ = -1;
        stop();
        return Outcome::failure(program_.string() + ": " + std::strerror(spawned));
    }
    const std::optional<std::string> first = readAnswerLine();
    if (first == READY_ANSWER) return {};
    const std::optional<Outcome> refused = first ? parseAnswer(*first) : std::nullopt;
    const Outcome failed =
        refused && !*refused ? *refused : Outcome::failure(endWithoutAnswer(first));
    stop();
    return failed.within(program_.string());
}

Outcome PdfPrinter::print(const PrintRequest& request) {
    if (process_ < 0) {
        if (Outcome started = start(); !started) return started;
    }
    // A request that cannot be sent finds the program ended.
    const std::optional<std::string> answer =
        sendAll(channel_, requestText(request)) ? readAnswerLine() : std::string();
    if (const std::optional<Outcome> told = answer ? parseAnswer(*answer) : std::nullopt) {
        return *told;
    }
    Outcome ended = Outcome::failure("the printing program " + endWithoutAnswer(answer));
    stop();
    return ended;
}

// Waits for a printing program that gave no answer to be read to end, and tells how it
// ended: one that gave none within the bound (nothing read) is killed, for it would never
// end by itself.
std::string PdfPrinter::endWithoutAnswer(const std::optional<std::string>& answer) {
    if (answer) return waitForEnd();
    ::kill(process_, SIGKILL);
    static_cast<void>(waitForEnd());
    return "did not answer within " + std::to_string(answerBound_.count()) + " s";
}

// The next answer line without its "\n": "" when the program ended first, nothing when the
// bound passed without one.
std::optional<std::string> PdfPrinter::readAnswerLine() {
    const auto deadline = std::chrono::steady_clock::now() + answerBound_;
    for (std::size_t end = pending_.find('\n'); end == std::string::npos;
         end = pending_.find('\n')) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd channel{channel_, POLLIN, 0};
        const int waitMilliseconds = static_cast<int>(
            std::clamp<std::int64_t>(left.count(), 0, std::numeric_limits<int>::max()));
        const int ready = waitMilliseconds > 0 ? ::poll(&channel, 1, waitMilliseconds) : 0;
        if (ready == 0) return std::nullopt;
        if (ready < 0) {
            if (errno == EINTR) continue;
            return std::string();
        }
        char buffer[ANSWER_READ_BYTES];
        const ssize_t got = ::recv(channel_, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return std::string();
        pending_.append(buffer, static_cast<std::size_t>(got));
    }
    const std::size_t end = pending_.find('\n');
    std::string line = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    return line;
}

// Ends the requests, so that the program stops QGIS and ends, and waits for it; how it ended.
std::string PdfPrinter::waitForEnd() {
    ::shutdown(channel_, SHUT_WR);
    int status = 0;
    while (::waitpid(process_, &status, 0) < 0 && errno == EINTR) {
    }
    process_ = -1;
    return exitStatusText(status);
}

void PdfPrinter::stop() {
    if (process_ >= 0) static_cast<void>(waitForEnd());
    if (channel_ >= 0) ::close(channel_);
    channel_ = -1;
    pending_.clear();
}

std::string printerUnavailableText(const std::string& reason) {
    return "sheetbasis: --pdf: PDFs are printed by QGIS, which cannot print here (" + reason +
           "): install the Debian package " + std::string(PRINTER_PACKAGE) +
           " (built from source: the Debian package " + std::string(QGIS_PACKAGE) +
           " and sheetbasis built with libqgis-dev)\n";
}

PrintRequest sheetPrintRequest(const SheetParameters& p) {
    const std::string name = sheetNameOf(p.setScale, p.yZone, p.xZone, p.sheetNumber, p.sheetType);
    return requestBeside(sheetProjectPath(layerFoldersOf(p.path).hyps, name));
}

PrintRequest indexPrintRequest(const std::string& outFolder) {
    return requestBeside(indexProjectPath(outFolder));
}

Outcome PrinterPool::start() {
    auto first = std::make_unique<PdfPrinter>();
    if (Outcome started = first->start(); !started) return started;
    const std::lock_guard<std::mutex> guard(mutex_);
    idle_.push_back(std::move(first));
    ++started_;
    return {};
}

std::unique_ptr<PdfPrinter> PrinterPool::takePrinter() {
    std::unique_lock<std::mutex> lock(mutex_);
    idleAgain_.wait(lock, [this] { return !idle_.empty() || started_ < MOST_PRINTERS; });
    if (idle_.empty()) {
        // A new one starts with its first request.
        auto printer = std::make_unique<PdfPrinter>();
        ++started_;
        return printer;
    }
    std::unique_ptr<PdfPrinter> printer = std::move(idle_.back());
    idle_.pop_back();
    return printer;
}

Outcome PrinterPool::print(const PrintRequest& request) {
    std::unique_ptr<PdfPrinter> printer = takePrinter();
    Outcome printed = printer->print(request);
    {
        const std::lock_guard<std::mutex> guard(mutex_);
        idle_.push_back(std::move(printer));
    }
    idleAgain_.notify_one();
    return printed;
}

SetRunReport printWrittenSheets(SetRunReport report, PrinterPool& printers, unsigned threads,
                                const ProgressReport& progress) {
    std::vector<PreparedSheet>& sheets = report.writtenSheets;
    const std::vector<TaskOutcome> outcomes = runInParallel(
        sheets.size(), std::min(threads, MOST_PRINTERS),
        [&](std::size_t i) {
            const Outcome printed = printers.print(sheetPrintRequest(sheets[i].parameters));
            return printed ? TaskOutcome{}
                           : TaskOutcome{ExitCode::GenerationFailed, printed.reason()};
        },
        ExitCode::GenerationFailed, progress, PROGRESS_INTERVAL);
    std::vector<PreparedSheet> printed;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        if (outcomes[i].exitCode == ExitCode::Done) {
            printed.push_back(std::move(sheets[i]));
            continue;
        }
        sheets[i].failure = outcomes[i];
        report.exitCode = std::max(report.exitCode, outcomes[i].exitCode);
        report.failed.push_back(std::move(sheets[i]));
    }
    report.written = printed.size();
    sheets = std::move(printed);
    return report;
}

}  // namespace sheetbasis

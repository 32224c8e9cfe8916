// Time of generating the example sheets: the generation alone (generateSheet) and a whole
// job-file run in process (reading the job, preparing folders, generating).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "TempFolder.h"
#include "app/GenerationDriver.h"
#include "app/ProgramFlow.h"
#include "app/ResultFolders.h"
#include "job/FileArg.h"
#include "output/BufferedFiles.h"

namespace sheetbasis {
namespace {

struct Example {
    const char* nom;
    const char* entries;
};

// The sheets of examples/: N-37-XXXVI at 1:200 000 in SK-42, N-37 at 1:1 000 000 in
// GSK-2011 from SK-42, the quadruple sheet T-37,38,39,40 at 1:2 500 000 in SK-95.
constexpr Example EXAMPLES[] = {
    {"N-37-XXXVI", "CS=CK-42;MapScale=200;"},
    {"N-37",
     "CS=\xC3"
     "CK-2011 / \xD1\xCA-42;MapScale=1000;"},
    {"T-37(4)", "CS=CK-95;MapScale=2500;"},
};

std::string writeJob(const TempFolder& tmp, const Example& e) {
    const auto job = tmp.path() / "job.txt";
    std::ofstream(job, std::ios::binary)
        << "Nom=" << e.nom << ";Path=" << (tmp.path() / "out").string() << ";" << e.entries;
    return job.string();
}

void generationOnly(benchmark::State& state) {
    TempFolder tmp;
    const Example& e = EXAMPLES[state.range(0)];
    SheetParameters p;
    if (readJobFileAndMakeFolder(writeJob(tmp, e), p) != JobStatus::Read) {
        state.SkipWithError("job not read");
        return;
    }
    for (auto _ : state) {
        ResultReplacement replacement;
        const ResultFolders folders = prepareResultFolders(p.path, replacement);
        if (folders.status != FolderStatus::Ready || !generateSheet(p, folders.layers) ||
            !replacement.commit([](const std::string& path) { return earlierEntryAt(path); })) {
            state.SkipWithError("generation failed");
            return;
        }
    }
    state.SetLabel(e.nom);
}

void wholeJobRun(benchmark::State& state) {
    TempFolder tmp;
    const Example& e = EXAMPLES[state.range(0)];
    const std::string job = writeJob(tmp, e);
    const char* argv[] = {"sheetbasis", job.c_str()};
    for (auto _ : state) {
        if (runMainProgram(2, argv, nullptr) != ExitCode::Done) {
            state.SkipWithError("job run failed");
            return;
        }
    }
    state.SetLabel(e.nom);
}

BENCHMARK(generationOnly)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(wholeJobRun)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sheetbasis

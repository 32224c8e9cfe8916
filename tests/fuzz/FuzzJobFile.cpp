// The whole job-file reader on arbitrary file contents, through a temporary file as the
// program meets it. readJobFile stops short of creating the result folder, so the fuzzer
// never makes folders named by its inputs.

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "job/FileArg.h"

namespace {

// The job file of this fuzzing process, removed when the process ends.
struct ScratchJobFile {
    std::string name = (std::filesystem::temp_directory_path() /
                        ("sheetbasis-fuzz-job-" + std::to_string(getpid())))
                           .string();
    ~ScratchJobFile() { std::remove(name.c_str()); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sheetbasis;
    static const ScratchJobFile scratch;
    const std::string& name = scratch.name;
    {
        std::ofstream out(name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    SheetParameters p;
    const auto status = readJobFile(name, p);
    if (status < JobStatus::Read || status > JobStatus::OutOfRange) std::abort();
    if (status == JobStatus::Read) {
        // A job that is accepted is complete and describes a usable trapezoid.
        const bool usable = !p.path.empty() && p.result.edges.west < p.result.edges.east &&
                            p.result.edges.south < p.result.edges.north &&
                            p.result.meridianStep > 0 && p.result.parallelStep > 0 &&
                            p.result.xMinute > 0 && p.result.yMinute > 0 &&
                            std::ranges::count(mapScalesOf(p.setScale), p.mapScale) == 1;
        if (!usable) std::abort();
    }
    return 0;
}

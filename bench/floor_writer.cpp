// The floor of a job run: a program that only makes the result folder with HYPS and FRAME
// and writes the same files with one write each. Their bytes are compiled in from
// floor_files.inc, which job_cost.py generates from a run of the program.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

struct FloorFile {
    const char* name;
    const unsigned char* bytes;
    unsigned long size;
};

#include "floor_files.inc"

constexpr mode_t FOLDER_MODE = 0777;
constexpr mode_t FILE_MODE = 0666;

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string out = argv[1];
    for (const std::string& folder : {out, out + "/HYPS", out + "/FRAME"}) {
        if (mkdir(folder.c_str(), FOLDER_MODE) != 0) return 1;
    }
    for (const FloorFile& file : FLOOR_FILES) {
        const int fd =
            open((out + "/" + file.name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, FILE_MODE);
        if (fd < 0 || write(fd, file.bytes, file.size) != static_cast<ssize_t>(file.size)) return 1;
        close(fd);
    }
    return 0;
}

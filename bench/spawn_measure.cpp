// Runs a command once and prints what it cost: wall time, CPU time (user + system) and
// peak resident set, as "wall_us cpu_us maxrss_kib exit_code". The child is forked from
// this small process, so its peak resident set is not inflated by a large parent's pages
// (a child forked from the Python driver would count the interpreter's until its exec).

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: spawn_measure COMMAND [ARGS...]\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const auto wall = std::chrono::steady_clock::now() - start;
    const long cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000L +
                     usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
    std::printf(
        "%lld %ld %ld %d\n",
        static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(wall).count()),
        cpu, usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return 0;
}

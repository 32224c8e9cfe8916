#include "app/InterfaceLauncher.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <system_error>

#include "app/ProgramFlow.h"

namespace sheetbasis {

std::filesystem::path interfaceProgramPath() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return self.parent_path() / INTERFACE_PROGRAM;
}

ExitCode startInterface(char** argv) {
    const std::filesystem::path program = interfaceProgramPath();
    ::execv(program.c_str(), argv);
    std::cerr << "sheetbasis: диалоговый режим недоступен (" << program.string() << ": "
              << std::strerror(errno) << "); укажите файл задания в командной строке" << std::endl;
    return ExitCode::NotDone;
}

}  // namespace sheetbasis

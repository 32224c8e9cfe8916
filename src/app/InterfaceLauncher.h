#pragma once
// The interactive interface is a program of its own (INTERFACE_PROGRAM) beside this one, so
// that job-file runs never load the window system's libraries.

#include <filesystem>
#include <string_view>

#include "app/ProgramFlow.h"

namespace sheetbasis {

// File name of the interface program, installed in the same folder as the main program.
inline constexpr std::string_view INTERFACE_PROGRAM = "sheetbasis-ui";

// The interface program beside the running one (found through /proc/self/exe, so that
// neither the working folder nor PATH matter).
std::filesystem::path interfaceProgramPath();

// Replaces this process by the interface program with the same arguments, so that its exit
// code is the program's. Returns only when that fails: says why on standard error and
// returns ExitCode::NotDone.
ExitCode startInterface(char** argv);

}  // namespace sheetbasis

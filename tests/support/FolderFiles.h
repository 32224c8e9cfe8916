#pragma once
// What a folder holds, as the tests of the file writers look at it.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace sheetbasis {

inline std::string fileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The names of the folder's entries.
inline std::set<std::string> namesIn(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

}  // namespace sheetbasis

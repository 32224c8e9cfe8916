#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it when
// the test ends.

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace sheetbasis {

class TempFolder {
  public:
    TempFolder() {
        std::random_device seed;
        const auto base = std::filesystem::temp_directory_path();
        do {
            path_ = base / ("sheetbasis-test-" + std::to_string(seed()));
        } while (!std::filesystem::create_directory(path_));
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace sheetbasis

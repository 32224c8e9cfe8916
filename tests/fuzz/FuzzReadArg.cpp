// readJobEntry on an arbitrary line: it either rejects the entry or consumes it, and the text
// it leaves never grows.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "job/FileArg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sheetbasis;
    SheetParameters p;
    setNotGivenMarkers(p);
    std::string text(reinterpret_cast<const char*>(data), size);
    for (int entries = 0; entries < 64 && !text.empty(); ++entries) {
        const std::size_t before = text.size();
        if (readJobEntry(text, p) != ValueStatus::Accepted) break;
        if (text.size() >= before) std::abort();
    }
    return 0;
}

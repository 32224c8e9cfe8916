#pragma once
// A zip archive of uncompressed ("stored") entries: what the users' GIS needs to read a
// project packed as it packs its own (a .qgz holding the .qgs), without a compression
// library in the program.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sheetbasis {

// The CRC-32 of bytes (the polynomial of zip, gzip and PNG, reflected, 0xEDB88320).
std::uint32_t crc32Of(std::string_view bytes);

struct ZipEntry {
    std::string name;  // UTF-8, with "/" between folders
    std::string_view bytes;
};

// The whole archive: each entry's local header and bytes, the central directory, its end.
// Entries and the archive stay below 4 GiB (no zip64); the times are those of 1980-01-01,
// so that the same entries give the same archive.
std::string storedZip(const std::vector<ZipEntry>& entries);

}  // namespace sheetbasis

#include "gpkg/StoredZip.h"

#include <array>

namespace sheetbasis {
namespace {

constexpr std::uint32_t CRC_POLYNOMIAL = 0xEDB88320U;
constexpr std::uint32_t LOCAL_HEADER_SIGNATURE = 0x04034B50U;
constexpr std::uint32_t CENTRAL_HEADER_SIGNATURE = 0x02014B50U;
constexpr std::uint32_t END_SIGNATURE = 0x06054B50U;
// Version 2.0 of the format reads stored entries; "made by" Unix (3) keeps the version.
constexpr std::uint16_t VERSION_NEEDED = 20;
constexpr std::uint16_t VERSION_MADE_BY = (3U << 8U) | VERSION_NEEDED;
// General purpose flag bit 11: the names are UTF-8.
constexpr std::uint16_t UTF8_NAMES = 1U << 11U;
constexpr std::uint16_t METHOD_STORED = 0;
// 1980-01-01 00:00 in the format's date (years since 1980, month, day) and time.
constexpr std::uint16_t DOS_DATE_1980 = (1U << 5U) | 1U;
constexpr std::uint16_t DOS_TIME_MIDNIGHT = 0;

std::array<std::uint32_t, 256> crcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < table.size(); ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1U) != 0 ? CRC_POLYNOMIAL ^ (c >> 1U) : c >> 1U;
        table[n] = c;
    }
    return table;
}

void put16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFFU);
    out += static_cast<char>((value >> 8U) & 0xFFU);
}

void put32(std::string& out, std::uint32_t value) {
    put16(out, value & 0xFFFFU);
    put16(out, value >> 16U);
}

// What the local and the central header share after their versions: flags, method, time,
// CRC, sizes and the name's length.
void putCommonFields(std::string& out, const ZipEntry& entry, std::uint32_t crc) {
    const auto size = static_cast<std::uint32_t>(entry.bytes.size());
    put16(out, UTF8_NAMES);
    put16(out, METHOD_STORED);
    put16(out, DOS_TIME_MIDNIGHT);
    put16(out, DOS_DATE_1980);
    put32(out, crc);
    put32(out, size);
    put32(out, size);
    put16(out, static_cast<std::uint32_t>(entry.name.size()));
}

}  // namespace

std::uint32_t crc32Of(std::string_view bytes) {
    static const std::array<std::uint32_t, 256> table = crcTable();
    std::uint32_t c = 0xFFFFFFFFU;
    for (const char byte : bytes) {
        c = table[(c ^ static_cast<unsigned char>(byte)) & 0xFFU] ^ (c >> 8U);
    }
    return c ^ 0xFFFFFFFFU;
}

std::string storedZip(const std::vector<ZipEntry>& entries) {
    std::string archive;
    std::string directory;
    for (const ZipEntry& entry : entries) {
        const std::uint32_t crc = crc32Of(entry.bytes);
        const auto offset = static_cast<std::uint32_t>(archive.size());
        put32(archive, LOCAL_HEADER_SIGNATURE);
        put16(archive, VERSION_NEEDED);
        putCommonFields(archive, entry, crc);
        put16(archive, 0);  // no extra field
        archive += entry.name;
        archive += entry.bytes;

        put32(directory, CENTRAL_HEADER_SIGNATURE);
        put16(directory, VERSION_MADE_BY);
        put16(directory, VERSION_NEEDED);
        putCommonFields(directory, entry, crc);
        put16(directory, 0);  // extra field
        put16(directory, 0);  // comment
        put16(directory, 0);  // disk number
        put16(directory, 0);  // internal attributes
        put32(directory, 0);  // external attributes
        put32(directory, offset);
        directory += entry.name;
    }
    const auto directoryOffset = static_cast<std::uint32_t>(archive.size());
    const auto count = static_cast<std::uint32_t>(entries.size());
    archive += directory;
    put32(archive, END_SIGNATURE);
    put16(archive, 0);  // this disk
    put16(archive, 0);  // the directory's disk
    put16(archive, count);
    put16(archive, count);
    put32(archive, static_cast<std::uint32_t>(directory.size()));
    put32(archive, directoryOffset);
    put16(archive, 0);  // no comment
    return archive;
}

}  // namespace sheetbasis

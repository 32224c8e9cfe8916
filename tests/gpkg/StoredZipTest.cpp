#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gpkg/StoredZip.h"

namespace sheetbasis {
namespace {

std::uint32_t littleEndian(const std::string& bytes, std::size_t at, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t k = 0; k < size; ++k) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + k])) << (8 * k);
    }
    return value;
}

// Check values of the CRC-32 of zip, as published with the algorithm and computed by
// zlib's crc32 and Python's binascii.crc32.
TEST(Crc32, matchesPublishedCheckValues) {
    const struct {
        std::string_view bytes;
        std::uint32_t crc;
    } cases[] = {
        {"", 0x00000000U},
        {"a", 0xE8B7BE43U},
        {"123456789", 0xCBF43926U},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339U},
        {std::string_view("\0\0\0\0", 4), 0x2144DF1CU},
    };
    for (const auto& c : cases) EXPECT_EQ(crc32Of(c.bytes), c.crc) << c.bytes;
}

// Read back as a reader does: from the end record to the central directory, from each of
// its headers to the local header, and from there to the bytes.
TEST(StoredZip, readsBackThroughTheCentralDirectory) {
    const std::string big(70000, 'x');
    const std::vector<ZipEntry> entries = {
        {"set.qgs", "<qgis/>"}, {"empty", ""}, {"папка/большой", big}};
    const std::string zip = storedZip(entries);
    constexpr std::size_t END_SIZE = 22;
    ASSERT_GE(zip.size(), END_SIZE);
    const std::size_t end = zip.size() - END_SIZE;
    ASSERT_EQ(littleEndian(zip, end, 4), 0x06054B50U);
    ASSERT_EQ(littleEndian(zip, end + 10, 2), entries.size());
    std::size_t central = littleEndian(zip, end + 16, 4);
    EXPECT_EQ(central + littleEndian(zip, end + 12, 4), end);
    for (const ZipEntry& entry : entries) {
        ASSERT_EQ(littleEndian(zip, central, 4), 0x02014B50U) << entry.name;
        const std::size_t nameLength = littleEndian(zip, central + 28, 2);
        EXPECT_EQ(zip.substr(central + 46, nameLength), entry.name);
        EXPECT_EQ(littleEndian(zip, central + 10, 2), 0U) << "stored, not compressed";
        EXPECT_EQ(littleEndian(zip, central + 16, 4), crc32Of(entry.bytes));
        const std::size_t local = littleEndian(zip, central + 42, 4);
        ASSERT_EQ(littleEndian(zip, local, 4), 0x04034B50U) << entry.name;
        const std::size_t size = littleEndian(zip, local + 18, 4);
        const std::size_t dataAt =
            local + 30 + littleEndian(zip, local + 26, 2) + littleEndian(zip, local + 28, 2);
        EXPECT_EQ(zip.substr(dataAt, size), entry.bytes) << entry.name;
        central += 46 + nameLength + littleEndian(zip, central + 30, 2) +
                   littleEndian(zip, central + 32, 2);
    }
}

}  // namespace
}  // namespace sheetbasis

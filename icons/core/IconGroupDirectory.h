#pragma once
// The directory of an RT_GROUP_ICON resource: a 6-byte header (reserved 0, type 1, count) and
// 14-byte entries that name the RT_ICON images by id.

#include "icons/core/ByteReader.h"

#include <cstdint>

namespace tsu {

struct IconGroupEntry {
    uint8_t width = 0; // 0 means 256
    uint8_t height = 0;
    uint8_t colorCount = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t bytesInRes = 0;
    uint16_t id = 0;
};

class IconGroupDirectory {
public:
    static constexpr uint64_t kHeaderBytes = 6;
    static constexpr uint64_t kEntryBytes = 14;

    // Accepts reserved 0, type 1 and at least one entry, with every entry inside the data. The
    // platform's best-image look-up trusts the count, so a group that claims more entries than
    // it holds must never reach it.
    [[nodiscard]] bool Parse(ByteReader group);

    [[nodiscard]] uint16_t Count() const { return m_count; }
    [[nodiscard]] IconGroupEntry Entry(uint16_t position) const;
    // Header and entries only: what the best-image look-up may read.
    [[nodiscard]] ByteReader Bytes() const { return m_bytes; }

private:
    ByteReader m_bytes;
    uint16_t m_count = 0;
};

} // namespace tsu

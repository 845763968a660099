#include "icons/core/IconGroupDirectory.h"

namespace tsu {

namespace {
constexpr uint16_t kGroupTypeIcon = 1;
}

bool IconGroupDirectory::Parse(ByteReader group) {
    *this = IconGroupDirectory();
    uint16_t reserved = 1;
    uint16_t type = 0;
    uint16_t count = 0;
    if (!group.ReadU16(0, reserved) || !group.ReadU16(2, type) || !group.ReadU16(4, count))
        return false;
    if (reserved != 0 || type != kGroupTypeIcon || count == 0)
        return false;
    const std::optional<ByteReader> bytes = group.Sub(0, kHeaderBytes + count * kEntryBytes);
    if (!bytes)
        return false;
    m_bytes = *bytes;
    m_count = count;
    return true;
}

IconGroupEntry IconGroupDirectory::Entry(uint16_t position) const {
    IconGroupEntry entry;
    if (position >= m_count)
        return entry;
    const uint64_t at = kHeaderBytes + position * kEntryBytes;
    uint8_t reserved = 0;
    // Parse() checked that every entry lies inside the bytes, so these reads cannot fail.
    (void)m_bytes.ReadU8(at, entry.width);
    (void)m_bytes.ReadU8(at + 1, entry.height);
    (void)m_bytes.ReadU8(at + 2, entry.colorCount);
    (void)m_bytes.ReadU8(at + 3, reserved);
    (void)m_bytes.ReadU16(at + 4, entry.planes);
    (void)m_bytes.ReadU16(at + 6, entry.bitCount);
    (void)m_bytes.ReadU32(at + 8, entry.bytesInRes);
    (void)m_bytes.ReadU16(at + 12, entry.id);
    return entry;
}

} // namespace tsu

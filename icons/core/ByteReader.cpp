#include "icons/core/ByteReader.h"

namespace tsu {

bool ByteReader::Contains(uint64_t offset, uint64_t length) const {
    return offset <= m_size && length <= m_size - offset;
}

bool ByteReader::Readable(uint64_t offset, uint64_t length) const {
    return Contains(offset, length) && (!m_source || m_source->Load(m_origin + offset, length));
}

bool ByteReader::ReadU8(uint64_t offset, uint8_t& value) const {
    if (!Readable(offset, 1))
        return false;
    value = m_data[offset];
    return true;
}

bool ByteReader::ReadU16(uint64_t offset, uint16_t& value) const {
    if (!Readable(offset, 2))
        return false;
    const uint8_t* p = m_data + offset;
    value = static_cast<uint16_t>(p[0] | (p[1] << 8));
    return true;
}

bool ByteReader::ReadU32(uint64_t offset, uint32_t& value) const {
    if (!Readable(offset, 4))
        return false;
    const uint8_t* p = m_data + offset;
    value = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
            (static_cast<uint32_t>(p[3]) << 24);
    return true;
}

bool ByteReader::ReadI32(uint64_t offset, int32_t& value) const {
    uint32_t raw = 0;
    if (!ReadU32(offset, raw))
        return false;
    value = static_cast<int32_t>(raw);
    return true;
}

std::optional<ByteReader> ByteReader::Sub(uint64_t offset, uint64_t length) const {
    if (!Readable(offset, length))
        return std::nullopt;
    ByteReader part(m_data + offset, static_cast<size_t>(length), m_source);
    part.m_origin = m_origin + offset;
    return part;
}

} // namespace tsu

#pragma once
// A bounds-checked, read-only view of bytes (a mapped file, one resource) with little-endian
// reads. Every offset and length is checked against the view before use; offsets are 64-bit so
// that offset + length cannot wrap around for any 32-bit value taken from a file. A view over a
// ByteSource asks it for every range before reading it (views cut from it with Sub too); bytes
// the source cannot bring in count as lying outside the view.

#include "icons/core/ByteSource.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace tsu {

class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const uint8_t* data, size_t size) : m_data(data), m_size(data ? size : 0) {}
    ByteReader(const uint8_t* data, size_t size, ByteSource* source)
        : m_data(data), m_size(data ? size : 0), m_source(source) {}

    [[nodiscard]] const uint8_t* Data() const { return m_data; }
    [[nodiscard]] size_t Size() const { return m_size; }

    // True when [offset, offset + length) lies inside the view (loads nothing).
    [[nodiscard]] bool Contains(uint64_t offset, uint64_t length) const;

    [[nodiscard]] bool ReadU8(uint64_t offset, uint8_t& value) const;
    [[nodiscard]] bool ReadU16(uint64_t offset, uint16_t& value) const;
    [[nodiscard]] bool ReadU32(uint64_t offset, uint32_t& value) const;
    [[nodiscard]] bool ReadI32(uint64_t offset, int32_t& value) const;

    // The part [offset, offset + length), or nothing when it does not lie inside the view.
    [[nodiscard]] std::optional<ByteReader> Sub(uint64_t offset, uint64_t length) const;

private:
    // Inside the view and, over a source, brought in.
    [[nodiscard]] bool Readable(uint64_t offset, uint64_t length) const;

    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
    ByteSource* m_source = nullptr;
    uint64_t m_origin = 0; // where this view starts in the source's bytes
};

} // namespace tsu

#pragma once
// Where the bytes behind a ByteReader come from when they are brought in only on first use (a
// large file read in pieces instead of whole).

#include <cstdint>

namespace tsu {

class ByteSource {
public:
    // Makes [offset, offset + length) of the whole view readable; false when those bytes cannot
    // be had (the file shrank, a read failed). Called with ranges inside the view only.
    [[nodiscard]] virtual bool Load(uint64_t offset, uint64_t length) = 0;

protected:
    ~ByteSource() = default;
};

} // namespace tsu

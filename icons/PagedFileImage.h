#pragma once
// A file's bytes read in pieces on first use, for a reader that needs only a few parts of a large
// file (the resource tree and one icon of a library of many megabytes). The memory for the whole
// file is reserved at once; only the pages of pieces read are ever touched.

#include "icons/core/ByteReader.h"
#include "icons/core/ByteSource.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace tsu {

class PagedFileImage final : public ByteSource {
public:
    PagedFileImage() = default;
    ~PagedFileImage();
    PagedFileImage(const PagedFileImage&) = delete;
    PagedFileImage& operator=(const PagedFileImage&) = delete;

    // Room for `size` bytes of the file (open for reading, kept open by the caller for this
    // object's lifetime); nothing is read yet.
    [[nodiscard]] bool Open(HANDLE file, uint64_t size);
    // A view of the whole file whose reads bring their pieces in.
    [[nodiscard]] ByteReader View();

    [[nodiscard]] bool Load(uint64_t offset, uint64_t length) override;

private:
    [[nodiscard]] bool ReadPiece(size_t piece);

    HANDLE m_file = nullptr;
    uint8_t* m_bytes = nullptr;
    uint64_t m_size = 0;
    std::vector<uint8_t> m_state; // per piece: 0 not read, 1 read, 2 the read failed
};

} // namespace tsu

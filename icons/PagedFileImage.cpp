#include "icons/PagedFileImage.h"

#include <algorithm>

namespace tsu {

namespace {
constexpr uint64_t kPieceBytes = 16 * 1024;
constexpr uint8_t kNotRead = 0;
constexpr uint8_t kRead = 1;
constexpr uint8_t kFailed = 2;
} // namespace

PagedFileImage::~PagedFileImage() {
    if (m_bytes)
        (void)::VirtualFree(m_bytes, 0, MEM_RELEASE);
}

bool PagedFileImage::Open(HANDLE file, uint64_t size) {
    if (m_bytes || !file || file == INVALID_HANDLE_VALUE || size == 0 || size > SIZE_MAX)
        return false;
    // Committed but untouched pages cost no memory until first written.
    m_bytes = static_cast<uint8_t*>(
        ::VirtualAlloc(nullptr, static_cast<size_t>(size), MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (!m_bytes)
        return false;
    m_file = file;
    m_size = size;
    m_state.assign(static_cast<size_t>((size + kPieceBytes - 1) / kPieceBytes), kNotRead);
    return true;
}

ByteReader PagedFileImage::View() {
    return ByteReader(m_bytes, static_cast<size_t>(m_size), this);
}

bool PagedFileImage::Load(uint64_t offset, uint64_t length) {
    if (!m_bytes || offset > m_size || length > m_size - offset)
        return false;
    if (length == 0)
        return true;
    const size_t last = static_cast<size_t>((offset + length - 1) / kPieceBytes);
    for (size_t piece = static_cast<size_t>(offset / kPieceBytes); piece <= last; ++piece) {
        if (m_state[piece] == kNotRead)
            m_state[piece] = ReadPiece(piece) ? kRead : kFailed;
        if (m_state[piece] != kRead)
            return false;
    }
    return true;
}

bool PagedFileImage::ReadPiece(size_t piece) {
    const uint64_t start = piece * kPieceBytes;
    const uint64_t end = std::min(m_size, start + kPieceBytes);
    for (uint64_t at = start; at < end;) {
        // The position goes with the read: the file pointer is not this object's to move.
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(at);
        position.OffsetHigh = static_cast<DWORD>(at >> 32);
        DWORD read = 0;
        if (!::ReadFile(m_file, m_bytes + at, static_cast<DWORD>(end - at), &read, &position) || read == 0)
            return false; // the file shrank or cannot be read
        at += read;
    }
    return true;
}

} // namespace tsu

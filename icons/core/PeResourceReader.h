#pragma once
// Reads the resource tree of a PE image (executable or library) held as bytes, without loading
// it as a module. Handles both optional-header layouts (PE32 and PE32+). Every offset and size
// taken from the file is checked against the file before it is used, so a truncated or hostile
// file gives "not found", never a read outside the bytes.

#include "icons/core/ByteReader.h"

#include <cstdint>
#include <optional>

namespace tsu {

constexpr uint16_t kResourceTypeIcon = 3;       // RT_ICON
constexpr uint16_t kResourceTypeGroupIcon = 14; // RT_GROUP_ICON

class PeResourceReader {
public:
    // What the loader asks of any module, resources or not: the DOS header's mark, and the PE
    // signature where the DOS header points, inside the file.
    [[nodiscard]] static bool HasPeSignature(ByteReader file);

    // Checks the headers and locates the resource directory. False when the bytes are no PE
    // image or it has no resource directory that lies inside the file.
    [[nodiscard]] bool Open(ByteReader file);

    // Named plus numbered entries under a resource type; 0 when the type is absent.
    [[nodiscard]] uint32_t CountEntries(uint16_t type) const;

    // The data of the resource at position `position` (named entries first, as stored) under the
    // type, or of the first one whose numeric id is `id`. For a name with several languages
    // the first language is taken. Nothing when it is absent or any part lies outside the file.
    [[nodiscard]] std::optional<ByteReader> FindByPosition(uint16_t type, uint32_t position) const;
    [[nodiscard]] std::optional<ByteReader> FindById(uint16_t type, uint32_t id) const;

    // The file position of a relative virtual address, through the section table.
    [[nodiscard]] std::optional<uint64_t> RvaToOffset(uint32_t rva) const;

    [[nodiscard]] bool IsPe32Plus() const { return m_pe32Plus; }

private:
    struct Directory {
        uint64_t offset = 0; // from the start of the resource directory
        uint32_t entryCount = 0;
    };
    struct Entry {
        uint32_t name = 0;
        uint32_t target = 0;
    };

    [[nodiscard]] std::optional<Directory> ReadDirectory(uint64_t offset) const;
    [[nodiscard]] std::optional<Entry> ReadEntry(const Directory& directory, uint32_t position) const;
    [[nodiscard]] std::optional<Directory> TypeDirectory(uint16_t type) const;
    [[nodiscard]] std::optional<ByteReader> ResolveNameEntry(const Entry& entry) const;

    ByteReader m_file;
    uint64_t m_sectionTable = 0;
    uint16_t m_sectionCount = 0;
    uint64_t m_resourceBase = 0; // file position of the resource directory
    bool m_pe32Plus = false;
};

} // namespace tsu

#pragma once
// The identity of every item an analysis listed (volume and file number, read through a handle
// that does not follow links), and deletion that removes an item only when the object at its path
// is still that item. Deletion goes through the handle it checked, so nothing can be swapped in
// between the check and the delete. Copyable: a deletion worker takes its own copy.

#include "smart/core/ItemIdentity.h"

#include <string>
#include <unordered_map>

namespace tsu {

class AnalysedItems {
public:
    enum class Outcome {
        Vanished,   // nothing at the path any more: counts nowhere
        Deleted,    // a file, deleted
        Failed,     // not deleted: in use, read-only, no analysed item, or no longer the analysed one
        FolderDone, // a folder, removed when it was empty and kept otherwise: counts nowhere
    };

    explicit AnalysedItems(std::wstring startMenuRoot) : m_startMenuRoot(std::move(startMenuRoot)) { Clear(); }

    // Forgets every item and the analysed folder (a new analysis begins).
    void Clear();
    // Items described as related files from now on lie below this folder.
    void SetAnalysedFolder(const std::wstring& folder);
    // Notes what is at path now. An item that cannot be read, or that is not where its description
    // says (a start-menu item outside the start menu, a file outside the analysed folder), is not
    // noted, so it is never deleted.
    void Record(const std::wstring& path, const wchar_t* description);

    // Deletes the item at path if it is still the analysed one.
    [[nodiscard]] Outcome Delete(const std::wstring& path) const;

private:
    // The final path of a scope folder, read once per analysis; empty when it cannot be read.
    struct Scope {
        std::wstring path;
        std::wstring finalPath;
        bool read = false;
    };
    const std::wstring& ScopeRoot(Scope& scope);

    std::wstring m_startMenuRoot;
    Scope m_startMenu;
    Scope m_folder;
    std::unordered_map<std::wstring, ItemRecord> m_records;
};

} // namespace tsu

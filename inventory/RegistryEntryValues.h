#pragma once
// The values of one registry key that a reader asks for by name, read in one pass over the key's
// values: every query is a round trip to the registry, and an uninstall entry holds fewer values
// than the scan asks about. Gives the same text and numbers as ReadRegistryText and
// ReadRegistryDword; a key it cannot read that way (one with very many values or with names it
// cannot compare as the registry does) is read with one query per name instead.

#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

namespace tsu {

class RegistryEntryValues {
public:
    static constexpr size_t kMaxNames = 12;

    // names: at most kMaxNames ASCII names, kept by pointer (string literals); text values are read
    // with a buffer of textBufferBytes. The key must stay open while the object is used.
    RegistryEntryValues(HKEY key, std::initializer_list<const wchar_t*> names, size_t textBufferBytes);

    // As ReadRegistryText / ReadRegistryTextOrEmpty / ReadRegistryDword of one of the names.
    [[nodiscard]] std::optional<std::wstring> Text(const wchar_t* name) const;
    [[nodiscard]] std::wstring TextOrEmpty(const wchar_t* name) const;
    [[nodiscard]] uint32_t Dword(const wchar_t* name) const;

private:
    struct Slot {
        const wchar_t* name = nullptr;
        bool found = false;
        bool fitsText = false; // no more than the text buffer
        std::wstring text;
        bool fitsDword = false; // no more than four bytes
        uint32_t dword = 0;
    };

    bool ReadInOnePass();
    [[nodiscard]] Slot* FindSlot(const wchar_t* name, size_t chars);
    [[nodiscard]] const Slot* SlotOf(const wchar_t* name) const;

    HKEY m_key;
    size_t m_textBytes;
    std::array<Slot, kMaxNames> m_slots{};
    size_t m_slotCount = 0;
    bool m_onePass = false; // false: each value is queried by name when asked for
};

} // namespace tsu

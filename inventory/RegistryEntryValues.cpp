#include "inventory/RegistryEntryValues.h"

#include "inventory/RegistryValue.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace tsu {

namespace {
// More values than installers write: querying the few names asked for costs less than the pass.
constexpr DWORD kOnePassValueLimit = 48;
// Longer than every name asked for: a longer name is simply not one of them.
constexpr DWORD kNameChars = 64;

bool IsAscii(const wchar_t* text, size_t chars) {
    return std::all_of(text, text + chars, [](wchar_t c) { return c < 0x80; });
}

wchar_t AsciiUpper(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}
} // namespace

RegistryEntryValues::RegistryEntryValues(HKEY key, std::initializer_list<const wchar_t*> names, size_t textBufferBytes)
    : m_key(key), m_textBytes(std::min(textBufferBytes, kLargestRegistryTextBytes)) {
    for (const wchar_t* name : names) {
        if (m_slotCount == kMaxNames)
            break;
        m_slots[m_slotCount++].name = name;
    }
    m_onePass = ReadInOnePass();
}

bool RegistryEntryValues::ReadInOnePass() {
    DWORD valueCount = 0;
    if (::RegQueryInfoKeyW(m_key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &valueCount, nullptr, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS ||
        valueCount > kOnePassValueLimit)
        return false;
    std::array<wchar_t, kNameChars + 1> name{};
    std::array<wchar_t, kLargestRegistryTextBytes / sizeof(wchar_t) + 1> data{};
    for (DWORD index = 0; index < valueCount; ++index) {
        DWORD nameChars = static_cast<DWORD>(name.size());
        // One character more than the text may fill, as the query by name allows.
        DWORD bytes = static_cast<DWORD>(m_textBytes + sizeof(wchar_t));
        LSTATUS status = ::RegEnumValueW(m_key, index, name.data(), &nameChars, nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(data.data()), &bytes);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        bool tooLong = false;
        if (status == ERROR_MORE_DATA) {
            // The name or the data did not fit: the name alone tells which.
            nameChars = static_cast<DWORD>(name.size());
            status = ::RegEnumValueW(m_key, index, name.data(), &nameChars, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_MORE_DATA)
                continue; // longer than any name asked for
            tooLong = true;
        }
        if (status != ERROR_SUCCESS)
            return false;
        // The registry compares names without case by its own table; only ASCII is compared here.
        if (!IsAscii(name.data(), nameChars))
            return false;
        Slot* slot = FindSlot(name.data(), nameChars);
        if (!slot)
            continue;
        slot->found = true;
        slot->fitsText = !tooLong && bytes <= m_textBytes;
        if (slot->fitsText)
            slot->text = RegistryBytesToText(data.data(), bytes);
        slot->fitsDword = !tooLong && bytes <= sizeof(uint32_t);
        if (slot->fitsDword)
            std::memcpy(&slot->dword, data.data(), bytes);
    }
    return true;
}

RegistryEntryValues::Slot* RegistryEntryValues::FindSlot(const wchar_t* name, size_t chars) {
    for (size_t i = 0; i < m_slotCount; ++i) {
        const wchar_t* wanted = m_slots[i].name;
        if (std::wcslen(wanted) != chars)
            continue;
        if (std::equal(name, name + chars, wanted, [](wchar_t a, wchar_t b) { return AsciiUpper(a) == AsciiUpper(b); }))
            return &m_slots[i];
    }
    return nullptr;
}

const RegistryEntryValues::Slot* RegistryEntryValues::SlotOf(const wchar_t* name) const {
    for (size_t i = 0; i < m_slotCount; ++i) {
        if (std::wcscmp(m_slots[i].name, name) == 0)
            return &m_slots[i];
    }
    return nullptr;
}

std::optional<std::wstring> RegistryEntryValues::Text(const wchar_t* name) const {
    const Slot* slot = m_onePass ? SlotOf(name) : nullptr;
    if (!slot)
        return ReadRegistryText(m_key, name, m_textBytes);
    if (!slot->found || !slot->fitsText)
        return std::nullopt;
    return slot->text;
}

std::wstring RegistryEntryValues::TextOrEmpty(const wchar_t* name) const {
    return Text(name).value_or(std::wstring());
}

uint32_t RegistryEntryValues::Dword(const wchar_t* name) const {
    const Slot* slot = m_onePass ? SlotOf(name) : nullptr;
    if (!slot)
        return ReadRegistryDword(m_key, name);
    return slot->found && slot->fitsDword ? slot->dword : 0;
}

} // namespace tsu

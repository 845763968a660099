#pragma once
// A fixed number of icon handle slots for ExtractIconsFromFile, owning every icon put there:
// all slots that hold a handle are destroyed with the room, not only the one the caller used.

#include <windows.h>

#include <cstddef>
#include <vector>

namespace tsu {

class IconHandleRoom {
public:
    explicit IconHandleRoom(size_t slots) : m_icons(slots, nullptr) {}
    ~IconHandleRoom() { DestroyAll(); }
    IconHandleRoom(const IconHandleRoom&) = delete;
    IconHandleRoom& operator=(const IconHandleRoom&) = delete;

    [[nodiscard]] HICON* Slots() { return m_icons.data(); }
    [[nodiscard]] UINT Capacity() const { return static_cast<UINT>(m_icons.size()); }
    [[nodiscard]] HICON At(size_t slot) const { return slot < m_icons.size() ? m_icons[slot] : nullptr; }

    void DestroyAll() {
        for (HICON& icon : m_icons) {
            if (icon)
                ::DestroyIcon(icon);
            icon = nullptr;
        }
    }

private:
    std::vector<HICON> m_icons;
};

} // namespace tsu

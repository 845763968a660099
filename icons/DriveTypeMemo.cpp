#include "icons/DriveTypeMemo.h"

#include <array>
#include <mutex>

namespace tsu {

namespace {

constexpr size_t kLetters = 26;
constexpr UINT kNotAsked = static_cast<UINT>(-1); // GetDriveTypeW answers 0 to 6

struct Memo {
    std::mutex lock;
    size_t holders = 0;
    std::array<UINT, kLetters> types{};
};

Memo& TheMemo() {
    static Memo memo;
    return memo;
}

UINT AskSystem(wchar_t letter) {
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    return ::GetDriveTypeW(root);
}

} // namespace

DriveTypeMemo::DriveTypeMemo() {
    Memo& memo = TheMemo();
    const std::lock_guard<std::mutex> hold(memo.lock);
    if (memo.holders++ == 0)
        memo.types.fill(kNotAsked);
}

DriveTypeMemo::~DriveTypeMemo() {
    Memo& memo = TheMemo();
    const std::lock_guard<std::mutex> hold(memo.lock);
    --memo.holders;
}

UINT DriveTypeMemo::DriveType(wchar_t letter) {
    const wchar_t upper = (letter >= L'a' && letter <= L'z') ? static_cast<wchar_t>(letter - L'a' + L'A') : letter;
    if (upper < L'A' || upper > L'Z')
        return AskSystem(letter);
    const size_t slot = static_cast<size_t>(upper - L'A');
    Memo& memo = TheMemo();
    {
        const std::lock_guard<std::mutex> hold(memo.lock);
        if (memo.holders == 0)
            return AskSystem(upper);
        if (memo.types[slot] != kNotAsked)
            return memo.types[slot];
    }
    // Asked without the lock: other threads go on meanwhile, and at worst two ask the same.
    const UINT type = AskSystem(upper);
    const std::lock_guard<std::mutex> hold(memo.lock);
    if (memo.holders != 0)
        memo.types[slot] = type;
    return type;
}

} // namespace tsu

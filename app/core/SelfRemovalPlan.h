#pragma once
// What the tool removes of itself when it closes normally, decided without touching anything.
// Portable.
//
// Only the tool's own files go: the executable, the feedback library beside it, and the picture
// cache "\Image\" (the numbered PNG files this run wrote; the folder only when that leaves it
// empty). The tool's folder is removed only when nothing else is left in it. Nothing is removed
// at all when the folder is a drive or share root, or its path is one the command interpreter
// could misread ("%" expands even inside quotes) or was cut at the path buffer.

#include <string>
#include <string_view>

namespace tsu {

enum class SelfRemovalVerdict {
    Remove,
    PathCut,         // the module path filled its buffer: the real path is longer
    NotAbsolute,     // not "X:\..." or "\\server\share\..."
    RootFolder,      // a drive or share root
    UnsafeCharacter, // "%", a double quote, a control character, or the "\\?\" form cmd cannot read
    NoFileName,
};

struct SelfRemovalPlan {
    SelfRemovalVerdict verdict = SelfRemovalVerdict::NotAbsolute;
    std::wstring folder;         // without trailing "\"
    std::wstring executablePath; // folder + "\" + the executable's name
    std::wstring libraryPath;    // folder + "\VeltorFeedbackInformation.dll"
    std::wstring cacheFolder;    // folder + "\Image"
    // The arguments for cmd.exe ("/D /C ...": no AutoRun command runs first): waits until its
    // standard input ends (the tool holds the other end of that pipe until it exits), then
    // deletes the two files and removes the folder if it is empty. Empty unless verdict is Remove.
    std::wstring commandParameters;

    [[nodiscard]] bool ShouldRemove() const { return verdict == SelfRemovalVerdict::Remove; }
};

// modulePath: the executable's full path as GetModuleFileNameW gave it; pathWasCut: the call
// filled its whole buffer (the path may be longer than what was read).
[[nodiscard]] SelfRemovalPlan PlanSelfRemoval(std::wstring_view modulePath, bool pathWasCut);

// The pictures the tool itself writes into "\Image\": a decimal number and ".png" ("0.png",
// "17.png"), letter case ignored. Anything else in that folder is left alone.
[[nodiscard]] bool IsCachePictureName(std::wstring_view fileName);

} // namespace tsu

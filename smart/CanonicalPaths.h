#pragma once
// The one spelling of a local path, from the file system: what the analysis's guards compare.

#include <optional>
#include <string>
#include <vector>

namespace tsu {

// The names UNC paths may give this computer: its NetBIOS name, DNS host name and fully
// qualified DNS name (those the system reports).
[[nodiscard]] std::vector<std::wstring> OwnComputerNames();

enum class LinkRule {
    Resolve, // the path's real place, wherever links lead
    Refuse,  // nothing when the path or a folder above it is a junction, symbolic link or mount point
};

// An existing local file or folder as "X:\Long Name\..." : the text rules of CanonicalPathText
// (local administrative shares become drives), the full path, 8.3 names expanded, and the final
// path of the opened object. Nothing when the path is on another machine, does not exist, cannot
// be opened, or (LinkRule::Refuse) passes through a link.
[[nodiscard]] std::optional<std::wstring> CanonicalLocalPath(const std::wstring& path, LinkRule links);

// Both paths open, and they open the same file or folder (volume and file index).
[[nodiscard]] bool IsSameFile(const std::wstring& a, const std::wstring& b);

} // namespace tsu

#pragma once
// Who the tool is to the feedback library. Portable.

namespace tsu {

// The identifier always goes first, the version second.
inline constexpr wchar_t kToolId[] = L"10100";
inline constexpr wchar_t kToolVersion[] = L"1.0.20.1116";
inline constexpr wchar_t kToolTitle[] = L"软件卸载工具";
inline constexpr wchar_t kExecutableName[] = L"TarrowSoftwareUninstall.exe";
inline constexpr wchar_t kFeedbackLibraryName[] = L"VeltorFeedbackInformation.dll";
// The folder beside the executable where the pictures of the program list are cached.
inline constexpr wchar_t kImageCacheFolderName[] = L"Image";

} // namespace tsu

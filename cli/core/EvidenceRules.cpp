#include "cli/core/EvidenceRules.h"

#include "core/TextRules.h"
#include "core/PathText.h"
#include "uninstall/engine/core/StaleEntryRules.h"

#include <algorithm>

namespace tsu {

namespace {

bool IsHexDigit(wchar_t c) {
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
bool IsProductCode(std::wstring_view text) {
    constexpr std::wstring_view kShape = L"{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
    if (text.size() != kShape.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (kShape[i] == L'X' ? !IsHexDigit(text[i]) : text[i] != kShape[i])
            return false;
    }
    return true;
}

std::wstring Counted(size_t count, const wchar_t* one, const wchar_t* many) {
    return std::to_wstring(count) + L" " + (count == 1 ? one : many);
}

std::wstring WithoutDevicePrefix(std::wstring_view path) {
    constexpr std::wstring_view kPrefix = L"\\??\\";
    if (path.substr(0, kPrefix.size()) == kPrefix)
        path.remove_prefix(kPrefix.size());
    return std::wstring(path);
}

bool InFolder(std::wstring_view path, std::wstring_view folder) {
    return !path.empty() && (SamePath(path, folder) || IsPathBelow(path, folder));
}

} // namespace

nlohmann::ordered_json EvidenceJson(const ProgramEvidence& evidence) {
    nlohmann::ordered_json json;
    json["entry"] = evidence.entryGone ? "gone" : "present";
    json["installerRegistration"] = nullptr;
    if (evidence.installerRegistered)
        json["installerRegistration"] = *evidence.installerRegistered ? "present" : "gone";
    json["folder"] = nullptr;
    if (evidence.folder) {
        json["folder"]["path"] = ToUtf8(evidence.folder->path);
        json["folder"]["exists"] = evidence.folder->exists;
        json["folder"]["filesLeft"] = evidence.folder->filesLeft;
    }
    json["shortcuts"] = nlohmann::ordered_json::array();
    for (const std::wstring& shortcut : evidence.shortcuts)
        json["shortcuts"].push_back(ToUtf8(shortcut));
    json["restartPending"] = evidence.restartPending;
    return json;
}

std::wstring EvidenceSummary(const ProgramEvidence& evidence) {
    std::wstring text = evidence.entryGone ? L"entry gone" : L"entry present";
    if (evidence.installerRegistered)
        text += *evidence.installerRegistered ? L"; installer registration present" : L"; installer registration gone";
    if (evidence.folder) {
        if (!evidence.folder->exists)
            text += L"; folder gone";
        else
            text += L"; folder " + Counted(evidence.folder->filesLeft, L"file", L"files") +
                    (evidence.folder->filesLeft >= kMaxFilesCounted ? L" or more" : L"");
    }
    if (!evidence.shortcuts.empty())
        text += L"; " + Counted(evidence.shortcuts.size(), L"shortcut", L"shortcuts");
    if (evidence.restartPending)
        text += L"; restart pending";
    return text;
}

std::optional<std::wstring> InstallerProductCode(std::wstring_view relativeKeyPath, std::wstring_view uninstallString) {
    const size_t slash = relativeKeyPath.rfind(L'\\');
    const std::wstring_view name =
        slash == std::wstring_view::npos ? relativeKeyPath : relativeKeyPath.substr(slash + 1);
    if (!IsProductCode(name) || !IsWindowsInstallerCommand(uninstallString))
        return std::nullopt;
    return std::wstring(name);
}

std::wstring PackedProductCode(std::wstring_view productCode) {
    if (!IsProductCode(productCode))
        return std::wstring();
    std::wstring digits;
    for (wchar_t c : productCode) {
        if (IsHexDigit(c))
            digits += c;
    }
    digits = ToUpperAscii(digits);
    std::wstring packed;
    for (const auto& [from, count] : {std::pair<size_t, size_t>{0, 8}, {8, 4}, {12, 4}}) {
        std::wstring group = digits.substr(from, count);
        std::reverse(group.begin(), group.end());
        packed += group;
    }
    for (size_t i = 16; i + 1 < digits.size(); i += 2) {
        packed += digits[i + 1];
        packed += digits[i];
    }
    return packed;
}

std::vector<PendingRename> ParsePendingRenames(std::wstring_view multiSz) {
    std::vector<std::wstring_view> strings;
    while (!multiSz.empty()) {
        const size_t end = std::min(multiSz.find(L'\0'), multiSz.size());
        strings.push_back(multiSz.substr(0, end));
        multiSz.remove_prefix(std::min(end + 1, multiSz.size()));
    }
    std::vector<PendingRename> renames;
    // An empty source is the list's end; an empty target is a delete.
    for (size_t i = 0; i + 1 < strings.size() && !strings[i].empty(); i += 2) {
        std::wstring_view target = strings[i + 1];
        if (!target.empty() && target.front() == L'!')
            target.remove_prefix(1);
        renames.push_back({WithoutDevicePrefix(strings[i]), WithoutDevicePrefix(target)});
    }
    return renames;
}

bool IsRestartPendingIn(const std::vector<PendingRename>& renames, std::wstring_view folder) {
    if (folder.empty())
        return false;
    return std::any_of(renames.begin(), renames.end(), [&](const PendingRename& rename) {
        return InFolder(rename.source, folder) || InFolder(rename.target, folder);
    });
}

int UninstallExitCode(bool unknownName, const std::vector<ProgramOutcome>& outcomes) {
    if (unknownName)
        return kExitUnknownName;
    bool restart = false;
    for (const ProgramOutcome& outcome : outcomes) {
        if (outcome.state != FinalState::Removed)
            return kExitNotAllRemoved;
        restart = restart || outcome.restartPending || outcome.uninstallerExitCode == kExitCodeRestartRequired;
    }
    return restart ? kExitRestartPending : kExitAllRemoved;
}

} // namespace tsu

#pragma once
// The tool's side of "VeltorFeedbackInformation.dll" beside the executable: loads it, finds all
// nine entry points, and calls them through thin wrappers named like the entry points. One per
// process, owned by the main window and lent to the pages. The library is never freed: windows
// may call into it until the process ends.
//
// The knowledge-base address comes from the library's settings file in the same folder (with the
// library's own default), so "更多工具" and "更多方案" open what the library is configured for.

#include "feedback/FeedbackExports.h"

#include <windows.h>

#include <string>

namespace tsu {

class FeedbackBinding {
public:
    FeedbackBinding() = default;
    FeedbackBinding(const FeedbackBinding&) = delete;
    FeedbackBinding& operator=(const FeedbackBinding&) = delete;

    // The library beside the running executable. True only when it loaded and all nine entry
    // points were found (looked up in their fixed order, stopping at the first one missing).
    [[nodiscard]] bool Load();
    // Where Load looks instead of the executable's folder (tests); empty goes back to it.
    void SetFolder(const std::wstring& folder) { m_overrideFolder = folder; }
    // The library in another folder (no trailing "\"); what Load does with the executable's folder.
    [[nodiscard]] bool LoadFrom(const std::wstring& folder);
    [[nodiscard]] bool IsLoaded() const { return m_loaded; }
    // The entry point that was missing when a load failed, or empty.
    [[nodiscard]] const std::string& MissingEntryPoint() const { return m_missing; }

    // Each wrapper does nothing (and answers 0) while the library is not loaded.
    [[nodiscard]] int InitFreedbackDll() const;
    [[nodiscard]] int GetToolIsNewVersion(const std::wstring& toolId, const std::wstring& toolVersion) const;
    void OpenToolDownUrl() const;
    void FeedbackQuestion(const std::wstring& toolId, const std::wstring& toolVersion) const;
    void CustomerFeedbackEx(const std::wstring& toolId, const std::wstring& toolVersion, int answer,
                            const std::wstring& time) const;
    void OpenUrl(const std::wstring& url) const;

    // The knowledge base's home page, and its article "更多工具" opens.
    [[nodiscard]] std::wstring KnowledgeBaseUrl() const;
    [[nodiscard]] std::wstring MoreToolsUrl() const;

    // The executable's folder without the trailing "\" (GetModuleFileNameW, read whole).
    [[nodiscard]] static std::wstring ExecutableFolder();

private:
    std::wstring m_overrideFolder;
    std::wstring m_folder;
    bool m_loaded = false;
    std::string m_missing;
    feedback::InitFreedbackDllFn m_init = nullptr;
    feedback::FeedbackQuestionFn m_feedbackQuestion = nullptr;
    feedback::OpenUrlFn m_openUrl = nullptr;
    feedback::GetInterNetStateFn m_internetState = nullptr;
    feedback::CustomerFeedbackFn m_customerFeedback = nullptr;
    feedback::CustomerFeedbackExFn m_customerFeedbackEx = nullptr;
    feedback::WriteCustomerFeedbackInfoFileFn m_writeInfoFile = nullptr;
    feedback::GetToolIsNewVersionFn m_getToolIsNewVersion = nullptr;
    feedback::OpenToolDownUrlFn m_openToolDownUrl = nullptr;
};

} // namespace tsu

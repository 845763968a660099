#include "app/FeedbackBinding.h"

#include "app/core/ToolIdentity.h"
#include "feedback/core/FeedbackSettings.h"
#include "framework/ModulePath.h"
#include "framework/ScopedHandles.h"

namespace tsu {

namespace {

constexpr DWORD kMaxSettingsBytes = 64 * 1024;

template <typename Fn> bool Lookup(HMODULE module, const char* name, Fn& target, std::string& missing) {
    FARPROC address = module ? ::GetProcAddress(module, name) : nullptr;
    if (!address) {
        missing = name;
        return false;
    }
    target = reinterpret_cast<Fn>(reinterpret_cast<void*>(address));
    return true;
}

feedback::FeedbackSettings ReadSettings(const std::wstring& folder) {
    if (folder.empty())
        return feedback::FeedbackSettings();
    const std::wstring path = folder + L"\\" + feedback::kSettingsFileName;
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 || size.QuadPart > kMaxSettingsBytes)
        return feedback::FeedbackSettings();
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && !::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return feedback::FeedbackSettings();
    bytes.resize(read);
    return feedback::FeedbackSettings::Parse(bytes);
}

} // namespace

std::wstring FeedbackBinding::ExecutableFolder() {
    return tsu::ExecutableFolder();
}

bool FeedbackBinding::Load() {
    return LoadFrom(m_overrideFolder.empty() ? ExecutableFolder() : m_overrideFolder);
}

bool FeedbackBinding::LoadFrom(const std::wstring& given) {
    std::wstring folder = given;
    while (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    m_folder = folder;
    m_missing.clear();
    HMODULE module = nullptr;
    if (!folder.empty()) {
        const std::wstring path = folder + L"\\" + kFeedbackLibraryName;
        // Only this file, and what it imports only from the system folder: its own folder is the
        // tool's folder, where anyone who can write there could place a library of a system name
        // (one the system does not protect, such as wininet.dll). LOAD_WITH_ALTERED_SEARCH_PATH is
        // no choice here: alone it searches the current folder and PATH for the imports. Windows 7
        // without update KB2533623 knows no LOAD_LIBRARY_SEARCH_* flag and refuses it as an
        // invalid parameter; there the full path alone is used.
        module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!module && ::GetLastError() == ERROR_INVALID_PARAMETER)
            module = ::LoadLibraryExW(path.c_str(), nullptr, 0);
    }
    // A library that did not load makes the first lookup fail.
    m_loaded = Lookup(module, "InitFreedbackDll", m_init, m_missing) &&
               Lookup(module, "FeedbackQuestion", m_feedbackQuestion, m_missing) &&
               Lookup(module, "OpenUrl", m_openUrl, m_missing) &&
               Lookup(module, "GetInterNetState", m_internetState, m_missing) &&
               Lookup(module, "CustomerFeedback", m_customerFeedback, m_missing) &&
               Lookup(module, "CustomerFeedbackEx", m_customerFeedbackEx, m_missing) &&
               Lookup(module, "WriteCustomerFeedbackInfoFile", m_writeInfoFile, m_missing) &&
               Lookup(module, "GetToolIsNewVersion", m_getToolIsNewVersion, m_missing) &&
               Lookup(module, "OpenToolDownUrl", m_openToolDownUrl, m_missing);
    return m_loaded;
}

int FeedbackBinding::InitFreedbackDll() const {
    return m_loaded ? m_init() : 0;
}

int FeedbackBinding::GetToolIsNewVersion(const std::wstring& toolId, const std::wstring& toolVersion) const {
    return m_loaded ? m_getToolIsNewVersion(toolId.c_str(), toolVersion.c_str()) : 0;
}

void FeedbackBinding::OpenToolDownUrl() const {
    if (m_loaded)
        m_openToolDownUrl();
}

void FeedbackBinding::FeedbackQuestion(const std::wstring& toolId, const std::wstring& toolVersion) const {
    if (m_loaded)
        m_feedbackQuestion(toolId.c_str(), toolVersion.c_str());
}

void FeedbackBinding::CustomerFeedbackEx(const std::wstring& toolId, const std::wstring& toolVersion, int answer,
                                         const std::wstring& time) const {
    if (!m_loaded)
        return;
    // The entry point takes a writable text; it gets its own copy.
    std::wstring writable = time;
    m_customerFeedbackEx(toolId.c_str(), toolVersion.c_str(), answer, writable.data());
}

void FeedbackBinding::OpenUrl(const std::wstring& url) const {
    if (m_loaded)
        m_openUrl(url.c_str());
}

std::wstring FeedbackBinding::KnowledgeBaseUrl() const {
    return ReadSettings(m_folder).KnowledgeBaseUrl();
}

std::wstring FeedbackBinding::MoreToolsUrl() const {
    return feedback::JoinUrl(KnowledgeBaseUrl(), feedback::kMoreToolsArticlePath);
}

} // namespace tsu

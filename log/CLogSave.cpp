#include "log/CLogSave.h"

#include "framework/Encoding.h"
#include "framework/PlainFolder.h"
#include "log/CLogSaveCloseFile.h"
#include "log/CLogSaveOpenFile.h"
#include "log/core/LogFormat.h"

#include <shlobj.h>

#include <array>
#include <new>

namespace {

constexpr size_t kFolderBufferChars = 1024;
constexpr DWORD kSwitchBufferChars = 100;
// The writer mode stays a constant: the tool always uses the close-file writer.
constexpr wchar_t kWriterMode[] = L"0";

bool ReadPrintSwitch(const std::wstring& iniPath) {
    std::array<wchar_t, kSwitchBufferChars> value{};
    ::GetPrivateProfileStringW(L"Log", L"print", L"-1", value.data(), kSwitchBufferChars, iniPath.c_str());
    return tsu::ParsePrintSwitch(value.data());
}

} // namespace

CLogSave* CLogSave::GetInstance() {
    // A function-local static is built exactly once even when threads race to the first call.
    static CLogSave instance(tsu::CommonAppDataFolder());
    return &instance;
}

CLogSave::CLogSave(const std::wstring& baseFolder) {
    m_logDirectory = baseFolder + L"ToolLog";
    // Made for administrators and SYSTEM to write and users to read; an existing folder is used
    // as it is. A folder that is a link, or a file of that name, gets no writer: the elevated tool
    // writes nothing through it.
    const bool plainFolder = tsu::EnsurePlainFolder(m_logDirectory, tsu::kAdminWriteUsersReadSddl);
    m_logDirectory += L"\\";
    m_printSwitch = ReadPrintSwitch(baseFolder + L"logCfg.ini");
    if (!plainFolder)
        return;

    if (tsu::IsOpenFileWriterMode(kWriterMode))
        m_writer.reset(new (std::nothrow) CLogSaveOpenFile(m_logDirectory));
    else
        m_writer.reset(new (std::nothrow) CLogSaveCloseFile(m_logDirectory));
}

CLogSave::~CLogSave() { m_writer.reset(); }

void CLogSave::WriteLog(std::string text, std::string fileName, bool force) {
    if (!m_writer || (!force && !m_printSwitch))
        return;
    m_writer->WriteText(std::move(text), std::move(fileName));
}

namespace tsu {

std::wstring CommonAppDataFolder() {
    std::array<wchar_t, kFolderBufferChars> folder{};
    if (!::SHGetSpecialFolderPathW(nullptr, folder.data(), CSIDL_COMMON_APPDATA, FALSE))
        return std::wstring(); // paths become relative to the current folder
    return std::wstring(folder.data()) + L"\\";
}

const std::string& ToolLogFileName() {
    static const std::string name = ToCp936(L"软件卸载工具.txt");
    return name;
}

void WriteToolLog(const std::wstring& message) {
    CLogSave::GetInstance()->WriteLog(ToCp936(message), ToolLogFileName(), true);
}

} // namespace tsu

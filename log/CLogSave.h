#pragma once
// The process-wide log front end: finds the log folder "ToolLog" and "logCfg.ini" in the
// machine-wide application-data folder, reads the print switch once, and owns one writer.

#include "log/CLogBase.h"

#include <memory>
#include <string>

class CLogSave {
public:
    // The single instance, built at the first call (safe if two threads make it at once).
    static CLogSave* GetInstance();

    // A front end over another base folder (ending in "\"); the single instance uses the
    // application-data folder. Tests use this to try configurations side by side.
    explicit CLogSave(const std::wstring& baseFolder);
    ~CLogSave();
    CLogSave(const CLogSave&) = delete;
    CLogSave& operator=(const CLogSave&) = delete;

    // force true writes whatever logCfg.ini says; force false only when its print switch is on.
    void WriteLog(std::string text, std::string fileName, bool force);

    [[nodiscard]] const std::wstring& LogDirectory() const { return m_logDirectory; }

private:
    bool m_printSwitch = false;
    std::wstring m_logDirectory;
    std::unique_ptr<CLogBase> m_writer;
};

namespace tsu {

// The common application-data folder followed by "\", or empty when the shell cannot say.
[[nodiscard]] std::wstring CommonAppDataFolder();

// The tool's log file "软件卸载工具.txt", as the narrow name the writers take.
[[nodiscard]] const std::string& ToolLogFileName();

// How every part of the tool logs: the message into the tool's log file, forced.
void WriteToolLog(const std::wstring& message);

} // namespace tsu

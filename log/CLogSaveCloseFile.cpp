#include "log/CLogSaveCloseFile.h"

#include "framework/Encoding.h"
#include "log/LogFile.h"

using namespace tsu;

void CLogSaveCloseFile::WritePacket(CPacketLog& entry) {
    std::lock_guard<std::mutex> hold(m_lock);
    const std::wstring path = m_logDirectory + FromCp936(entry.GetFileName());
    UniqueFileHandle file = OpenLogFile(path);
    if (!file)
        return; // folder missing or access denied: the entry is dropped, as every log failure is
    const long long size = AppendLogEntry(file.Get(), FormatLogEntry(CurrentLogTime(), entry.GetLogText()));
    if (size > static_cast<long long>(kLogSizeLimit)) {
        file.Reset();
        MoveLogToBackup(path);
    }
}

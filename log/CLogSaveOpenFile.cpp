#include "log/CLogSaveOpenFile.h"

#include "framework/Encoding.h"
#include "log/LogFile.h"

using namespace tsu;

CLogSaveOpenFile::CLogFile::CLogFile(std::wstring fullPath, uint32_t sizeLimit)
    : m_fullPath(std::move(fullPath)), m_sizeLimit(sizeLimit) {}

bool CLogSaveOpenFile::CLogFile::Write(CPacketLog entry) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_file) {
        m_file = OpenLogFile(m_fullPath);
        if (!m_file)
            return false;
    }
    const long long size = AppendLogEntry(m_file.Get(), FormatLogEntry(CurrentLogTime(), entry.GetLogText()));
    if (size > static_cast<long long>(m_sizeLimit))
        Backup();
    return true;
}

void CLogSaveOpenFile::CLogFile::Backup() {
    // Called with m_lock held from Write.
    m_file.Reset();
    MoveLogToBackup(m_fullPath);
}

CLogSaveOpenFile::CLogFile* CLogSaveOpenFile::FindLogFile(const std::wstring& fileName) {
    const std::wstring fullPath = m_logDirectory + fileName;
    std::lock_guard<std::mutex> hold(m_filesLock);
    for (const auto& file : m_files) {
        if (file->FullPath() == fullPath)
            return file.get();
    }
    m_files.push_back(std::make_unique<CLogFile>(fullPath, static_cast<uint32_t>(kLogSizeLimit)));
    return m_files.back().get();
}

void CLogSaveOpenFile::WritePacket(CPacketLog& entry) {
    if (CLogFile* file = FindLogFile(FromCp936(entry.GetFileName())))
        file->Write(entry);
}

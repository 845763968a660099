#pragma once
// The alternative writer: keeps one open file per full path for its whole life, so an entry
// costs no open or close. Entries for different files are written in parallel.

#include "framework/ScopedHandles.h"
#include "log/CLogBase.h"

#include <memory>
#include <mutex>
#include <vector>

class CLogSaveOpenFile : public CLogBase {
public:
    class CLogFile {
    public:
        CLogFile(std::wstring fullPath, uint32_t sizeLimit);
        ~CLogFile() = default; // the handle owner closes the file

        bool Write(CPacketLog entry);
        void Backup();
        [[nodiscard]] const std::wstring& FullPath() const { return m_fullPath; }

    private:
        tsu::UniqueFileHandle m_file; // closed until the first write, and again after a backup
        std::wstring m_fullPath;
        uint32_t m_sizeLimit;
        std::mutex m_lock;
    };

    explicit CLogSaveOpenFile(std::wstring logDirectory) : CLogBase(std::move(logDirectory)) {}

    void WritePacket(CPacketLog& entry) override;

    // The file of that name, created on first use; null only when it cannot be created.
    CLogFile* FindLogFile(const std::wstring& fileName);

private:
    std::mutex m_filesLock; // guards m_files: threads may log to a new file name at once
    std::vector<std::unique_ptr<CLogFile>> m_files;
};

#pragma once
// The writer the tool uses: opens the file, appends one entry, closes it again. One lock
// serialises every entry of this writer, rotation included.

#include "log/CLogBase.h"

#include <mutex>

class CLogSaveCloseFile : public CLogBase {
public:
    explicit CLogSaveCloseFile(std::wstring logDirectory) : CLogBase(std::move(logDirectory)) {}

    void WritePacket(CPacketLog& entry) override;

private:
    std::mutex m_lock;
};

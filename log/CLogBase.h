#pragma once
// The log writer interface. Both writers turn WriteHex and WriteText into a CPacketLog and pass
// it to WritePacket.

#include "log/core/CPacketLog.h"

#include <cstdint>
#include <string>

class CLogBase {
public:
    explicit CLogBase(std::wstring logDirectory) : m_logDirectory(std::move(logDirectory)) {}
    virtual ~CLogBase() = default;
    CLogBase(const CLogBase&) = delete;
    CLogBase& operator=(const CLogBase&) = delete;

    virtual void WritePacket(CPacketLog& entry) = 0;
    virtual void WriteHex(const unsigned char* data, int32_t length, std::string fileName) = 0;
    virtual void WriteText(std::string text, std::string fileName) = 0;

protected:
    [[nodiscard]] static CPacketLog MakePacket(const std::string& text, const std::string& fileName) {
        CPacketLog entry;
        entry.SetLogText(text);
        entry.SetFileName(fileName);
        return entry;
    }

    std::wstring m_logDirectory; // ends in "\"
};

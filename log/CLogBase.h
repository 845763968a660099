#pragma once
// The log writer interface. WriteHex and WriteText turn into a CPacketLog for the writer's
// WritePacket, the same for both writers.

#include "log/core/CPacketLog.h"
#include "log/core/LogFormat.h"

#include <cstdint>
#include <string>

class CLogBase {
public:
    explicit CLogBase(std::wstring logDirectory) : m_logDirectory(std::move(logDirectory)) {}
    virtual ~CLogBase() = default;
    CLogBase(const CLogBase&) = delete;
    CLogBase& operator=(const CLogBase&) = delete;

    virtual void WritePacket(CPacketLog& entry) = 0;
    virtual void WriteHex(const unsigned char* data, int32_t length, std::string fileName) {
        WritePacketOf(tsu::FormatHexText(data, length), fileName);
    }
    virtual void WriteText(std::string text, std::string fileName) { WritePacketOf(text, fileName); }

protected:
    std::wstring m_logDirectory; // ends in "\"

private:
    void WritePacketOf(const std::string& text, const std::string& fileName) {
        CPacketLog entry;
        entry.SetLogText(text);
        entry.SetFileName(fileName);
        WritePacket(entry);
    }
};

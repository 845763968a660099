#pragma once
// One log entry: the file it goes to (relative to the log folder) and its text, both narrow
// strings in code page 936, without time stamp or line end.

#include "log/core/CObjectBase.h"

#include <string>

class CPacketLog : public CObjectBase {
public:
    void SetFileName(const std::string& fileName) { m_fileName = fileName; }
    void SetLogText(const std::string& logText) { m_logText = logText; }
    [[nodiscard]] std::string GetFileName() const { return m_fileName; }
    [[nodiscard]] std::string GetLogText() const { return m_logText; }

private:
    std::string m_fileName;
    std::string m_logText;
};

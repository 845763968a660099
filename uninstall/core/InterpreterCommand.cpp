#include "uninstall/core/InterpreterCommand.h"

namespace tsu {

std::wstring MakeInterpreterCommandLine(std::wstring_view interpreterPath, std::wstring_view command) {
    std::wstring line = L"\"";
    line += interpreterPath;
    line += L"\" /D /C ";
    line += command;
    return line;
}

} // namespace tsu

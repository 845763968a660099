#pragma once
// Text out of the console program: UTF-16 to a console window, UTF-8 to a pipe or file, so
// scripts and tests read the same bytes whatever the system code page is.

#include <string>
#include <string_view>

namespace tsu {

class ConsoleOutput {
public:
    enum class Stream { Out, Error };

    void Write(Stream stream, std::wstring_view text);
    void Out(std::wstring_view text) { Write(Stream::Out, text); }
    void Error(std::wstring_view text) { Write(Stream::Error, text); }
    // Bytes that are already UTF-8 (JSON).
    void OutUtf8(std::string_view bytes);
};

} // namespace tsu

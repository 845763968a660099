#include "cli/ConsoleOutput.h"

#include "core/TextRules.h"

#include <windows.h>

namespace tsu {

namespace {
void WriteAll(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 20));
        if (!::WriteFile(handle, bytes.data(), chunk, &written, nullptr) || written == 0)
            return; // a closed pipe: nobody reads any more
        bytes.remove_prefix(written);
    }
}
} // namespace

void ConsoleOutput::Write(Stream stream, std::wstring_view text) {
    HANDLE handle = ::GetStdHandle(stream == Stream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return;
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode)) {
        DWORD written = 0;
        ::WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    WriteAll(handle, ToUtf8(text));
}

void ConsoleOutput::OutUtf8(std::string_view bytes) {
    HANDLE handle = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return;
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode)) {
        Write(Stream::Out, FromUtf8(bytes));
        return;
    }
    WriteAll(handle, bytes);
}

} // namespace tsu

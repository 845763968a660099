#pragma once
// Runs a program for a test and collects what it printed.

#include <windows.h>

#include <functional>
#include <string>

namespace tsu::test {

struct ProcessResult {
    bool started = false;
    DWORD exitCode = 0;
    std::string out; // raw bytes of standard output
    std::string err; // raw bytes of standard error
};

// Starts the command line hidden, collects both pipes while it runs and what is left at its exit
// (a grandchild that inherited the pipes does not hold the run up).
// timeoutMs bounds the whole run; a program still running then is terminated (exitCode 259).
[[nodiscard]] ProcessResult RunProcess(const std::wstring& commandLine, DWORD timeoutMs = 120000);

// Starts a host program by its Z: path under Wine and waits until done() holds, at most timeoutMs.
// Wine runs such a program without a process object and without the caller's pipes, so its effect
// is the only sign that it has run: the wait follows change notifications on watchedFolder, where
// that effect shows. False when it cannot be started or done() never holds.
[[nodiscard]] bool RunHostProgramUntil(const std::wstring& commandLine, const std::wstring& watchedFolder,
                                       const std::function<bool()>& done, DWORD timeoutMs = 30000);

// The build's bin folder (where the programs and test programs lie), ending in "\".
[[nodiscard]] std::wstring BinDir();

// A fresh, empty folder below %TEMP% for this test program; removed by the caller if wanted.
[[nodiscard]] std::wstring MakeScratchFolder(const std::wstring& name);

// Deletes a folder tree (files and sub-folders); true when it is gone.
bool RemoveTree(const std::wstring& folder);

// Whole file as bytes; empty when it cannot be read.
[[nodiscard]] std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
[[nodiscard]] bool FileExists(const std::wstring& path);

} // namespace tsu::test

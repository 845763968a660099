#pragma once
// What the Wine tests of every area share about processes and files: programs run with their output
// collected, the stand-in uninstaller tsu_process_helper (its arguments are described at the top of
// tests/uninstall/ProcessHelper.cpp), unique names, scratch folders, named events and the processes
// that the helpers record.

#include "framework/ScopedHandles.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

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

// Long enough for anything that must happen under a loaded machine; a fault shows as a failed
// wait, not a hung test.
constexpr DWORD kMustHappenMs = 60000;
// Long enough for two monitor passes (500 ms apart): a launch still waiting after it is waiting.
constexpr DWORD kTwoPassesMs = 1200;

[[nodiscard]] std::wstring BinFile(const std::wstring& name);
[[nodiscard]] std::wstring HelperPath();
[[nodiscard]] std::wstring Quoted(const std::wstring& text);
// "<tag>_<pid>": the same for every call of this test program with that tag, and unique among
// test programs running at the same time in the prefix.
[[nodiscard]] std::wstring UniqueName(const std::wstring& tag);

// A folder of its own under C:\ (no hyphen anywhere in its path), removed with its content.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& tag);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    [[nodiscard]] const std::wstring& Path() const { return m_path; } // ends with "\"
    [[nodiscard]] std::wstring File(const std::wstring& name) const { return m_path + name; }
    [[nodiscard]] std::vector<std::wstring> Names() const; // files inside, sorted

private:
    std::wstring m_path;
};

// A manual-reset named event of a unique name.
class NamedEvent {
public:
    explicit NamedEvent(const std::wstring& tag);
    [[nodiscard]] const std::wstring& Name() const { return m_name; }
    [[nodiscard]] HANDLE Get() const { return m_event.Get(); }
    void Set() const;
    [[nodiscard]] bool WaitFor(DWORD ms = kMustHappenMs) const;

private:
    std::wstring m_name;
    UniqueHandle m_event;
};

[[nodiscard]] std::wstring ReadUtf16File(const std::wstring& path);
[[nodiscard]] bool CopyProgram(const std::wstring& from, const std::wstring& to);
// Process ids the helpers appended with --record.
[[nodiscard]] std::vector<DWORD> ReadRecordedIds(const std::wstring& path);

// True while the process runs; false once it has ended or when it cannot be opened.
[[nodiscard]] bool IsRunning(DWORD processId);
// Waits until the process has ended.
[[nodiscard]] bool WaitForExit(DWORD processId, DWORD ms);
// Ends the process if it still runs (clean-up after a failed expectation).
void EndProcess(DWORD processId);
void EndRecordedProcesses(const std::wstring& recordFile);

// Starts a command line with CreateProcessW; an invalid handle when it cannot be started.
[[nodiscard]] UniqueHandle StartProcess(const std::wstring& commandLine, DWORD* processId = nullptr);
// Starts a command line and waits for it to end; its exit code, or ~0u when it could not run.
[[nodiscard]] DWORD RunToEnd(const std::wstring& commandLine, DWORD ms = kMustHappenMs);

// Under Wine the first program of a prefix that asks for the desktop window starts explorer.exe as
// its child, and it never ends: a launch would follow it forever, and it would keep the test
// runner's output pipe open. This starts it from a helper whose output goes nowhere, so that it
// is nobody's descendant that matters. Does nothing when the desktop process already runs.
[[nodiscard]] bool EnsureDesktopProcess();

// Sets an environment variable of this process for the life of the object.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(std::wstring name, const std::wstring& value);
    ~ScopedEnvironmentVariable();
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    std::wstring m_name;
};

// The current folder of this process for the life of the object. Tests that plant programs where a
// careless search would find them plant them in a scratch folder of their own and make that the
// current folder, never in a folder other test programs work in.
class ScopedCurrentFolder {
public:
    explicit ScopedCurrentFolder(const std::wstring& folder);
    ~ScopedCurrentFolder();
    ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
    ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;
    [[nodiscard]] bool Changed() const { return !m_previous.empty(); }

private:
    std::wstring m_previous;
};

} // namespace tsu::test

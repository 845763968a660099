#pragma once
// Message pumping for the GUI thread outside a modal run: the loop the framework's modal dialogs
// use, and waits that keep the thread's windows alive (a GUI thread that blocks in
// WaitForSingleObject while a worker sends it a message deadlocks).

#include <windows.h>

#include <functional>

namespace tsu {

// Dispatches everything queued now; false when WM_QUIT was seen.
bool PumpPendingMessages();
// Waits for handle while dispatching messages (sent and posted). True when it was signalled,
// false on timeout, failure or WM_QUIT.
[[nodiscard]] bool WaitPumping(HANDLE handle, DWORD timeoutMs);
// Pumps until done() is true or the timeout passes; done() is checked after every message and
// at least every 10 ms. True when done() became true.
[[nodiscard]] bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

} // namespace tsu

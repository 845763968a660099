#pragma once
// A GDI+ image loaded from a resource of the executable that, when it has several frames (an
// animated GIF), advances its frames on a thread of its own and asks an owner window to redraw it
// after each step with a posted WM_LIST_REDRAWCELL (row, column).
//
// Teardown rules: the redraw request is posted, never sent, so the GUI thread can wait for the
// animation thread without a deadlock; the destructor returns only once the thread has ended; the
// thread selects frames and the owner draws under one lock (DrawFrame, or LockFrame around a
// DrawImage of its own).

#include "framework/ScopedHandles.h"

#include <gdiplus.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace tsu {

class ImageEx : public Gdiplus::Image {
public:
    // Loads resource name of type (e.g. "GIF", "IDR_WAIT_GIF") from the current resource module.
    // A missing or unreadable resource gives an image that is not loaded: it draws nothing and
    // never animates.
    ImageEx(const wchar_t* type, const wchar_t* name);
    ~ImageEx() override;
    ImageEx(const ImageEx&) = delete;
    ImageEx& operator=(const ImageEx&) = delete;

    [[nodiscard]] bool IsLoaded() const { return m_loaded; }
    [[nodiscard]] bool IsAnimated() const { return m_frameCount > 1; }
    [[nodiscard]] unsigned FrameCount() const { return m_frameCount; }
    // Delay of a frame in milliseconds as the thread waits it.
    [[nodiscard]] unsigned FrameDelayMs(unsigned frame) const;

    // Stores owner, rectangle, row and column; starts the animation thread unless the image is not
    // loaded, not animated, or already has a thread. True when a thread runs afterwards.
    bool StartAnimation(HWND owner, RECT drawRect, int row, int column);
    // Pausing stops the thread before its next step; un-pausing lets it go on.
    void SetPause(bool pause);
    [[nodiscard]] bool IsPaused() const { return m_paused; }
    // The row sent with later redraw requests (the list renumbers its rows).
    void SetRow(int row) { m_row.store(row); }
    [[nodiscard]] int GetRow() const { return m_row.load(); }

    // Draws the selected frame scaled into the rectangle, holding the frame lock. False when
    // nothing was drawn (not loaded, GDI+ failure).
    bool DrawFrame(Gdiplus::Graphics& graphics, const Gdiplus::Rect& target);
    // For owners that draw the image themselves: hold this while drawing.
    [[nodiscard]] std::unique_lock<std::mutex> LockFrame() { return std::unique_lock<std::mutex>(m_frameLock); }

    // For tests: the animation thread's id (0 without thread) and the index of the next frame.
    [[nodiscard]] DWORD AnimationThreadId() const { return m_threadId; }
    [[nodiscard]] unsigned CurrentFrame() const { return m_currentFrame.load(); }

private:
    struct ResourceStream {
        IStream* stream = nullptr; // owns its memory block (delete-on-release)
    };
    ImageEx(ResourceStream source);
    static ResourceStream LoadResourceStream(const wchar_t* type, const wchar_t* name);
    void ReadFrameInformation();
    void RunAnimation();
    void StepFrame();

    IStream* m_stream = nullptr;
    bool m_loaded = false;
    UniqueHandle m_pauseEvent; // manual reset, signalled: the thread may run
    UniqueHandle m_exitEvent;  // manual reset: wakes the thread from its frame delay to end it
    UniqueHandle m_thread;
    DWORD m_threadId = 0;
    HWND m_owner = nullptr;
    std::atomic<int> m_row{-1};
    int m_column = -1;
    unsigned m_frameCount = 0;
    std::atomic<unsigned> m_currentFrame{0};
    bool m_paused = false;
    std::vector<uint32_t> m_frameDelays; // hundredths of a second per frame
    std::atomic<bool> m_exiting{false};
    std::mutex m_frameLock; // frame selection and drawing
};

} // namespace tsu

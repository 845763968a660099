#include "controls/ImageEx.h"

#include "framework/MemoryStream.h"
#include "framework/Messages.h"
#include "framework/WorkerThread.h"

#include <cstring>

namespace tsu {

namespace {

// GIF frame delays of 0 (and 1) hundredths are common in the wild; taken literally they make the
// thread spin and flood the owner with redraw requests. Browsers show such frames for 100 ms.
constexpr unsigned kShortestDelayHundredths = 2;
constexpr unsigned kDelayForZeroHundredths = 10;

} // namespace

ImageEx::ResourceStream ImageEx::LoadResourceStream(const wchar_t* type, const wchar_t* name) {
    return ResourceStream{CreateResourceStream(type, name)};
}

ImageEx::ImageEx(const wchar_t* type, const wchar_t* name) : ImageEx(LoadResourceStream(type, name)) {}

// The base image is made from the stream with embedded colour management
// (GdipLoadImageFromStreamICM); a null stream leaves it without native image.
ImageEx::ImageEx(ResourceStream source)
    : Gdiplus::Image(source.stream, TRUE), m_stream(source.stream),
      m_pauseEvent(::CreateEventW(nullptr, TRUE, TRUE, nullptr)),
      m_exitEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    m_loaded = m_stream != nullptr && GetLastStatus() == Gdiplus::Ok && GetWidth() > 0;
    if (m_loaded)
        ReadFrameInformation();
}

ImageEx::~ImageEx() {
    m_exiting.store(true);
    if (m_thread) {
        // Un-pause so the thread is not stuck on the pause event, wake it from its frame delay and
        // wait until it has really ended: it never blocks on the GUI thread (its redraw request is
        // posted), so this wait is short, and nothing below is freed under a running thread.
        if (m_pauseEvent)
            ::SetEvent(m_pauseEvent.Get());
        if (m_exitEvent)
            ::SetEvent(m_exitEvent.Get());
        ::WaitForSingleObject(m_thread.Get(), INFINITE);
        m_thread.Reset();
    }
    m_pauseEvent.Reset();
    m_exitEvent.Reset();
    // The base class disposes the GDI+ image after this body; it holds its own reference to the
    // stream, so dropping ours here frees the memory block only once the image is gone.
    if (m_stream)
        m_stream->Release();
    m_stream = nullptr;
}

void ImageEx::ReadFrameInformation() {
    const UINT dimensions = GetFrameDimensionsCount();
    if (dimensions == 0)
        return;
    std::vector<GUID> ids(dimensions);
    if (GetFrameDimensionsList(ids.data(), dimensions) != Gdiplus::Ok)
        return;
    m_frameCount = GetFrameCount(&ids[0]);

    const UINT size = GetPropertyItemSize(PropertyTagFrameDelay);
    if (size < sizeof(Gdiplus::PropertyItem))
        return;
    std::vector<unsigned char> buffer(size);
    auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
    if (GetPropertyItem(PropertyTagFrameDelay, size, item) != Gdiplus::Ok || !item->value)
        return;
    const size_t count = item->length / sizeof(uint32_t);
    m_frameDelays.resize(count);
    std::memcpy(m_frameDelays.data(), item->value, count * sizeof(uint32_t));
}

unsigned ImageEx::FrameDelayMs(unsigned frame) const {
    unsigned hundredths = frame < m_frameDelays.size() ? m_frameDelays[frame] : kDelayForZeroHundredths;
    if (hundredths < kShortestDelayHundredths)
        hundredths = kDelayForZeroHundredths;
    return hundredths * 10;
}

bool ImageEx::StartAnimation(HWND owner, RECT drawRect, int row, int column) {
    m_owner = owner;
    m_row.store(row);
    m_column = column;
    if (!m_loaded || !IsAnimated() || m_thread)
        return m_thread.IsValid();
    if (!m_pauseEvent || !m_exitEvent)
        return false;
    m_thread = StartWorkerThread([this] { RunAnimation(); }); // an exception just stops the animation
    if (!m_thread)
        return false;
    m_threadId = ::GetThreadId(m_thread.Get());
    return true;
}

void ImageEx::SetPause(bool pause) {
    if (!IsAnimated())
        return;
    if (pause)
        ::ResetEvent(m_pauseEvent.Get());
    else
        ::SetEvent(m_pauseEvent.Get());
    m_paused = pause;
}

bool ImageEx::DrawFrame(Gdiplus::Graphics& graphics, const Gdiplus::Rect& target) {
    if (!m_loaded)
        return false;
    std::lock_guard<std::mutex> guard(m_frameLock);
    return graphics.DrawImage(this, target) == Gdiplus::Ok;
}

void ImageEx::RunAnimation() {
    m_currentFrame.store(0);
    const HANDLE wakeUp[2] = {m_pauseEvent.Get(), m_exitEvent.Get()};
    while (!m_exiting.load()) {
        // 1. Wait while paused (the exit event also wakes us).
        if (::WaitForMultipleObjects(2, wakeUp, FALSE, INFINITE) == WAIT_FAILED)
            break;
        if (m_exiting.load())
            break;
        // 2. Ask the owner to redraw; posted, so we never wait for the GUI thread.
        if (m_owner)
            ::PostMessageW(m_owner, WM_LIST_REDRAWCELL, static_cast<WPARAM>(m_row.load()),
                           static_cast<LPARAM>(m_column));
        if (m_exiting.load())
            break;
        // 3. Select the next frame under the drawing lock.
        StepFrame();
        if (m_exiting.load())
            break;
        // 4. Sleep the frame's delay on the exit event, so destruction wakes us at once.
        ::WaitForSingleObject(m_exitEvent.Get(), FrameDelayMs(m_currentFrame.load()));
    }
}

void ImageEx::StepFrame() {
    std::lock_guard<std::mutex> guard(m_frameLock);
    unsigned frame = m_currentFrame.load();
    if (frame < m_frameCount) {
        SelectActiveFrame(&Gdiplus::FrameDimensionTime, frame);
        ++frame;
    }
    if (frame >= m_frameCount)
        frame = 0;
    m_currentFrame.store(frame);
}

} // namespace tsu

#include "icons/PicturePass.h"

#include <mutex>
#include <set>

namespace tsu {

namespace {
constexpr size_t kShortestIconPath = 4; // "longer than 3 characters"

// Passes run on loading workers; the self-removal reads the list on the interface thread.
std::mutex g_writtenLock;
std::set<std::wstring> g_written;
} // namespace

void NotePictureWritten(const std::wstring& pngPath) {
    const std::lock_guard<std::mutex> hold(g_writtenLock);
    g_written.insert(pngPath);
}

std::wstring PictureIconPath(const std::wstring& iconPath) {
    const size_t first = iconPath.find_first_not_of(L'"');
    if (first == std::wstring::npos)
        return std::wstring();
    const size_t last = iconPath.find_last_not_of(L'"');
    return iconPath.substr(first, last - first + 1);
}

size_t RunPicturePass(SoftwareMap& software, IconPngCache& cache) {
    size_t counter = 0;
    for (auto& [name, record] : software) {
        const std::wstring iconPath = PictureIconPath(record.iconPath);
        if (iconPath.size() < kShortestIconPath)
            continue;
        std::wstring pngPath;
        if (cache.MakeIconPng(iconPath, std::to_wstring(counter), record.iconKind, pngPath)) {
            NotePictureWritten(pngPath);
            record.imagePath = pngPath;
            ++counter;
        }
    }
    return counter;
}

std::vector<std::wstring> PicturesWrittenThisRun() {
    const std::lock_guard<std::mutex> hold(g_writtenLock);
    return std::vector<std::wstring>(g_written.begin(), g_written.end());
}

} // namespace tsu

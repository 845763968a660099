#include "icons/PicturePass.h"

#include "framework/WorkerThread.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace tsu {

namespace {
constexpr size_t kShortestIconPath = 4; // "longer than 3 characters"
constexpr size_t kFewestWorkers = 2;

// One icon source (path and kind): its picture depends on nothing else, so records that share a
// source share one rendering.
struct PictureSource {
    std::wstring iconPath;
    int32_t kind = kIconKindNone;
    IconPicture picture;
};

// Renders every source in memory on worker threads, one per core (at least two); returns when
// all are done. Without any worker thread the calling thread renders them all.
void MakePictures(std::vector<PictureSource>& sources, const IconPngCache& cache) {
    std::atomic<size_t> next{0};
    const auto work = [&sources, &cache, &next] {
        const ScopedComInit com; // the shell's image lists are COM objects
        for (size_t i = next++; i < sources.size(); i = next++)
            sources[i].picture = cache.MakeIconPicture(sources[i].iconPath, sources[i].kind);
    };
    const size_t wanted =
        std::min(sources.size(), std::max<size_t>(kFewestWorkers, std::thread::hardware_concurrency()));
    std::vector<UniqueHandle> workers;
    for (size_t i = 0; i < wanted; ++i) {
        UniqueHandle worker = StartWorkerThread(work);
        if (worker)
            workers.push_back(std::move(worker));
    }
    if (workers.empty()) {
        work();
        return;
    }
    for (const UniqueHandle& worker : workers)
        (void)::WaitForSingleObject(worker.Get(), INFINITE);
}

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
    std::vector<PictureSource> sources;
    std::map<std::pair<std::wstring, int32_t>, size_t> sourceIndex;
    std::vector<std::pair<SoftwareRecord*, size_t>> requests; // in map order, with their source
    for (auto& [name, record] : software) {
        std::wstring iconPath = PictureIconPath(record.iconPath);
        if (iconPath.size() < kShortestIconPath)
            continue;
        const auto [found, added] = sourceIndex.try_emplace(std::pair(iconPath, record.iconKind), sources.size());
        if (added)
            sources.push_back(PictureSource{std::move(iconPath), record.iconKind, IconPicture()});
        requests.emplace_back(&record, found->second);
    }
    MakePictures(sources, cache);
    // Stems in map order, counting only the pictures written.
    size_t counter = 0;
    for (const auto& [record, source] : requests) {
        std::wstring pngPath;
        if (cache.WriteIconPicture(sources[source].picture, std::to_wstring(counter), pngPath)) {
            NotePictureWritten(pngPath);
            record->imagePath = pngPath;
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

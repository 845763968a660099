#include "icons/PicturePass.h"

#include "framework/WorkerThread.h"
#include "icons/DriveTypeMemo.h"
#include "icons/IconPngConversion.h"

#include <map>
#include <mutex>
#include <set>

namespace tsu {

namespace {
constexpr size_t kShortestIconPath = 4; // "longer than 3 characters"

// One icon source (path and kind): its picture depends on nothing else, so records that share a
// source share one rendering.
struct PictureSource {
    std::wstring iconPath;
    int32_t kind = kIconKindNone;
    IconPicture picture;
};

// A record and the source of its picture, in map order.
struct PictureRequest {
    SoftwareRecord* record = nullptr;
    const PictureSource* source = nullptr;
};

// A picture written under its stem (the position in the list of pictures made).
struct WrittenPicture {
    std::wstring pngPath;
    bool written = false;
};

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
    std::vector<std::pair<SoftwareRecord*, size_t>> requestedSources; // in map order
    for (auto& [name, record] : software) {
        std::wstring iconPath = PictureIconPath(record.iconPath);
        if (iconPath.size() < kShortestIconPath)
            continue;
        const auto [found, added] = sourceIndex.try_emplace(std::pair(iconPath, record.iconKind), sources.size());
        if (added)
            sources.push_back(PictureSource{std::move(iconPath), record.iconKind, IconPicture()});
        requestedSources.emplace_back(&record, found->second);
    }
    const DriveTypeMemo drives; // every picture asks whether its file lies on a share
    SetUpWindowSystem();
    RunJobsOnWorkers(
        sources.size(),
        [&sources, &cache](size_t i) {
            sources[i].picture = cache.MakeIconPicture(sources[i].iconPath, sources[i].kind);
        },
        WorkerCom::Apartment); // the shell's image lists are COM objects

    // Stems in map order, counting only the pictures made. The executable branch leaves no file
    // under the stem of a request that gives no picture; a later picture takes that stem anyway,
    // so only the stem after the last picture is cleared.
    std::vector<PictureRequest> made;
    bool needsFolder = false;
    bool clearsNextStem = false;
    for (const auto& [record, source] : requestedSources) {
        const PictureSource& from = sources[source];
        needsFolder = needsFolder || from.picture.needsFolder;
        if (!from.picture.needsFolder)
            continue;
        clearsNextStem = from.picture.png.empty() && (clearsNextStem || from.picture.clearsStem);
        if (!from.picture.png.empty())
            made.push_back(PictureRequest{record, &from});
    }
    HeldFolder folder;
    if (!needsFolder || !cache.HoldFolder(folder))
        return 0;
    std::vector<WrittenPicture> written(made.size());
    RunJobsOnWorkers(made.size(), [&made, &written, &folder](size_t i) {
        written[i].written =
            IconPngCache::WritePicture(folder, made[i].source->picture, std::to_wstring(i), written[i].pngPath);
    });

    // A picture that could not be written gives up its stem: the pictures after it are written
    // again one by one under the stems they get then, and files this pass left past the last
    // stem are deleted.
    size_t counter = 0;
    for (size_t i = 0; i < made.size(); ++i) {
        std::wstring pngPath = written[i].pngPath;
        if (counter != i || !written[i].written) {
            pngPath.clear();
            if (!IconPngCache::WritePicture(folder, made[i].source->picture, std::to_wstring(counter), pngPath))
                continue;
        }
        NotePictureWritten(pngPath);
        made[i].record->imagePath = pngPath;
        ++counter;
    }
    for (size_t stem = counter; stem < made.size(); ++stem) {
        if (written[stem].written)
            folder.RemoveFile(IconPngCache::PictureName(std::to_wstring(stem)));
    }
    if (clearsNextStem)
        folder.RemoveFile(IconPngCache::PictureName(std::to_wstring(counter)));
    return counter;
}

UniqueHandle StartShellWarmUp() {
    SetUpWindowSystem();
    return StartWorkerThread([] {
        const ScopedComInit com;
        WarmUpShellIcons();
    });
}

std::vector<std::wstring> PicturesWrittenThisRun() {
    const std::lock_guard<std::mutex> hold(g_writtenLock);
    return std::vector<std::wstring>(g_written.begin(), g_written.end());
}

} // namespace tsu

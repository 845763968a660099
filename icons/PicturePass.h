#pragma once
// The picture pass of a loading pass: one PNG per record that has an icon reference.

#include "framework/ScopedHandles.h"
#include "icons/IconPngCache.h"
#include "inventory/core/SoftwareRecord.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tsu {

// The icon reference as the pass hands it on: double quotes stripped from both ends.
[[nodiscard]] std::wstring PictureIconPath(const std::wstring& iconPath);

// Walks the map in order with a counter from 0. Each record whose icon path (quotes stripped)
// is longer than 3 characters gets a PNG with the counter as its stem; on success the record's
// imagePath is set and the counter advances, so the files are 0.png, 1.png, ... without gaps.
// Records that get no picture keep imagePath as it was. Returns the number of pictures made.
// Every picture written is also noted for PicturesWrittenThisRun. The pictures are rendered in
// memory once per icon source (path and kind), then written into the cache folder, held for the
// whole pass; both steps run on worker threads, one per core (at least two).
size_t RunPicturePass(SoftwareMap& software, IconPngCache& cache);

// Gets the shell ready for the pictures of a pass that follows (see WarmUpShellIcons) on a thread
// of its own: a loading worker starts it before reading the inventory, so that the cost overlaps
// the reading. A pass that needs the shell meanwhile waits for it. The thread's handle, empty when
// no thread could be started; keep it in a JoinedThread, since the process must not end while the
// thread is inside the shell.
[[nodiscard]] UniqueHandle StartShellWarmUp();

// The full paths of every picture the passes of this process have written (the imagePath values
// they set), each once. The self-removal deletes these and nothing else: a numbered picture that
// a user put into the folder is not the tool's.
[[nodiscard]] std::vector<std::wstring> PicturesWrittenThisRun();
// Notes a picture made outside a pass (the engine's per-picture maker) for that list.
void NotePictureWritten(const std::wstring& pngPath);

} // namespace tsu

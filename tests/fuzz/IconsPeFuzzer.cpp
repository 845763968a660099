// libFuzzer target for the icon reader's byte parsing. Every byte range the parsers hand out is
// read in full, so AddressSanitizer sees any range that reaches past the input.
#include "PeImageBuilder.h"
#include "icons/core/IconFileRules.h"
#include "icons/core/IconGroupDirectory.h"
#include "icons/core/IconImageRules.h"
#include "icons/core/PeIconWalk.h"

namespace {
using namespace tsu;
volatile uint32_t g_sink = 0;

void Touch(ByteReader bytes) {
    for (size_t i = 0; i < bytes.Size(); ++i)
        g_sink = g_sink + bytes.Data()[i];
}

void FuzzPe(ByteReader file, const uint8_t* data, size_t size) {
    PeResourceReader reader;
    if (!reader.Open(file))
        return;
    const PeIconWalk walk(reader);
    for (uint32_t p = 0; p < walk.CountGroups() && p < 8; ++p)
        Touch(reader.FindByPosition(kResourceTypeGroupIcon, p).value_or(ByteReader(nullptr, 0)));
    for (uint32_t id = 1; id <= 4; ++id)
        Touch(reader.FindById(kResourceTypeIcon, id).value_or(ByteReader(nullptr, 0)));
    const auto take = [](uint32_t, uint16_t, ByteReader image) {
        if (ClassifyIconImage(image) != IconImageFormat::Dib || !IsCompleteDibIconImage(image))
            __builtin_trap(); // only whole DIB images may reach the icon creation
        Touch(image);
        return true;
    };
    const auto closestTo = [](int size) {
        return [size](ByteReader directory) {
            Touch(directory);
            if (!IconGroupDirectory().Parse(directory))
                __builtin_trap(); // the walk hands on only directories it checked
            return test::ClosestImageId(directory, size);
        };
    };
    (void)walk.Run(0, 500, closestTo(32), take);
    (void)walk.Run(0, 500, closestTo(256), take);
    const int32_t byId = size >= 2 ? -static_cast<int32_t>(data[size - 1] | (data[size - 2] << 8)) : -1;
    (void)walk.Run(byId, 8, closestTo(16), take);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ByteReader file(data, size);
    (void)ClassifyFileHeader(file);
    (void)BitmapFileHasPixels(file);
    FuzzPe(file, data, size);
    IconGroupDirectory group;
    for (uint16_t i = 0; group.Parse(file) && i < group.Count(); ++i)
        g_sink = g_sink + group.Entry(i).id;
    if (ClassifyIconImage(file) == IconImageFormat::Dib && IsCompleteDibIconImage(file))
        Touch(file);
    return 0;
}

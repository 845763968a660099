#include "icons/core/PeIconWalk.h"

#include "icons/core/IconGroupDirectory.h"
#include "icons/core/IconImageRules.h"

#include <optional>

namespace tsu {

namespace {
constexpr int64_t kLargestResourceId = 0xFFFF; // numeric resource ids are 16-bit
}

uint32_t PeIconWalk::CountGroups() const {
    return m_reader.CountEntries(kResourceTypeGroupIcon);
}

uint32_t PeIconWalk::Run(int32_t index, uint32_t count, const ChooseIconImage& choose,
                         const TakeIconImage& take) const {
    if (!choose || !take)
        return 0;
    const uint32_t groupCount = CountGroups();
    // 64-bit: the running index of a walk started at INT32_MAX, or the id of INT32_MIN, must
    // not overflow.
    int64_t i = index;
    uint32_t taken = 0;
    while (taken < count) {
        std::optional<ByteReader> group;
        if (i >= 0) {
            if (i >= groupCount)
                break;
            group = m_reader.FindByPosition(kResourceTypeGroupIcon, static_cast<uint32_t>(i));
        } else {
            if (-i > kLargestResourceId)
                break;
            group = m_reader.FindById(kResourceTypeGroupIcon, static_cast<uint32_t>(-i));
        }
        IconGroupDirectory directory;
        if (!group || !directory.Parse(*group))
            break;
        const uint32_t imageId = choose(directory.Bytes());
        if (imageId == 0 || imageId > kLargestResourceId)
            break;
        const std::optional<ByteReader> image = m_reader.FindById(kResourceTypeIcon, imageId);
        if (!image || ClassifyIconImage(*image) != IconImageFormat::Dib || !IsCompleteDibIconImage(*image))
            break;
        if (!take(taken, static_cast<uint16_t>(imageId), *image))
            break;
        ++taken;
        ++i;
    }
    return taken;
}

} // namespace tsu

#pragma once
// The walk over a PE image's icon groups that the icon reader runs: find the group for the
// running index, let a chooser pick its best image, check that image and hand it on. The
// platform parts (best-image choice, icon creation) come in as callbacks, so the walk itself
// builds and is fuzzed without Windows.

#include "icons/core/ByteReader.h"
#include "icons/core/PeResourceReader.h"

#include <cstdint>
#include <functional>

namespace tsu {

// Id of the best image in a group directory (header and entries only); 0 when none fits.
using ChooseIconImage = std::function<uint32_t(ByteReader groupDirectory)>;
// Makes icon number `slot` from a checked DIB image; false when the platform refuses it.
using TakeIconImage = std::function<bool(uint32_t slot, uint16_t imageId, ByteReader image)>;

class PeIconWalk {
public:
    explicit PeIconWalk(const PeResourceReader& reader) : m_reader(reader) {}

    // Number of icon groups (named and numbered).
    [[nodiscard]] uint32_t CountGroups() const;

    // Up to `count` icons, one per group, starting at `index`: index >= 0 counts groups by
    // position, a negative index names the group whose id is its absolute value. After each icon
    // the index grows by 1, so a negative start asks next for the id one smaller. The walk ends
    // at the first group that is missing or malformed, whose best image is missing, PNG-
    // compressed or incomplete, or that the taker refuses. Returns the number of icons taken.
    [[nodiscard]] uint32_t Run(int32_t index, uint32_t count, const ChooseIconImage& choose,
                               const TakeIconImage& take) const;

private:
    const PeResourceReader& m_reader;
};

} // namespace tsu

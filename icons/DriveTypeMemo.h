#pragma once
// Drive types remembered for the length of a picture pass. The pass asks whether a path lies on a
// drive mapped to a share several times for each picture, for the same few drives; under Wine each
// question is a round trip to the mount manager (most of a picture's cost). Outside any memo every
// question goes to the system, so a drive mapped later is seen as such.

#include <windows.h>

namespace tsu {

class DriveTypeMemo {
public:
    // While at least one memo exists, answers are remembered for every thread.
    DriveTypeMemo();
    ~DriveTypeMemo();
    DriveTypeMemo(const DriveTypeMemo&) = delete;
    DriveTypeMemo& operator=(const DriveTypeMemo&) = delete;

    // GetDriveTypeW of the drive letter's root ("X:\").
    [[nodiscard]] static UINT DriveType(wchar_t letter);
};

} // namespace tsu

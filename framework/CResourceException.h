#pragma once
// Thrown by a control's constructor when a window class or resource it cannot live without is
// missing. Only constructors throw it; no window procedure lets it out.

#include <stdexcept>

namespace tsu {

class CResourceException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace tsu

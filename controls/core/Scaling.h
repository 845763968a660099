#pragma once
// The tool's DPI rule and its "N s" lengths. Portable: no Win32 here.

namespace tsu {

// The screen's vertical logical DPI divided by 100 when it is above 100, else 1.0 (so 96 DPI stays
// 1.0, 120 DPI gives 1.2 and 144 DPI 1.44; the divisor is 100, not 96).
[[nodiscard]] constexpr float ScaleFactorFromDpi(int logPixelsY) {
    return logPixelsY > 100 ? static_cast<float>(logPixelsY) / 100.0f : 1.0f;
}

// N times the scale factor, truncated toward zero (each product on its own).
[[nodiscard]] constexpr int Scaled(double n, float scale) {
    return static_cast<int>(n * static_cast<double>(scale));
}

} // namespace tsu

#pragma once
// The terms of use shown by the terms viewer. Portable.

#include <string>

namespace tsu {

// The whole text: a title line, an empty line, the notice "重要须知" and the sections "一." to
// "六.", each paragraph starting with four spaces and ending with CR LF, sections separated by an
// empty line.
[[nodiscard]] const std::wstring& TermsText();

} // namespace tsu

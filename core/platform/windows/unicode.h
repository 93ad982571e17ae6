// Text at the boundary of the Windows API: the system speaks UTF-16, the
// program keeps UTF-8 inside (paths included).
#pragma once

#include <string>
#include <string_view>

namespace ridloe {

// UTF-8 to UTF-16; false (with `out` empty) for bytes that are not UTF-8.
bool WideFromUtf8(std::string_view text, std::wstring& out);
// The same, for text that is known to be UTF-8 or may lose what is not.
std::wstring WideFromUtf8(std::string_view text);
// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view text);

// `path` made absolute, as the system names it (a device name such as CON
// as \\.\CON); as it is when the system cannot say.
std::wstring FullPath(const std::wstring& path);

}  // namespace ridloe

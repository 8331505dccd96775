// CodePage.hpp: names and window texts between the program's UTF-8 and the system's UTF-16.
#pragma once

#include <string>

namespace platform {

// Inside, names and window texts are UTF-8; Windows takes and gives UTF-16. A file name on Windows may hold a
// lone surrogate, which UTF-8 cannot: it travels as the three bytes UTF-8 would give it had it been a
// character (WTF-8), so every name the system can give comes back to it unchanged. Bytes that are no UTF-8
// become U+FFFD.
std::wstring WideFromUtf8(const std::string& utf8);
std::string Utf8FromWide(const std::wstring& wide);
std::string Utf8FromWide(const wchar_t* wide);

// The wide form of a path for the file functions. Beyond the classic limit of 260 characters it is the full
// path in the "\\?\" form, which Windows takes at any length; shorter paths are passed as they are, so
// wildcards, relative paths and "." and ".." levels keep their usual meaning there.
std::wstring WidePath(const std::string& path);
std::wstring LongPathForm(const std::wstring& path);  // the same for a path already in UTF-16

// The path made absolute against the current directory ("" when the system cannot).
std::wstring FullPathOf(const std::wstring& path);

// A path the system gave back in the "\\?\" form, without it: "\\?\C:\a" gives "C:\a", "\\?\UNC\s\x" gives
// "\\s\x".
std::wstring WithoutLongPrefix(const std::wstring& path);

}  // namespace platform

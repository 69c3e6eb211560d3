// File names as the program keeps them: UTF-8 text. A path's own form is UTF-16 on Windows, and
// its plain string() there is the local ANSI code page, which cannot hold every name (a folder
// named in Devanagari, say), so paths are made from text and shown as text only through these.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// The path that UTF-8 `text` names. On Windows bytes that are not UTF-8 become U+FFFD.
std::filesystem::path PathFromUtf8(std::string_view text);

// The UTF-8 text of `path`, for messages and for comparing names. On Windows a lone surrogate
// becomes U+FFFD.
std::string Utf8Of(const std::filesystem::path& path);

#ifdef _WIN32
// The UTF-16 text of UTF-8 `text`, as Windows takes names and console text; bytes that are not
// UTF-8 become U+FFFD.
std::wstring WideOfUtf8(std::string_view text);

// The UTF-8 text of UTF-16 `wide`, as Windows hands out names, messages and arguments; a lone
// surrogate becomes U+FFFD.
std::string Utf8OfWide(std::wstring_view wide);

// `path` as Windows' file functions are to be given it: a path of 260 characters or more made
// absolute under "\\?\", which lifts their length limit on every Windows, whatever its settings;
// any other path as it is.
std::wstring SystemPath(const std::filesystem::path& path);
#endif

}  // namespace platform

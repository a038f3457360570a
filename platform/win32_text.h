// UTF-8 and the UTF-16 of the Win32 calls. Images built for one locale may
// lack the UTF-8 code page: the program's own texts and paths are ASCII,
// which then widen byte by byte and narrow character by character.
#ifndef PLATFORM_WIN32_TEXT_H
#define PLATFORM_WIN32_TEXT_H

#include <cstddef>
#include <string>

std::wstring WideFromUtf8(const std::string &text);

// `?` stands for a character the fallback cannot narrow.
std::string Utf8FromWide(const wchar_t *text, size_t length);
std::string Utf8FromWide(const std::wstring &text);

// value in decimal, with leading zeros to at least `width` digits (the C
// runtime's formatting aside, which differs between CE and the desktop).
std::string DecimalDigits(unsigned long value, size_t width = 1);

#endif

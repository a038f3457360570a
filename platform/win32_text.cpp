// UTF-8 and UTF-16 for the Win32 calls (win32_text.h).
#include "win32_text.h"

#include <windows.h>

namespace {

std::wstring WidenedByteByByte(const std::string &text) {
    std::wstring wide;
    for (size_t i = 0; i < text.size(); ++i) wide += static_cast<wchar_t>(static_cast<unsigned char>(text[i]));
    return wide;
}

std::string NarrowedCharByChar(const wchar_t *text, size_t length) {
    std::string narrow;
    for (size_t i = 0; i < length; ++i) narrow += text[i] < 0x80 ? static_cast<char>(text[i]) : '?';
    return narrow;
}

}  // namespace

std::wstring WideFromUtf8(const std::string &text) {
    if (text.empty()) return std::wstring();
    int size = static_cast<int>(text.size());
    int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, NULL, 0);
    if (length <= 0) return WidenedByteByByte(text);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_UTF8, 0, text.data(), size, &wide[0], length) != length)
        return WidenedByteByByte(text);
    return wide;
}

std::string Utf8FromWide(const wchar_t *text, size_t length) {
    if (length == 0) return std::string();
    int size = static_cast<int>(length);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, size, NULL, 0, NULL, NULL);
    if (bytes <= 0) return NarrowedCharByChar(text, length);
    std::string narrow(static_cast<size_t>(bytes), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, text, size, &narrow[0], bytes, NULL, NULL) != bytes)
        return NarrowedCharByChar(text, length);
    return narrow;
}

std::string Utf8FromWide(const std::wstring &text) { return Utf8FromWide(text.data(), text.size()); }

std::string DecimalDigits(unsigned long value, size_t width) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + value % 10));
        value /= 10;
    } while (value != 0);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return digits;
}

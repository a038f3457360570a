// A version text as the library's version word: its leading numbers, up to
// four, one per byte, most significant first. Numbers are separated by '.',
// '-', '+' or '~'; anything else ends the version ("6.1.0-27-amd64" is
// 6.1.0.27, "12" is 12.0.0.0). Numbers above 255 are cut to 255.
#ifndef LINUX_VERSION_WORD_H
#define LINUX_VERSION_WORD_H

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>

inline uint32_t VersionWord(const std::string &text) {
    uint32_t word = 0;
    int fields = 0;
    size_t at = 0;
    while (at < text.size() && fields < 4 && std::isdigit(static_cast<unsigned char>(text[at]))) {
        uint32_t number = 0;
        for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at)
            number = std::min<uint32_t>(number * 10 + static_cast<uint32_t>(text[at] - '0'), 255);
        word |= number << (8 * (3 - fields++));
        if (at < text.size() && std::strchr(".-+~", text[at])) ++at;
    }
    return word;
}

#endif

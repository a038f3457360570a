// Inside the platform layer: what a person types at a remote terminal (a
// serial line, telnet), which hands over each byte as it is typed, with no
// line discipline of its own.
#ifndef PLATFORM_REMOTE_TERMINAL_INPUT_H
#define PLATFORM_REMOTE_TERMINAL_INPUT_H

#include <cstddef>
#include <string>

// Terminals end a line with CR, LF or CR LF: each becomes one '\n', in place,
// also when the LF of a CR LF comes with the next call. `afterReturn` carries
// that over between calls (false at first). Returns the bytes left.
inline size_t JoinTerminalLineEnds(char *bytes, size_t count, bool &afterReturn) {
    size_t kept = 0;
    for (size_t i = 0; i < count; ++i) {
        char c = bytes[i];
        bool lineFeedOfReturn = c == '\n' && afterReturn;
        afterReturn = c == '\r';
        if (lineFeedOfReturn) continue;
        bytes[kept++] = c == '\r' ? '\n' : c;
    }
    return kept;
}

// What the terminal shows of the joined input: the text and the line ends,
// not the other control bytes.
inline std::string TerminalEcho(const char *bytes, size_t count) {
    std::string echo;
    for (size_t i = 0; i < count; ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '\n' || c == '\t' || (c >= 0x20 && c != 0x7F)) echo += static_cast<char>(c);
    }
    return echo;
}

#endif

// POSIX implementation of platform/console.h. All input goes through one
// buffer, so that the dialogue's reads and the key check see the same bytes.
#include "console.h"

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "console_terminal.h"

namespace {

constexpr int kInput = STDIN_FILENO;

std::string g_buffer;   // bytes read and not yet consumed, from g_head on
size_t g_head = 0;
bool g_ended = false;   // the input has no more bytes after the buffer

termios g_lineMode;
volatile sig_atomic_t g_keyMode = 0;  // terminal switched to single keys

size_t Buffered() { return g_buffer.size() - g_head; }

void Append(const char *bytes, size_t count) {
    if (g_head > 4096 && g_head * 2 > g_buffer.size()) {
        g_buffer.erase(0, g_head);
        g_head = 0;
    }
    g_buffer.append(bytes, count);
}

// One read(2); false when the input has ended.
bool ReadOnce() {
    char bytes[4096];
    for (;;) {
        ssize_t got = read(kInput, bytes, sizeof bytes);
        if (got > 0) {
            Append(bytes, static_cast<size_t>(got));
            return true;
        }
        if (got < 0 && errno == EINTR) continue;
        g_ended = true;
        return false;
    }
}

bool InputWaiting() {
    pollfd fd{kInput, POLLIN, 0};
    int ready;
    do {
        ready = poll(&fd, 1, 0);
    } while (ready < 0 && errno == EINTR);
    return ready > 0 && (fd.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

// Reads what has arrived without waiting; false when nothing has.
bool ReadWaiting() {
    if (g_ended || !InputWaiting()) return false;
    return ReadOnce();
}

void RestoreAndReraise(int signal) {
    ConsoleRestoreTerminal();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void EnterKeyMode() {
    if (g_keyMode) return;
    static bool saved = false;
    if (!saved) {
        if (tcgetattr(kInput, &g_lineMode) != 0) return;
        saved = true;
        std::atexit(ConsoleRestoreTerminal);
        std::signal(SIGINT, RestoreAndReraise);
        std::signal(SIGTERM, RestoreAndReraise);
        std::signal(SIGHUP, RestoreAndReraise);
    }
    termios keys = g_lineMode;
    keys.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    keys.c_cc[VMIN] = 0;
    keys.c_cc[VTIME] = 0;
    if (tcsetattr(kInput, TCSANOW, &keys) == 0) g_keyMode = 1;
}

bool TerminalSpacePressed() {
    EnterKeyMode();
    ReadWaiting();
    size_t space = g_buffer.find(' ', g_head);
    // Keys other than Space pressed while a loop polls are not meant as
    // answers to a later prompt.
    g_head = space == std::string::npos ? g_buffer.size() : space + 1;
    return space != std::string::npos;
}

bool ScriptSpacePressed() {
    for (;;) {
        if (Buffered() == 0) {
            if (g_ended) return true;
            if (!ReadWaiting()) return g_ended;
            continue;
        }
        char next = g_buffer[g_head];
        if (next == '\n' || next == '\r') {
            ++g_head;
            continue;
        }
        // A blank is the Space key. Anything else means the script has moved
        // on to the next prompt: the loop ends and leaves it for that prompt.
        if (next == ' ') ++g_head;
        return true;
    }
}

std::string ReadAnswerWord() {
    while (PlatformConsolePeek() != kConsoleEndOfInput && std::isspace(PlatformConsolePeek()))
        PlatformConsoleConsume(1);
    std::string word;
    for (int c = PlatformConsolePeek(); c != kConsoleEndOfInput && !std::isspace(c);
         c = PlatformConsolePeek()) {
        word += static_cast<char>(std::tolower(c));
        PlatformConsoleConsume(1);
    }
    return word;
}

int AskYesNo(const char *text, const char *caption) {
    for (;;) {
        std::printf("[%s] %s [Yes/No]: ", caption, text);
        std::string answer = ReadAnswerWord();
        if (answer == "y" || answer == "yes") return kMessageBoxAnswerYes;
        if (answer == "n" || answer == "no" || answer.empty()) return kMessageBoxAnswerNo;
    }
}

void WaitForLineEnd() {
    // Blanks and line ends already typed belong to earlier prompts.
    while (Buffered() > 0 && std::isspace(static_cast<unsigned char>(g_buffer[g_head]))) ++g_head;
    for (int c = PlatformConsolePeek(); c != kConsoleEndOfInput; c = PlatformConsolePeek()) {
        PlatformConsoleConsume(1);
        if (c == '\n') return;
    }
}

}  // namespace

void ConsoleRestoreTerminal() {
    if (g_keyMode) {
        tcsetattr(kInput, TCSANOW, &g_lineMode);
        g_keyMode = 0;
    }
}

int PlatformConsolePeek(size_t offset) {
    while (Buffered() <= offset) {
        if (g_ended) return kConsoleEndOfInput;
        std::fflush(stdout);
        ConsoleRestoreTerminal();
        ReadOnce();
    }
    return static_cast<unsigned char>(g_buffer[g_head + offset]);
}

void PlatformConsoleConsume(size_t count) {
    g_head += count < Buffered() ? count : Buffered();
}

bool PlatformConsoleIsTerminal() { return isatty(kInput) == 1; }

bool PlatformSpaceKeyPressed() {
    static const bool terminal = PlatformConsoleIsTerminal();
    return terminal ? TerminalSpacePressed() : ScriptSpacePressed();
}

int PlatformMessageBox(const char *text, const char *caption, uint32_t type) {
    if ((type & 0xF) == kMessageBoxYesNo) return AskYesNo(text, caption);
    if (PlatformConsoleIsTerminal()) {
        std::printf("[%s] %s [OK]: ", caption, text);
        WaitForLineEnd();
    } else {
        std::printf("[%s] %s [OK]\n", caption, text);
    }
    std::fflush(stdout);
    return kMessageBoxAnswerOk;
}

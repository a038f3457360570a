// POSIX implementation of platform/console.h: the raw reads of the standard
// input, and the terminal's single-key mode for the Space key. The buffer and
// the script conventions are console_script.cpp.
#include "console.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "console_script.h"
#include "console_terminal.h"

namespace {

const int kInput = STDIN_FILENO;

termios g_lineMode;
volatile sig_atomic_t g_keyMode = 0;  // terminal switched to single keys

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
    // Keys other than Space pressed while a loop polls are not meant as
    // answers to a later prompt.
    return ConsoleTakeThroughBlank();
}

}  // namespace

size_t ConsoleReadInput(char *bytes, size_t size) {
    for (;;) {
        ssize_t got = read(kInput, bytes, size);
        if (got > 0) return static_cast<size_t>(got);
        if (got < 0 && errno == EINTR) continue;
        return 0;
    }
}

bool ConsoleInputWaiting() {
    pollfd fd;
    fd.fd = kInput;
    fd.events = POLLIN;
    fd.revents = 0;
    int ready;
    do {
        ready = poll(&fd, 1, 0);
    } while (ready < 0 && errno == EINTR);
    return ready > 0 && (fd.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

void ConsoleBeforeWait() { ConsoleRestoreTerminal(); }

void ConsoleRestoreTerminal() {
    if (g_keyMode) {
        tcsetattr(kInput, TCSANOW, &g_lineMode);
        g_keyMode = 0;
    }
}

bool PlatformConsoleIsTerminal() { return !PlatformConsoleFed() && isatty(kInput) == 1; }

bool PlatformSpaceKeyPressed() {
    if (PlatformConsoleFed()) return ConsoleFedSpacePressed();
    static const bool terminal = PlatformConsoleIsTerminal();
    return terminal ? TerminalSpacePressed() : ConsoleScriptSpacePressed();
}

bool PlatformConsoleForceRemoteTerminal() { return false; }

std::string PlatformConsoleDescription() { return std::string(); }

bool PlatformConsoleReaderRuns() { return false; }

int PlatformMessageBox(const char *text, const char *caption, uint32_t type) {
    return ConsoleTextBox(text, caption, type, PlatformConsoleIsTerminal());
}

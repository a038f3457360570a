// The console's input buffer and script conventions (console_script.h):
// all input goes through one buffer, so that the dialogue's reads and the
// key check see the same bytes.
#include "console_script.h"

#include <cstdio>
#include <string>

#include "console.h"
#include "plan_io.h"
#include "white_space.h"

namespace {

std::string g_buffer;   // bytes read and not yet consumed, from g_head on
size_t g_head = 0;
bool g_ended = false;   // the input has no more bytes after the buffer

// A fed input (PlatformConsoleFeed).
bool g_fed = false;
void (*g_runsDry)() = NULL;
uint32_t g_spaceAfterMs = 0;
bool g_spaceTiming = false;  // the first check since the last press has been made
uint32_t g_spaceSince = 0;
size_t g_unansweredBoxes = 0;
std::string g_firstUnansweredBox;

size_t Buffered() { return g_buffer.size() - g_head; }

// One read; false when the input has ended.
bool ReadOnce() {
    char bytes[4096];
    size_t got = ConsoleReadInput(bytes, sizeof bytes);
    if (got == 0) {
        g_ended = true;
        return false;
    }
    if (g_head > 4096 && g_head * 2 > g_buffer.size()) {
        g_buffer.erase(0, g_head);
        g_head = 0;
    }
    g_buffer.append(bytes, got);
    return true;
}

char AsciiLowerCase(int c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); }

std::string ReadAnswerWord() {
    while (PlatformConsolePeek() != kConsoleEndOfInput && IsWhiteSpace(PlatformConsolePeek()))
        PlatformConsoleConsume(1);
    std::string word;
    for (int c = PlatformConsolePeek(); c != kConsoleEndOfInput && !IsWhiteSpace(c);
         c = PlatformConsolePeek()) {
        word += AsciiLowerCase(c);
        PlatformConsoleConsume(1);
    }
    return word;
}

// Whether anything but blanks and line ends is left of a fed input.
bool FedAnswerLeft() {
    for (size_t at = g_head; at < g_buffer.size(); ++at)
        if (!IsWhiteSpace(static_cast<unsigned char>(g_buffer[at]))) return true;
    return false;
}

int AskYesNo(const char *text, const char *caption) {
    for (;;) {
        std::printf("[%s] %s [Yes/No]: ", caption, text);
        if (g_fed && !FedAnswerLeft()) {
            // A plan that gives no answer here ends the box as the end of a
            // script does; the step is told it ran out of answers.
            if (g_unansweredBoxes++ == 0) g_firstUnansweredBox = text;
            std::printf("\n");
            return kMessageBoxAnswerNo;
        }
        std::string answer = ReadAnswerWord();
        if (g_fed) std::printf("%s\n", answer.c_str());
        if (answer == "y" || answer == "yes") return kMessageBoxAnswerYes;
        if (answer == "n" || answer == "no" || answer.empty()) return kMessageBoxAnswerNo;
    }
}

void WaitForLineEnd() {
    // Blanks and line ends already typed belong to earlier prompts.
    while (Buffered() > 0 && IsWhiteSpace(static_cast<unsigned char>(g_buffer[g_head]))) ++g_head;
    for (int c = PlatformConsolePeek(); c != kConsoleEndOfInput; c = PlatformConsolePeek()) {
        PlatformConsoleConsume(1);
        if (c == '\n') return;
    }
}

}  // namespace

int PlatformConsolePeek(size_t offset) {
    while (Buffered() <= offset) {
        if (g_fed) {
            if (g_runsDry) g_runsDry();
            return kConsoleEndOfInput;
        }
        if (g_ended) return kConsoleEndOfInput;
        std::fflush(stdout);
        ConsoleBeforeWait();
        ReadOnce();
    }
    return static_cast<unsigned char>(g_buffer[g_head + offset]);
}

void PlatformConsoleConsume(size_t count) {
    g_head += count < Buffered() ? count : Buffered();
}

bool ConsoleReadWaiting() {
    if (g_fed || g_ended || !ConsoleInputWaiting()) return false;
    return ReadOnce();
}

void PlatformConsoleFeed(const std::string &bytes, void (*runsDry)(), uint32_t spaceAfterMs) {
    g_buffer = bytes;
    // Ended by a line end, the bytes run dry only where a read begins, never
    // within a word or a number.
    if (!g_buffer.empty() && g_buffer[g_buffer.size() - 1] != '\n') g_buffer += '\n';
    g_head = 0;
    g_fed = true;
    g_runsDry = runsDry;
    g_spaceAfterMs = spaceAfterMs;
    g_spaceTiming = false;
    g_unansweredBoxes = 0;
    g_firstUnansweredBox.clear();
}

bool PlatformConsoleFed() { return g_fed; }

ConsoleFeedEnd PlatformConsoleEndFeed() {
    ConsoleFeedEnd end;
    end.unreadBytes = 0;
    for (size_t at = g_head; at < g_buffer.size(); ++at)
        if (!IsWhiteSpace(static_cast<unsigned char>(g_buffer[at]))) ++end.unreadBytes;
    end.unansweredBoxes = g_unansweredBoxes;
    end.firstUnansweredBox = g_firstUnansweredBox;
    g_buffer.clear();
    g_head = 0;
    g_fed = false;
    g_runsDry = NULL;
    return end;
}

bool ConsoleFedSpacePressed() {
    uint32_t now = PlatformMilliseconds();
    if (!g_spaceTiming) {
        g_spaceTiming = true;
        g_spaceSince = now;
    }
    if (now - g_spaceSince < g_spaceAfterMs) return false;
    g_spaceTiming = false;
    return true;
}

bool ConsoleScriptSpacePressed() {
    for (;;) {
        if (Buffered() == 0) {
            if (g_ended) return true;
            if (!ConsoleReadWaiting()) return g_ended;
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

bool ConsoleTakeThroughBlank() {
    ConsoleReadWaiting();
    size_t space = g_buffer.find(' ', g_head);
    g_head = space == std::string::npos ? g_buffer.size() : space + 1;
    return space != std::string::npos;
}

int ConsoleTextBox(const char *text, const char *caption, uint32_t type, bool terminal) {
    if ((type & 0xF) == kMessageBoxYesNo) return AskYesNo(text, caption);
    if (terminal) {
        std::printf("[%s] %s [OK]: ", caption, text);
        WaitForLineEnd();
    } else {
        std::printf("[%s] %s [OK]\n", caption, text);
    }
    std::fflush(stdout);
    return kMessageBoxAnswerOk;
}

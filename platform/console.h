// The console: buffered input shared by the dialogue and the key check, and
// message boxes. On Windows, with a console as the standard input, the key
// check is the real Space key and the box is MessageBoxW; on Linux, and on
// Windows with redirected input, both work on the standard input, which may
// be a terminal or a script.
#ifndef PLATFORM_CONSOLE_H
#define PLATFORM_CONSOLE_H

#include <cstddef>
#include <string>

#include "../hal/fixed_width_types.h"

const int kConsoleEndOfInput = -1;

// The byte `offset` places ahead in the input, without taking it; waits for
// the operator when the input holds fewer. Standard output is flushed before
// any wait. kConsoleEndOfInput once the input has ended.
int PlatformConsolePeek(size_t offset = 0);

// Takes `count` bytes that PlatformConsolePeek has shown.
void PlatformConsoleConsume(size_t count);

// Whether the standard input is a terminal (a person) rather than a script.
bool PlatformConsoleIsTerminal();

// GetAsyncKeyState(VK_SPACE) != 0, without waiting. On a Windows console the
// Space key is down or went down since the last check. On a terminal the input
// is switched to unbuffered, unechoed keys while the program polls (restored
// before the next prompt, at exit and on Ctrl-C); a Space typed since the
// last check counts. From a script a blank waiting in the input is the Space
// key: line ends before it and the blank are taken. Any other character
// waiting also counts as pressed and stays for the next prompt, and so does
// the end of the input; only an open input with nothing waiting (line ends
// aside) is "not pressed", so a finite script always ends the loop.
bool PlatformSpaceKeyPressed();

// --terminal: the standard input is a person at a remote terminal, whatever
// its redirection says. Only Windows Embedded Compact tells remote terminals
// apart (platform/stdio_redirection.h); elsewhere nothing changes and the
// answer is false. Call it before anything reads the console.
bool PlatformConsoleForceRemoteTerminal();

// How the program sees its console, in lines for --version without a line
// end after the last: on Windows Embedded Compact the standard input's
// redirection, the registry's console redirection and the resulting class.
// Empty elsewhere.
std::string PlatformConsoleDescription();

// Whether a thread of the program waits for the standard input (a remote
// terminal on Windows Embedded Compact, from its first read on). The C
// runtime's exit may wait for that thread: the program then ends through
// PlatformExitProcess.
bool PlatformConsoleReaderRuns();

// MessageBoxW(NULL, text, caption, type) answers.
const uint32_t kMessageBoxOk = 0x0;          // MB_OK
const uint32_t kMessageBoxYesNo = 0x4;       // MB_YESNO
const uint32_t kMessageBoxTopmost = 0x40000; // MB_TOPMOST
const int kMessageBoxAnswerOk = 1;           // IDOK
const int kMessageBoxAnswerYes = 6;          // IDYES
const int kMessageBoxAnswerNo = 7;           // IDNO

// Shows the caption, the text and the buttons on the console. A Yes/No box
// reads a word: y or yes answers Yes, n or no answers No (any case), anything
// else asks again, end of input answers No. An OK box waits for a line end on
// a terminal and for nothing when the input is a script.
int PlatformMessageBox(const char *text, const char *caption, uint32_t type);

// Plan steps feed the dialogue's input themselves: from PlatformConsoleFeed
// until PlatformConsoleEndFeed the input is `bytes` and nothing else, never
// the standard input. It behaves as a script, with three differences: when
// a read finds the bytes used up, `runsDry` is called (it must not return:
// the step ends there; a line end is added to bytes that lack one, so that
// this happens only as a read begins, in the dialogue's frames, never within
// a word or a number); a Yes/No box with no answer left answers No and is
// counted; the Space key is pressed `spaceAfterMs` after the first check of
// it, and again that long after each press.
void PlatformConsoleFeed(const std::string &bytes, void (*runsDry)(), uint32_t spaceAfterMs);

// Whether the input is fed (PlatformConsoleFeed).
bool PlatformConsoleFed();

struct ConsoleFeedEnd {
    size_t unreadBytes;      // fed bytes the dialogue did not read, blanks and line ends aside
    size_t unansweredBoxes;  // Yes/No boxes answered No for lack of an answer
    std::string firstUnansweredBox;  // the text of the first of them
};

// Back to the standard input; what was fed and not read is dropped.
ConsoleFeedEnd PlatformConsoleEndFeed();

#endif

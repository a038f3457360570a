// The key checks of qzhalprobe-ce (probe.h): a person presses Enter, then
// Space, and the probe tells what reached it, and when.
#include "probe.h"

#include <windows.h>

#include <cstdio>

namespace {

// Bytes that come within this of the one before belong to the same key.
const unsigned long kFollowMs = 300;

// The next byte within timeoutMs: the byte, kTerminalNothingYet when none
// came, kTerminalEnded when the input has ended.
typedef int (*NextByte)(unsigned long timeoutMs);

unsigned long Since(DWORD start) { return GetTickCount() - start; }

TerminalDevice g_device;

int NextDeviceByte(unsigned long timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        int c = ReadTerminalDeviceByte(g_device);
        if (c != kTerminalNothingYet || Since(start) >= timeoutMs) return c;
    }
}

// What the standard input's thread has read and the checks not yet taken.
struct InputBytes {
    CRITICAL_SECTION lock;
    HANDLE arrived;  // auto reset: set after each byte and at the end
    std::string bytes;
    bool ended;
};

InputBytes g_input;

DWORD WINAPI ReadStandardInput(LPVOID) {
    for (;;) {
        int c = std::fgetc(stdin);
        EnterCriticalSection(&g_input.lock);
        if (c == EOF) g_input.ended = true;
        else g_input.bytes += static_cast<char>(c);
        LeaveCriticalSection(&g_input.lock);
        SetEvent(g_input.arrived);
        if (c == EOF) return 0;
    }
}

int NextInputByte(unsigned long timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        EnterCriticalSection(&g_input.lock);
        int c = g_input.bytes.empty() ? (g_input.ended ? kTerminalEnded : kTerminalNothingYet)
                                      : static_cast<unsigned char>(g_input.bytes[0]);
        if (!g_input.bytes.empty()) g_input.bytes.erase(0, 1);
        LeaveCriticalSection(&g_input.lock);
        unsigned long spent = Since(start);
        if (c != kTerminalNothingYet || spent >= timeoutMs) return c;
        WaitForSingleObject(g_input.arrived, timeoutMs - spent);
    }
}

struct Arrival {
    std::string bytes;
    unsigned long afterMs;  // from the request to the first byte
    bool ended;
};

Arrival Await(NextByte next, unsigned long waitMs) {
    Arrival arrival;
    arrival.afterMs = 0;
    DWORD start = GetTickCount();
    int c = next(waitMs);
    arrival.afterMs = Since(start);
    while (c >= 0) {
        arrival.bytes += static_cast<char>(c);
        c = next(kFollowMs);
    }
    arrival.ended = c == kTerminalEnded;
    return arrival;
}

std::string Hexadecimal(unsigned char byte) {
    const char digits[] = "0123456789abcdef";
    std::string text = "0x";
    text += digits[byte >> 4];
    text += digits[byte & 15];
    return text;
}

// "CR LF", "Space", "'7' CR".
std::string Named(const std::string &bytes) {
    std::string names;
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (!names.empty()) names += ' ';
        if (c == '\r') names += "CR";
        else if (c == '\n') names += "LF";
        else if (c == ' ') names += "Space";
        else if (c > 0x20 && c < 0x7F) names += std::string("'") + static_cast<char>(c) + "'";
        else names += Hexadecimal(c);
    }
    return names;
}

// What the key's arrival decides in qzhaltest.
std::string KeyDecides(char key, const Arrival &arrival) {
    bool alone = arrival.bytes.size() == 1 && arrival.bytes[0] == key;
    bool among = arrival.bytes.find(key) != std::string::npos;
    if (key == '\r') {
        if (alone) return "a terminal that sends CR alone at Enter works";
        if (among) return "CR comes with what follows it: qzhaltest takes CR, LF and CR LF each for one line end";
        return "a lone CR does not reach a program here: set the terminal to send CR LF at Enter";
    }
    if (alone) return "a Space typed here ends the 'until Space' loops at once";
    if (among) return "Space comes only with a line end: end the 'until Space' loops with Space, then Enter";
    return "Space does not reach a program here: use the device's Space key for the 'until Space' loops";
}

void CheckKey(int number, const std::string &source, NextByte next, char key) {
    const char *name = key == '\r' ? "CR" : "Space";
    AskLine(std::string("press ") + (key == '\r' ? "Enter" : "Space") + " alone now, at the keyboard or terminal (read through " +
            source + ", waiting " + Seconds(kKeyWaitMs) + ")");
    Arrival arrival = Await(next, kKeyWaitMs);
    std::string what = std::string("lone ") + name + " through " + source;
    if (arrival.bytes.empty() && arrival.ended) {
        AnswerLine(number, what, "the input has ended", "nothing: no person types here");
        return;
    }
    std::string answer;
    if (arrival.bytes.empty()) {
        answer = "nothing within " + Seconds(kKeyWaitMs);
        AskLine("press Enter now, to see whether the key was held back (waiting " + Seconds(kKeyWaitMs) + ")");
        arrival = Await(next, kKeyWaitMs);
        if (!arrival.bytes.empty()) answer += ", then with Enter: " + Named(arrival.bytes);
    } else {
        answer = Named(arrival.bytes) + ", " + Seconds(arrival.afterMs) + " after the request";
    }
    AnswerLine(number, what, answer, KeyDecides(key, arrival));
}

void CheckKeys(int first, const std::string &source, NextByte next) {
    CheckKey(first, source, next, '\r');
    CheckKey(first + 1, source, next, ' ');
}

}  // namespace

void CheckKeysOnDevice(int first, const std::wstring &deviceName, const TerminalDevice &device) {
    g_device = device;
    CheckKeys(first, NarrowedToAscii(deviceName), NextDeviceByte);
}

bool CheckKeysOnStandardInput(int first) {
    // Unbuffered before the first read, as qzhaltest reads a terminal.
    std::setvbuf(stdin, NULL, _IONBF, 0);
    InitializeCriticalSection(&g_input.lock);
    g_input.ended = false;
    g_input.arrived = CreateEventW(NULL, FALSE, FALSE, NULL);
    HANDLE thread = g_input.arrived ? CreateThread(NULL, 0, ReadStandardInput, NULL, 0, NULL) : NULL;
    if (!thread) return false;
    CloseHandle(thread);
    CheckKeys(first, "the C runtime's standard input", NextInputByte);
    return true;
}

bool StandardInputReaderWaits() {
    if (!g_input.arrived) return false;
    EnterCriticalSection(&g_input.lock);
    bool waits = !g_input.ended;
    LeaveCriticalSection(&g_input.lock);
    return waits;
}

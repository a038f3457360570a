// qzhalprobe-ce's parts: its numbered answer lines, and the key checks
// (what a lone CR and a lone Space do on their way into a program).
#ifndef WINCE_PROBE_PROBE_H
#define WINCE_PROBE_PROBE_H

#include <string>

#include "../../platform/win32_console_redirection.h"

// Prints "[n] what: answer -> what it decides" and flushes it, so that a
// hang after it leaves the line on the screen.
void AnswerLine(int number, const std::string &what, const std::string &answer, const std::string &decides);

// An instruction to the person at the device, indented under the answers.
void AskLine(const std::string &text);

// Seconds with two decimals: "1.25 s".
std::string Seconds(unsigned long milliseconds);

// How long a key check waits for the key.
const unsigned long kKeyWaitMs = 15000;

// The lone CR and the lone Space read through the terminal's own device
// (the way qzhaltest reads it when the device opens), answers `first` and
// `first` + 1.
void CheckKeysOnDevice(int first, const std::wstring &deviceName, const TerminalDevice &device);

// The same through the C runtime's standard input, unbuffered, read by a
// thread of its own, which stays waiting in fgetc afterwards (for the check
// of the end). False when the thread cannot start.
bool CheckKeysOnStandardInput(int first);

// Whether that thread still waits in fgetc (the input has not ended).
bool StandardInputReaderWaits();

#endif

#include "dialogue.h"

#include <cstring>
#include <iostream>

#include "../platform/console.h"
#include "../platform/system.h"
#include "../platform/white_space.h"
#include "main_menu.h"
#include "number_scan.h"

namespace {

const char kFrameLine[] = "---------------------------------";      // 33 dashes
const char kClosingLine[] = "------------------------------------";  // 36 dashes

// Pause between checks of the Space key.
const uint32_t kSpaceCheckMs = 5;

// The console's input as the number scan reads it; kConsoleEndOfInput is
// negative, as the scan expects at the end of the input.
struct ConsoleInput {
    int Peek(size_t offset) { return PlatformConsolePeek(offset); }
    void Consume(size_t count) { PlatformConsoleConsume(count); }
};

const int32_t *g_plannedChoices = NULL;
size_t g_plannedCount = 0;
size_t g_plannedNext = 0;
bool g_planned = false;

int g_unprintedResult = kNoRecordedResult;

// Does not return.
void EndAtEndOfInput() { PlatformExitProcess(kExitCodeNormalEnd); }

void DiscardRestOfLine() {
    for (int c = PlatformConsolePeek(); c != kConsoleEndOfInput; c = PlatformConsolePeek()) {
        PlatformConsoleConsume(1);
        if (c == '\n') return;
    }
}

std::string DigitsText(uint32_t value, uint32_t radix);

// A fed input (a plan step) is not typed on the console, so the answer is
// shown after its prompt, as a person's typing would be.
void EchoFedAnswer(const std::string &answer) {
    if (PlatformConsoleFed()) PrintLine(answer);
}

std::string AnswerText(int32_t value, NumberBase base) {
    return base == kDecimal ? DecimalText(value) : HexText(static_cast<uint32_t>(value));
}

std::string AnswerText(uint32_t value, NumberBase base) { return DigitsText(value, base == kDecimal ? 10 : 16); }

// Scans one number after the prompt; asks again until one fits.
template <typename Value>
Value ReadValue(const char *prompt, NumberBase base, bool (*convert)(const NumberScan &, Value &)) {
    for (;;) {
        PrintPrompt(prompt);
        ConsoleInput input;
        NumberScan scan = ScanNumber(input, base);
        if (scan.status == kScanEndOfInput) EndAtEndOfInput();
        Value value = 0;
        if (convert(scan, value)) {
            EchoFedAnswer(AnswerText(value, base));
            return value;
        }
        DiscardRestOfLine();
        PrintLine(base == kDecimal ? "Invalid Input!!! Enter a decimal number!!!"
                                   : "Invalid Input!!! Enter a hexadecimal number!!!");
    }
}

// value in the radix, most significant digit first, without leading zeros.
std::string DigitsText(uint32_t value, uint32_t radix) {
    static const char kDigits[] = "0123456789abcdef";
    char text[32];
    size_t first = sizeof text;
    do {
        text[--first] = kDigits[value % radix];
        value /= radix;
    } while (value != 0);
    return std::string(text + first, sizeof text - first);
}

}  // namespace

// A plan step's dialogue goes to a file that is read only after the step:
// nobody waits for its lines, so they are not flushed one by one.
void PrintLine(const std::string &text) {
    std::cout << text << '\n';
    if (!PlatformConsoleFed()) std::cout << std::flush;
}

void PrintPrompt(const std::string &text) {
    std::cout << text;
    if (!PlatformConsoleFed()) std::cout << std::flush;
}

void PrintSubMenuItems(const char *title, const char *const *items, size_t count) {
    PrintLine(kFrameLine);
    PrintLine(title);
    PrintLine(kFrameLine);
    for (size_t i = 0; i < count; ++i) PrintLine(DecimalText(static_cast<int32_t>(i + 1)) + ": " + items[i]);
    PrintLine("0: Main Menu");
    PrintLine(kFrameLine);
}

void RecordUnprintedResult(int result) { g_unprintedResult = result; }

int TakeUnprintedResult() {
    int result = g_unprintedResult;
    g_unprintedResult = kNoRecordedResult;
    return result;
}

void SetPlannedMenuChoices(const int32_t *choices, size_t count) {
    g_plannedChoices = choices;
    g_plannedCount = count;
    g_plannedNext = 0;
    g_planned = count > 0;
}

int32_t ReadMenuChoice() {
    PrintPrompt("Enter Test Number: ");
    if (g_planned) {
        int32_t choice = g_plannedNext < g_plannedCount ? g_plannedChoices[g_plannedNext++] : 0;
        PrintLine(DecimalText(choice));
        return choice;
    }
    ConsoleInput input;
    NumberScan scan = ScanNumber(input, kDecimal);
    if (scan.status == kScanEndOfInput) EndAtEndOfInput();
    int32_t choice = 0;
    if (ScannedSigned(scan, choice)) return choice;
    DiscardRestOfLine();
    return kUnlistedChoice;
}

void PrintNotValidTestFunction() { PrintLine("Not valid Test Function!!!"); }

void PrintTestHeader(const char *title) {
    PrintLine("");
    PrintLine(title);
    PrintLine(kClosingLine);
}

int32_t ReadDecimal(const char *prompt) {
    return ReadValue<int32_t>(prompt, kDecimal, ScannedSigned);
}

uint32_t ReadDecimalUnsigned(const char *prompt) {
    return ReadValue<uint32_t>(prompt, kDecimal, ScannedUnsigned);
}

int32_t ReadHex(const char *prompt) {
    return ReadValue<int32_t>(prompt, kHexadecimal, ScannedSigned);
}

uint32_t ReadHexUnsigned(const char *prompt) {
    return ReadValue<uint32_t>(prompt, kHexadecimal, ScannedUnsigned);
}

void ReadWord(const char *prompt, char *buffer, size_t size) {
    PrintPrompt(prompt);
    int c = PlatformConsolePeek();
    for (; c != kConsoleEndOfInput && IsWhiteSpace(c); c = PlatformConsolePeek())
        PlatformConsoleConsume(1);
    if (c == kConsoleEndOfInput) EndAtEndOfInput();
    size_t length = 0;
    for (; c != kConsoleEndOfInput && !IsWhiteSpace(c); c = PlatformConsolePeek()) {
        if (length + 1 < size) buffer[length++] = static_cast<char>(c);
        PlatformConsoleConsume(1);
    }
    if (size > 0) buffer[length] = '\0';
    EchoFedAnswer(std::string(buffer, length));
}

void WaitForSpaceKey() {
    while (!PlatformSpaceKeyPressed()) PlatformSleep(kSpaceCheckMs);
}

const char *StatusWord(bool success) { return success ? "Success" : "Failed"; }

void CopyStatusWord(char *statusText, size_t size, bool success) {
    if (size == 0) return;
    const char *word = StatusWord(success);
    size_t length = std::strlen(word);
    if (length >= size) length = size - 1;
    std::memcpy(statusText, word, length);
    statusText[length] = '\0';
}

void PrintStatusLine(const std::string &subject, bool success) {
    PrintLine(subject + " is " + StatusWord(success) + "!!!");
}

void PrintDataStatusLine(const std::string &label, const std::string &data, bool success) {
    PrintLine(label + data + " Status: " + StatusWord(success) + "!!!");
}

void PrintClosingLine() { PrintLine(kClosingLine); }

std::string HexText(uint32_t value) { return DigitsText(value, 16); }

std::string DecimalText(int32_t value) {
    // The magnitude of INT32_MIN fits only unsigned.
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    return (value < 0 ? "-" : "") + DigitsText(magnitude, 10);
}

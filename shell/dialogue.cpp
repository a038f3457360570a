#include "dialogue.h"

#include <cstdio>
#include <iostream>

#include "../platform/console.h"
#include "../platform/system.h"
#include "main_menu.h"
#include "number_scan.h"

namespace {

static_assert(kScanEndOfInput == kConsoleEndOfInput, "one end-of-input marker");

const char kFrameLine[] = "---------------------------------";      // 33 dashes
const char kClosingLine[] = "------------------------------------";  // 36 dashes

// Pause between checks of the Space key.
constexpr uint32_t kSpaceCheckMs = 5;

struct ConsoleInput {
    int Peek(size_t offset) { return PlatformConsolePeek(offset); }
    void Consume(size_t count) { PlatformConsoleConsume(count); }
};

[[noreturn]] void EndAtEndOfInput() { PlatformExitProcess(kExitCodeNormalEnd); }

void DiscardRestOfLine() {
    for (int c = PlatformConsolePeek(); c != kConsoleEndOfInput; c = PlatformConsolePeek()) {
        PlatformConsoleConsume(1);
        if (c == '\n') return;
    }
}

// Scans one number after the prompt; asks again until one fits.
template <typename Value, typename Convert>
Value ReadValue(const char *prompt, NumberBase base, Convert convert) {
    for (;;) {
        PrintPrompt(prompt);
        ConsoleInput input;
        NumberScan scan = ScanNumber(input, base);
        if (scan.status == ScanStatus::EndOfInput) EndAtEndOfInput();
        Value value{};
        if (convert(scan, value)) return value;
        DiscardRestOfLine();
        PrintLine(base == NumberBase::Decimal ? "Invalid Input!!! Enter a decimal number!!!"
                                              : "Invalid Input!!! Enter a hexadecimal number!!!");
    }
}

}  // namespace

void PrintLine(const std::string &text) { std::cout << text << std::endl; }

void PrintPrompt(const std::string &text) { std::cout << text << std::flush; }

void PrintSubMenu(const char *title, std::initializer_list<const char *> items) {
    PrintLine(kFrameLine);
    PrintLine(title);
    PrintLine(kFrameLine);
    int number = 1;
    for (const char *item : items) PrintLine(std::to_string(number++) + ": " + item);
    PrintLine("0: Main Menu");
    PrintLine(kFrameLine);
}

int32_t ReadMenuChoice() {
    PrintPrompt("Enter Test Number: ");
    ConsoleInput input;
    NumberScan scan = ScanNumber(input, NumberBase::Decimal);
    if (scan.status == ScanStatus::EndOfInput) EndAtEndOfInput();
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
    return ReadValue<int32_t>(prompt, NumberBase::Decimal, ScannedSigned);
}

uint32_t ReadDecimalUnsigned(const char *prompt) {
    return ReadValue<uint32_t>(prompt, NumberBase::Decimal, ScannedUnsigned);
}

int32_t ReadHex(const char *prompt) {
    return ReadValue<int32_t>(prompt, NumberBase::Hexadecimal, ScannedSigned);
}

uint32_t ReadHexUnsigned(const char *prompt) {
    return ReadValue<uint32_t>(prompt, NumberBase::Hexadecimal, ScannedUnsigned);
}

void ReadWord(const char *prompt, char *buffer, size_t size) {
    PrintPrompt(prompt);
    int c = PlatformConsolePeek();
    for (; c != kConsoleEndOfInput && std::isspace(c); c = PlatformConsolePeek())
        PlatformConsoleConsume(1);
    if (c == kConsoleEndOfInput) EndAtEndOfInput();
    size_t length = 0;
    for (; c != kConsoleEndOfInput && !std::isspace(c); c = PlatformConsolePeek()) {
        if (length + 1 < size) buffer[length++] = static_cast<char>(c);
        PlatformConsoleConsume(1);
    }
    if (size > 0) buffer[length] = '\0';
}

void WaitForSpaceKey() {
    while (!PlatformSpaceKeyPressed()) PlatformSleep(kSpaceCheckMs);
}

const char *StatusWord(bool success) { return success ? "Success" : "Failed"; }

void CopyStatusWord(char *statusText, size_t size, bool success) {
    std::snprintf(statusText, size, "%s", StatusWord(success));
}

void PrintStatusLine(const std::string &subject, bool success) {
    PrintLine(subject + " is " + StatusWord(success) + "!!!");
}

void PrintDataStatusLine(const std::string &label, const std::string &data, bool success) {
    PrintLine(label + data + " Status: " + StatusWord(success) + "!!!");
}

void PrintClosingLine() { PrintLine(kClosingLine); }

std::string HexText(uint32_t value) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    do {
        text.insert(text.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return text;
}

// The shapes of the console dialogue that every menu and test shares: lines,
// prompts, the sub-menu frame, the test header, number and word input, and
// the result lines. Menus and tests differ only in their texts.
#ifndef SHELL_DIALOGUE_H
#define SHELL_DIALOGUE_H

#include <cstddef>
#include <string>

#include "../hal/fixed_width_types.h"

// A text, a line end, a flush.
void PrintLine(const std::string &text);

// A text without a line end; the answer is typed on the same console line.
void PrintPrompt(const std::string &text);

// 33 dashes, the title, 33 dashes, "1: item", "2: item", ..., "0: Main Menu",
// 33 dashes.
void PrintSubMenuItems(const char *title, const char *const *items, size_t count);

template <size_t Count>
void PrintSubMenu(const char *title, const char *const (&items)[Count]) {
    PrintSubMenuItems(title, items, Count);
}

// What ReadMenuChoice returns for an answer that is not a 32-bit decimal
// number: no menu lists it, so every menu treats it as an unlisted choice.
const int32_t kUnlistedChoice = INT32_MIN;

// "Enter Test Number: " and a decimal answer. At the end of the input the
// program ends, as after 0 at the main menu.
int32_t ReadMenuChoice();

// Plan steps choose from the menus themselves: until SetPlannedMenuChoices
// is called again with count 0, ReadMenuChoice prints its prompt and takes
// the choices given, in order, then 0, so that every menu the step entered
// returns. The choices must stay valid meanwhile.
void SetPlannedMenuChoices(const int32_t *choices, size_t count);

// A test that prints no status line (set pin, the versions, ...) returns a
// result all the same, 1 when the library accepted its calls. Its menu
// records it here, where an unattended run takes it for the step's verdict;
// the console shows nothing of it.
const int kNoRecordedResult = -1;
void RecordUnprintedResult(int result);
// The result recorded since the last call, or kNoRecordedResult.
int TakeUnprintedResult();

// "Not valid Test Function!!!", the answer of most menus to unlisted choices.
void PrintNotValidTestFunction();

// An empty line, the title, 36 dashes.
void PrintTestHeader(const char *title);

// A prompt and a number in the stated base. An answer that is not a number,
// or does not fit in 32 bits, is discarded with the rest of its line and
// drawn a one-line message, and the prompt is asked again. At the end of the
// input the program ends, as after 0 at the main menu.
int32_t ReadDecimal(const char *prompt);
uint32_t ReadDecimalUnsigned(const char *prompt);
int32_t ReadHex(const char *prompt);
uint32_t ReadHexUnsigned(const char *prompt);

// A prompt and one word (no white space) into buffer, NUL-terminated. A word
// longer than size - 1 is cut to fit; the rest of it is discarded.
void ReadWord(const char *prompt, char *buffer, size_t size);

// Waits until the operator presses Space, checking every few milliseconds so
// that the wait stays idle.
void WaitForSpaceKey();

// "Success" or "Failed".
const char *StatusWord(bool success);

// Size of the status text buffer of the menus that keep their last status
// word in one.
const size_t kStatusTextSize = 20;

// Copies the status word, NUL included, into a menu's status text buffer.
void CopyStatusWord(char *statusText, size_t size, bool success);

// subject + " is " + status word + "!!!".
void PrintStatusLine(const std::string &subject, bool success);

// label + data + " Status: " + status word + "!!!".
void PrintDataStatusLine(const std::string &label, const std::string &data, bool success);

// 36 dashes, after a test's result.
void PrintClosingLine();

// Lowercase hexadecimal without prefix and leading zeros.
std::string HexText(uint32_t value);

// Decimal, with a minus sign when negative.
std::string DecimalText(int32_t value);

#endif

// The console texts a transcript is compared with, written out independently
// of the program so that a change in the program's wording shows up.
#ifndef TESTS_SUPPORT_EXPECTED_TEXT_H
#define TESTS_SUPPORT_EXPECTED_TEXT_H

#include <initializer_list>
#include <string>
#include <vector>

// Constants, not std::string objects, so that tests may build their own
// namespace-scope texts from them whatever the order of initialisation.
inline constexpr char kFrameLine[] = "---------------------------------\n";       // 33 dashes
inline constexpr char kClosingLine[] = "------------------------------------\n";  // 36 dashes
inline constexpr char kTestNumberPrompt[] = "Enter Test Number: ";

// A text and a line end.
std::string Line(const std::string &text);

// The main menu and its prompt.
std::string MainMenu();

// A sub-menu frame with the items numbered from 1, "0: Main Menu", and the
// prompt.
std::string SubMenu(const std::string &title, const std::vector<std::string> &items);

// An empty line, the title, 36 dashes.
std::string TestHeader(const std::string &title);

std::string NotValid();  // "Not valid Test Function!!!" line

// Messages for a value prompt answered with something that is not a 32-bit
// number.
std::string InvalidDecimal();
std::string InvalidHex();

// The call traces of several steps, one after the other.
std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts);

#endif

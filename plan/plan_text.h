// Texts of a plan run as each reader needs them: the reports' JSON and XML,
// the operator's terminal, and seconds.
#ifndef PLAN_PLAN_TEXT_H
#define PLAN_PLAN_TEXT_H

#include <cstddef>
#include <string>

#include "../hal/fixed_width_types.h"

// Text made valid UTF-8: a byte that begins no valid sequence becomes U+FFFD.
std::string ValidUtf8(const std::string &text);

// A JSON string literal, quotes included.
std::string JsonString(const std::string &text);

// Text for XML content and attribute values: & < > " ' escaped, TAB, LF and
// CR as character references (an attribute would read them as blanks),
// control characters that XML 1.0 cannot hold replaced by U+FFFD.
std::string XmlText(const std::string &text);

// Text for a terminal: control characters (C0, DEL and C1) and bytes that
// are not UTF-8 shown as \t, \n, \r or \xHH, so that none is obeyed; cut
// to about maxBytes, never inside a character, with "..." when longer.
std::string PrintableText(const std::string &text, size_t maxBytes);

// Whether the text is plain ASCII that neither JSON nor XML escapes.
bool IsPlainText(const std::string &text);

// "0.020": milliseconds as seconds with three decimals.
std::string SecondsText(uint32_t milliseconds);

#endif

// White space as the C locale's isspace has it: blank, tab, line end,
// vertical tab, form feed and carriage return. Written out so that the
// console's input rules do not depend on the C runtime's locale tables.
#ifndef PLATFORM_WHITE_SPACE_H
#define PLATFORM_WHITE_SPACE_H

inline bool IsWhiteSpace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

#endif

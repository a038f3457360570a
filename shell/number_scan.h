// Reading one number from buffered console input: optional sign, decimal
// digits or hexadecimal digits with an optional 0x/0X, stopping at the first
// character that cannot continue the number and leaving it in the input.
#ifndef SHELL_NUMBER_SCAN_H
#define SHELL_NUMBER_SCAN_H

#include <cstddef>

#include "../hal/fixed_width_types.h"
#include "../platform/white_space.h"

enum NumberBase { kDecimal, kHexadecimal };

enum ScanStatus {
    kScanNumber,       // digits were read
    kScanNotANumber,   // no digit where the number should start
    kScanEndOfInput    // the input ended before anything but white space
};

struct NumberScan {
    ScanStatus status;
    bool negative;
    uint32_t magnitude;  // meaningful only when !tooLarge
    bool tooLarge;       // more than 32 bits of magnitude
};

inline int DigitValue(int c, NumberBase base) {
    if (c >= '0' && c <= '9') return c - '0';
    if (base == kHexadecimal) {
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    }
    return -1;
}

inline NumberScan MakeNumberScan(ScanStatus status, bool negative, uint32_t magnitude, bool tooLarge) {
    NumberScan scan;
    scan.status = status;
    scan.negative = negative;
    scan.magnitude = magnitude;
    scan.tooLarge = tooLarge;
    return scan;
}

// Input: int Peek(size_t offset) giving a byte, or a negative number once the
// input has ended, and void Consume(size_t count). The scan never looks past
// the first character that ends the number, so it never waits for a line
// beyond the current one.
template <typename Input>
NumberScan ScanNumber(Input &input, NumberBase base) {
    for (;;) {
        int c = input.Peek(0);
        if (c < 0) return MakeNumberScan(kScanEndOfInput, false, 0, false);
        if (!IsWhiteSpace(c)) break;
        input.Consume(1);
    }
    size_t length = 0;
    bool negative = false;
    if (input.Peek(0) == '+' || input.Peek(0) == '-') {
        negative = input.Peek(0) == '-';
        length = 1;
    }
    if (base == kHexadecimal && input.Peek(length) == '0' &&
        (input.Peek(length + 1) == 'x' || input.Peek(length + 1) == 'X') &&
        DigitValue(input.Peek(length + 2), base) >= 0) {
        length += 2;
    }
    const uint32_t radix = base == kHexadecimal ? 16 : 10;
    uint32_t magnitude = 0;
    bool tooLarge = false;
    bool anyDigit = false;
    for (int digit; (digit = DigitValue(input.Peek(length), base)) >= 0; ++length) {
        anyDigit = true;
        // Once too large, the rest of the digits are still taken, uncounted.
        if (tooLarge) continue;
        if (magnitude > (UINT32_MAX - static_cast<uint32_t>(digit)) / radix)
            tooLarge = true;
        else
            magnitude = magnitude * radix + static_cast<uint32_t>(digit);
    }
    if (!anyDigit) return MakeNumberScan(kScanNotANumber, negative, 0, false);
    input.Consume(length);
    return MakeNumberScan(kScanNumber, negative, magnitude, tooLarge);
}

// The scanned number as a signed 32-bit value; false when it does not fit.
inline bool ScannedSigned(const NumberScan &scan, int32_t &value) {
    if (scan.status != kScanNumber || scan.tooLarge) return false;
    if (scan.negative) {
        if (scan.magnitude > 0x80000000u) return false;
        // 2147483648 itself has no signed 32-bit form to negate.
        value = scan.magnitude == 0x80000000u ? INT32_MIN : -static_cast<int32_t>(scan.magnitude);
        return true;
    }
    if (scan.magnitude > 0x7FFFFFFFu) return false;
    value = static_cast<int32_t>(scan.magnitude);
    return true;
}

// The scanned number as an unsigned 32-bit value; a minus sign wraps it
// round, as the C library's conversion to unsigned does.
inline bool ScannedUnsigned(const NumberScan &scan, uint32_t &value) {
    if (scan.status != kScanNumber || scan.tooLarge) return false;
    value = scan.negative ? 0u - scan.magnitude : scan.magnitude;
    return true;
}

#endif

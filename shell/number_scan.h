// Reading one number from buffered console input: optional sign, decimal
// digits or hexadecimal digits with an optional 0x/0X, stopping at the first
// character that cannot continue the number and leaving it in the input.
#ifndef SHELL_NUMBER_SCAN_H
#define SHELL_NUMBER_SCAN_H

#include <cctype>
#include <cstddef>
#include <cstdint>

enum class NumberBase { Decimal, Hexadecimal };

enum class ScanStatus {
    Number,       // digits were read
    NotANumber,   // no digit where the number should start
    EndOfInput,   // the input ended before anything but white space
};

struct NumberScan {
    ScanStatus status;
    bool negative;
    uint64_t magnitude;  // meaningful only when !tooLarge
    bool tooLarge;       // more than 32 bits of magnitude
};

constexpr int kScanEndOfInput = -1;

inline int DigitValue(int c, NumberBase base) {
    if (c >= '0' && c <= '9') return c - '0';
    if (base == NumberBase::Hexadecimal) {
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    }
    return -1;
}

// Input: int Peek(size_t offset) giving a byte or kScanEndOfInput, and
// void Consume(size_t count). The scan never looks past the first character
// that ends the number, so it never waits for a line beyond the current one.
template <typename Input>
NumberScan ScanNumber(Input &input, NumberBase base) {
    for (;;) {
        int c = input.Peek(0);
        if (c == kScanEndOfInput) return {ScanStatus::EndOfInput, false, 0, false};
        if (!std::isspace(c)) break;
        input.Consume(1);
    }
    size_t length = 0;
    bool negative = false;
    if (input.Peek(0) == '+' || input.Peek(0) == '-') {
        negative = input.Peek(0) == '-';
        length = 1;
    }
    if (base == NumberBase::Hexadecimal && input.Peek(length) == '0' &&
        (input.Peek(length + 1) == 'x' || input.Peek(length + 1) == 'X') &&
        DigitValue(input.Peek(length + 2), base) >= 0) {
        length += 2;
    }
    const uint64_t radix = base == NumberBase::Hexadecimal ? 16 : 10;
    uint64_t magnitude = 0;
    bool tooLarge = false;
    bool anyDigit = false;
    for (int digit; (digit = DigitValue(input.Peek(length), base)) >= 0; ++length) {
        anyDigit = true;
        magnitude = magnitude * radix + static_cast<uint64_t>(digit);
        if (magnitude > 0xFFFFFFFFull) {
            tooLarge = true;
            magnitude = 0xFFFFFFFFull;  // keeps the product in range for the remaining digits
        }
    }
    if (!anyDigit) return {ScanStatus::NotANumber, negative, 0, false};
    input.Consume(length);
    return {ScanStatus::Number, negative, magnitude, tooLarge};
}

// The scanned number as a signed 32-bit value; false when it does not fit.
inline bool ScannedSigned(const NumberScan &scan, int32_t &value) {
    if (scan.status != ScanStatus::Number || scan.tooLarge) return false;
    if (scan.negative) {
        if (scan.magnitude > 0x80000000ull) return false;
        value = static_cast<int32_t>(-static_cast<int64_t>(scan.magnitude));
        return true;
    }
    if (scan.magnitude > 0x7FFFFFFFull) return false;
    value = static_cast<int32_t>(scan.magnitude);
    return true;
}

// The scanned number as an unsigned 32-bit value; a minus sign wraps it
// round, as the C library's conversion to unsigned does.
inline bool ScannedUnsigned(const NumberScan &scan, uint32_t &value) {
    if (scan.status != ScanStatus::Number || scan.tooLarge) return false;
    uint32_t magnitude = static_cast<uint32_t>(scan.magnitude);
    value = scan.negative ? 0u - magnitude : magnitude;
    return true;
}

#endif

// The number reader's edge cases, on an input held in a string.
#include <gtest/gtest.h>

#include <string>

#include "../../shell/number_scan.h"

namespace {

struct StringInput {
    std::string text;
    size_t position = 0;
    int Peek(size_t offset) {
        size_t at = position + offset;
        return at < text.size() ? static_cast<unsigned char>(text[at]) : -1;
    }
    void Consume(size_t count) { position += count; }
    std::string Rest() const { return text.substr(position); }
};

struct Scanned {
    bool isNumber;
    int32_t value;
    std::string rest;
};

Scanned ScanSigned(const std::string &text, NumberBase base) {
    StringInput input{text};
    NumberScan scan = ScanNumber(input, base);
    int32_t value = 0;
    bool fits = ScannedSigned(scan, value);
    return {fits, value, input.Rest()};
}

TEST(NumberScan, DecimalSkipsWhiteSpaceAndStopsAtTheFirstNonDigit) {
    Scanned twoBlanks = ScanSigned("  7\n", kDecimal);
    EXPECT_TRUE(twoBlanks.isNumber);
    EXPECT_EQ(twoBlanks.value, 7);
    EXPECT_EQ(twoBlanks.rest, "\n");

    Scanned trailing = ScanSigned("12abc\n", kDecimal);
    EXPECT_EQ(trailing.value, 12);
    EXPECT_EQ(trailing.rest, "abc\n");

    Scanned lineEnds = ScanSigned("\n\t\n-42 5", kDecimal);
    EXPECT_EQ(lineEnds.value, -42);
    EXPECT_EQ(lineEnds.rest, " 5");

    EXPECT_EQ(ScanSigned("+9", kDecimal).value, 9);
    // Hexadecimal digits are not decimal: 1f reads 1.
    Scanned hexInDecimal = ScanSigned("1f", kDecimal);
    EXPECT_EQ(hexInDecimal.value, 1);
    EXPECT_EQ(hexInDecimal.rest, "f");
}

TEST(NumberScan, HexadecimalTakesAnOptionalPrefixInEitherCase) {
    for (const char *text : {"0x1F", "0X1f", "1f", "1F"}) {
        Scanned scanned = ScanSigned(text, kHexadecimal);
        EXPECT_TRUE(scanned.isNumber) << text;
        EXPECT_EQ(scanned.value, 31) << text;
        EXPECT_EQ(scanned.rest, "") << text;
    }
    EXPECT_EQ(ScanSigned("-0x10", kHexadecimal).value, -16);
    // A prefix with no digit after it is a 0 followed by other text.
    Scanned bareZero = ScanSigned("0xg", kHexadecimal);
    EXPECT_EQ(bareZero.value, 0);
    EXPECT_EQ(bareZero.rest, "xg");
    // 0x not followed by a digit at the end of the input.
    Scanned atEnd = ScanSigned("0x", kHexadecimal);
    EXPECT_EQ(atEnd.value, 0);
    EXPECT_EQ(atEnd.rest, "x");
}

TEST(NumberScan, TextThatIsNoNumberIsLeftInTheInput) {
    for (const char *text : {"abc", "-x", "+", "x10"}) {
        StringInput input{text};
        NumberScan scan = ScanNumber(input, kDecimal);
        EXPECT_EQ(scan.status, kScanNotANumber) << text;
        EXPECT_EQ(input.Rest(), text);
    }
    StringInput hexWord{"ghost"};
    EXPECT_EQ(ScanNumber(hexWord, kHexadecimal).status, kScanNotANumber);
}

TEST(NumberScan, EndOfInputIsToldApartFromText) {
    StringInput empty{""};
    EXPECT_EQ(ScanNumber(empty, kDecimal).status, kScanEndOfInput);
    StringInput blanks{" \n\t "};
    EXPECT_EQ(ScanNumber(blanks, kHexadecimal).status, kScanEndOfInput);
}

TEST(NumberScan, SignedRangeIsThirtyTwoBits) {
    EXPECT_EQ(ScanSigned("2147483647", kDecimal).value, 2147483647);
    EXPECT_EQ(ScanSigned("-2147483648", kDecimal).value, INT32_MIN);
    EXPECT_FALSE(ScanSigned("2147483648", kDecimal).isNumber);
    EXPECT_FALSE(ScanSigned("-2147483649", kDecimal).isNumber);
    EXPECT_FALSE(ScanSigned("99999999999999999999999", kDecimal).isNumber);
    EXPECT_EQ(ScanSigned("7fffffff", kHexadecimal).value, INT32_MAX);
    EXPECT_FALSE(ScanSigned("0x80000000", kHexadecimal).isNumber);
    // A long number is consumed whole even when it does not fit.
    EXPECT_EQ(ScanSigned("123456789012 7", kDecimal).rest, " 7");
}

TEST(NumberScan, UnsignedTakesAllThirtyTwoBitsAndWrapsNegatives) {
    auto scanUnsigned = [](const std::string &text, uint32_t &value) {
        StringInput input{text};
        return ScannedUnsigned(ScanNumber(input, kHexadecimal), value);
    };
    uint32_t value = 0;
    EXPECT_TRUE(scanUnsigned("0xffffffff", value));
    EXPECT_EQ(value, 0xFFFFFFFFu);
    EXPECT_TRUE(scanUnsigned("0x80000000", value));
    EXPECT_EQ(value, 0x80000000u);
    EXPECT_TRUE(scanUnsigned("-1", value));
    EXPECT_EQ(value, 0xFFFFFFFFu);
    EXPECT_FALSE(scanUnsigned("0x100000000", value));
}

}  // namespace

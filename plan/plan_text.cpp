#include "plan_text.h"

#include "../shell/dialogue.h"

namespace {

const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD
const char kHexDigits[] = "0123456789abcdef";

// Length of the valid UTF-8 sequence at text[at], 0 when there is none.
size_t SequenceLength(const std::string &text, size_t at) {
    unsigned char lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) return 1;
    size_t length = 0;
    uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (size_t i = 1; i < length; ++i) {
        unsigned char next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return 0;
        code = (code << 6) | (next & 0x3Fu);
    }
    // Overlong forms, surrogates and code points past U+10FFFF.
    if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF))) return 0;
    if (code >= 0xD800 && code <= 0xDFFF) return 0;
    return length;
}

bool IsXmlControl(unsigned char c) { return c < 0x20 && c != '\t' && c != '\n' && c != '\r'; }

// U+FFFE and U+FFFF (EF BF BE, EF BF BF) at valid[at]: valid UTF-8, but no
// XML 1.0 character.
bool IsXmlNonCharacter(const std::string &valid, size_t at) {
    return valid.compare(at, 2, "\xEF\xBF") == 0 && at + 2 < valid.size() &&
           (valid[at + 2] == '\xBE' || valid[at + 2] == '\xBF');
}

std::string HexByte(unsigned char c) {
    std::string hex;
    hex += kHexDigits[c >> 4];
    hex += kHexDigits[c & 0xF];
    return hex;
}

}  // namespace

std::string ValidUtf8(const std::string &text) {
    std::string valid;
    valid.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        size_t length = SequenceLength(text, at);
        if (length == 0) {
            valid += kReplacement;
            ++at;
        } else {
            valid.append(text, at, length);
            at += length;
        }
    }
    return valid;
}

std::string JsonString(const std::string &text) {
    std::string valid = ValidUtf8(text);
    std::string json = "\"";
    for (size_t i = 0; i < valid.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(valid[i]);
        switch (c) {
        case '"': json += "\\\""; break;
        case '\\': json += "\\\\"; break;
        case '\n': json += "\\n"; break;
        case '\r': json += "\\r"; break;
        case '\t': json += "\\t"; break;
        default:
            if (c < 0x20)
                json += "\\u00" + HexByte(c);
            else
                json += static_cast<char>(c);
        }
    }
    return json + "\"";
}

std::string XmlText(const std::string &text) {
    std::string valid = ValidUtf8(text);
    std::string xml;
    for (size_t i = 0; i < valid.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(valid[i]);
        if (IsXmlNonCharacter(valid, i)) {
            xml += kReplacement;
            i += 2;
            continue;
        }
        switch (c) {
        case '&': xml += "&amp;"; break;
        case '<': xml += "&lt;"; break;
        case '>': xml += "&gt;"; break;
        case '"': xml += "&quot;"; break;
        case '\'': xml += "&apos;"; break;
        case '\t': xml += "&#9;"; break;
        case '\n': xml += "&#10;"; break;
        case '\r': xml += "&#13;"; break;
        default:
            if (IsXmlControl(c))
                xml += kReplacement;
            else
                xml += static_cast<char>(c);
        }
    }
    return xml;
}

// Taken character by character, so that the cut never splits one. A byte
// that begins no valid UTF-8 sequence is shown as \xHH too: a terminal that
// reads bytes as Latin-1 would obey 0x80..0x9F as control characters, and
// U+0080..U+009F (C2 80..C2 9F) are those same controls in UTF-8.
std::string PrintableText(const std::string &text, size_t maxBytes) {
    std::string shown;
    size_t i = 0;
    while (i < text.size() && shown.size() < maxBytes) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t length = SequenceLength(text, i);
        bool valid = length > 0;
        bool c1Control = length == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
        if (!valid) length = 1;
        if (c == '\t') {
            shown += "\\t";
        } else if (c == '\n') {
            shown += "\\n";
        } else if (c == '\r') {
            shown += "\\r";
        } else if (c < 0x20 || c == 0x7F || !valid || c1Control) {
            for (size_t b = 0; b < length; ++b) shown += "\\x" + HexByte(static_cast<unsigned char>(text[i + b]));
        } else {
            shown.append(text, i, length);
        }
        i += length;
    }
    if (i < text.size()) shown += "...";
    return shown;
}

bool IsPlainText(const std::string &text) {
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c > 0x7E || c == '"' || c == '\\' || c == '&' || c == '<' || c == '>' || c == '\'')
            return false;
    }
    return true;
}

std::string SecondsText(uint32_t milliseconds) {
    std::string thousandths = DecimalText(static_cast<int32_t>(milliseconds % 1000u));
    return DecimalText(static_cast<int32_t>(milliseconds / 1000u)) + "." +
           std::string(3 - thousandths.size(), '0') + thousandths;
}

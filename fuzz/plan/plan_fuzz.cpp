// Fuzzing target of the plan reader and the plan run's reports
// (fuzz/run-plan). Whatever the text, the reader must not crash and what it
// gives back must hold: every mistake is one line "LABEL:LINE: message"
// naming a line of the text, told in the order of the lines, no more than
// kMistakesTold of them; every step handed over has a known test, a name,
// counts and times within their bounds and no more answers than the test
// asks for. Each step handed over, and the raw input as one more step, is
// then written to a JSON Lines and a JUnit report in a scratch folder, and
// both are read back: every JSON line valid JSON, the summary last; the XML
// well-formed, its names and texts those written. The text helpers are held
// to their promises on the raw input too. A broken rule aborts, which the
// fuzzer saves as a crash.
#include <dirent.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "../../plan/plan_file.h"
#include "../../plan/plan_text.h"
#include "../../plan/reports.h"
#include "../../plan/test_table.h"

namespace {

const std::string kLabel = "plans/fuzz.plan";
const uint32_t kMaxSecondsMs = 86400000u;
const int32_t kMaxRepeat = 1000000;
// PrintableText's cut, as the reader's messages use it, and how far past
// it a text may run: the character begun before the cut, up to four bytes
// each shown as \xHH, then "...".
const size_t kShownBytes = 60;
const size_t kShownOvershoot = 16 + 3;
// The raw input's step takes a name and a message of at most this many
// bytes from it.
const size_t kRawTextBytes = 200;

// The folder the reports go to, made at the first run; removed with them
// at the end, and before an abort too.
std::string g_scratchFolder;

void RemoveScratchFolder() {
    if (g_scratchFolder.empty()) return;
    for (const char *file : {"/report.jsonl", "/report.xml"}) std::remove((g_scratchFolder + file).c_str());
    rmdir(g_scratchFolder.c_str());
}

void Require(bool holds, const char *rule, const std::string &detail) {
    if (holds) return;
    RemoveScratchFolder();
    std::string shown;
    for (unsigned char c : detail.substr(0, 300)) {
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02x", c);
        shown += c >= 0x20 && c < 0x7F ? std::string(1, static_cast<char>(c)) : std::string(hex);
    }
    std::fprintf(stderr, "plan fuzzing: %s: %s\n", rule, shown.c_str());
    std::abort();
}

// ---- UTF-8 and XML characters

// Length of the valid UTF-8 sequence at text[at] and its code point; 0 when
// there is none (overlong forms, surrogates and code points past U+10FFFF
// are none).
size_t Utf8Sequence(const std::string &text, size_t at, uint32_t &code) {
    unsigned char lead = static_cast<unsigned char>(text[at]);
    size_t length;
    uint32_t least;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, least = 0x80, code = lead & 0x1Fu;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, least = 0x800, code = lead & 0x0Fu;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, least = 0x10000, code = lead & 0x07u;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (size_t i = 1; i < length; ++i) {
        unsigned char next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return 0;
        code = (code << 6) | (next & 0x3Fu);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

bool IsUtf8(const std::string &text) {
    uint32_t code;
    for (size_t at = 0; at < text.size();) {
        size_t length = Utf8Sequence(text, at, code);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

std::string Utf8Of(uint32_t code) {
    std::string bytes;
    if (code < 0x80) {
        bytes += static_cast<char>(code);
    } else if (code < 0x800) {
        bytes += static_cast<char>(0xC0 | (code >> 6));
        bytes += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        bytes += static_cast<char>(0xE0 | (code >> 12));
        bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        bytes += static_cast<char>(0xF0 | (code >> 18));
        bytes += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (code & 0x3F));
    }
    return bytes;
}

// XML 1.0's Char production.
bool IsXmlChar(uint32_t code) {
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
           (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

// Whether the text is one that JSON and XML carry unchanged: valid UTF-8 of
// XML characters.
bool CarriedUnchanged(const std::string &text) {
    uint32_t code;
    for (size_t at = 0; at < text.size();) {
        size_t length = Utf8Sequence(text, at, code);
        if (length == 0 || !IsXmlChar(code)) return false;
        at += length;
    }
    return true;
}

bool HasControlByte(const std::string &text) {
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return true;
    return false;
}

// U+0080..U+009F written as UTF-8: control characters a terminal may obey.
bool HasC1Character(const std::string &text) {
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (static_cast<unsigned char>(text[i]) == 0xC2 && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
            static_cast<unsigned char>(text[i + 1]) <= 0x9F)
            return true;
    return false;
}

// ---- JSON, strictly as RFC 8259 has it

struct JsonValue {
    enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = kNull;
    std::string text;  // a string's decoded UTF-8, a number's or literal's spelling
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;

    const JsonValue *Member(const std::string &name) const {
        for (const auto &member : members)
            if (member.first == name) return &member.second;
        return nullptr;
    }
};

class JsonParser {
public:
    explicit JsonParser(const std::string &text) : text_(text) {}

    // One value and nothing after it but white space.
    bool ParseDocument(JsonValue &value) {
        SkipSpace();
        if (!ParseValue(value, 0)) return false;
        SkipSpace();
        return at_ == text_.size();
    }

private:
    const std::string &text_;
    size_t at_ = 0;

    bool More() const { return at_ < text_.size(); }
    char Peek() const { return More() ? text_[at_] : '\0'; }
    void SkipSpace() {
        while (More() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r')) ++at_;
    }
    bool Take(char c) {
        if (Peek() != c || !More()) return false;
        ++at_;
        return true;
    }

    bool ParseValue(JsonValue &value, int depth) {
        if (depth > 64 || !More()) return false;
        char c = Peek();
        if (c == '{') return ParseObject(value, depth);
        if (c == '[') return ParseArray(value, depth);
        if (c == '"') {
            value.kind = JsonValue::kString;
            return ParseString(value.text);
        }
        if (c == '-' || (c >= '0' && c <= '9')) return ParseNumber(value);
        for (const char *literal : {"true", "false", "null"}) {
            size_t length = std::strlen(literal);
            if (text_.compare(at_, length, literal) == 0) {
                value.kind = literal[0] == 'n' ? JsonValue::kNull : JsonValue::kBool;
                value.text = literal;
                at_ += length;
                return true;
            }
        }
        return false;
    }

    bool ParseObject(JsonValue &value, int depth) {
        value.kind = JsonValue::kObject;
        Take('{');
        SkipSpace();
        if (Take('}')) return true;
        for (;;) {
            SkipSpace();
            std::string name;
            if (Peek() != '"' || !ParseString(name)) return false;
            for (const auto &member : value.members)
                if (member.first == name) return false;  // RFC 8259 leaves duplicates to the reader: none here
            SkipSpace();
            if (!Take(':')) return false;
            SkipSpace();
            JsonValue member;
            if (!ParseValue(member, depth + 1)) return false;
            value.members.emplace_back(std::move(name), std::move(member));
            SkipSpace();
            if (Take('}')) return true;
            if (!Take(',')) return false;
        }
    }

    bool ParseArray(JsonValue &value, int depth) {
        value.kind = JsonValue::kArray;
        Take('[');
        SkipSpace();
        if (Take(']')) return true;
        for (;;) {
            SkipSpace();
            JsonValue item;
            if (!ParseValue(item, depth + 1)) return false;
            value.items.push_back(std::move(item));
            SkipSpace();
            if (Take(']')) return true;
            if (!Take(',')) return false;
        }
    }

    bool Digits() {
        size_t start = at_;
        while (More() && Peek() >= '0' && Peek() <= '9') ++at_;
        return at_ > start;
    }

    bool ParseNumber(JsonValue &value) {
        size_t start = at_;
        Take('-');
        if (Take('0')) {
            if (Peek() >= '0' && Peek() <= '9') return false;
        } else if (!Digits()) {
            return false;
        }
        if (Take('.') && !Digits()) return false;
        if (Peek() == 'e' || Peek() == 'E') {
            ++at_;
            if (!Take('+')) Take('-');
            if (!Digits()) return false;
        }
        value.kind = JsonValue::kNumber;
        value.text = text_.substr(start, at_ - start);
        return true;
    }

    bool Hex4(uint32_t &code) {
        if (at_ + 4 > text_.size()) return false;
        code = 0;
        for (int i = 0; i < 4; ++i) {
            char c = text_[at_++];
            uint32_t digit;
            if (c >= '0' && c <= '9')
                digit = static_cast<uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                digit = static_cast<uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                digit = static_cast<uint32_t>(c - 'A' + 10);
            else
                return false;
            code = code << 4 | digit;
        }
        return true;
    }

    bool ParseString(std::string &decoded) {
        Take('"');
        decoded.clear();
        for (;;) {
            if (!More()) return false;
            unsigned char c = static_cast<unsigned char>(Peek());
            if (c == '"') {
                ++at_;
                return true;
            }
            if (c < 0x20) return false;
            if (c != '\\') {
                uint32_t code;
                size_t length = Utf8Sequence(text_, at_, code);
                if (length == 0) return false;
                decoded.append(text_, at_, length);
                at_ += length;
                continue;
            }
            ++at_;
            if (!More()) return false;
            char escape = text_[at_++];
            switch (escape) {
            case '"': decoded += '"'; break;
            case '\\': decoded += '\\'; break;
            case '/': decoded += '/'; break;
            case 'b': decoded += '\b'; break;
            case 'f': decoded += '\f'; break;
            case 'n': decoded += '\n'; break;
            case 'r': decoded += '\r'; break;
            case 't': decoded += '\t'; break;
            case 'u': {
                uint32_t code;
                if (!Hex4(code)) return false;
                if (code >= 0xDC00 && code <= 0xDFFF) return false;  // a lone low surrogate
                if (code >= 0xD800 && code <= 0xDBFF) {
                    uint32_t low;
                    if (!Take('\\') || !Take('u') || !Hex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                }
                decoded += Utf8Of(code);
                break;
            }
            default: return false;
            }
        }
    }
};

// ---- XML, as far as a JUnit report needs

struct XmlElement {
    std::string name;
    std::map<std::string, std::string> attributes;  // decoded
    std::string content;                             // decoded character data directly inside
    std::vector<XmlElement> children;
};

// A well-formedness check of the report: the declaration, one root element,
// tags that nest, attributes in double quotes, references that XML knows,
// characters that XML 1.0 allows; false with what is wrong.
class XmlParser {
public:
    explicit XmlParser(const std::string &text) : text_(text) {}

    bool ParseDocument(XmlElement &root, std::string &problem) {
        const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
        if (text_.compare(0, declaration.size(), declaration) != 0) return Fail("no XML declaration", problem);
        at_ = declaration.size();
        uint32_t code;
        for (size_t at = 0; at < text_.size();) {
            size_t length = Utf8Sequence(text_, at, code);
            if (length == 0) return Fail("invalid UTF-8 at " + std::to_string(at), problem);
            if (!IsXmlChar(code)) return Fail("no XML character at " + std::to_string(at), problem);
            at += length;
        }
        SkipSpace();
        if (!ParseElement(root, 0, problem)) return false;
        SkipSpace();
        if (at_ != text_.size()) return Fail("text after the root element", problem);
        return true;
    }

private:
    const std::string &text_;
    size_t at_ = 0;

    static bool Fail(const std::string &why, std::string &problem) {
        problem = why;
        return false;
    }
    bool More() const { return at_ < text_.size(); }
    char Peek() const { return More() ? text_[at_] : '\0'; }
    static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
    void SkipSpace() {
        while (More() && IsSpace(Peek())) ++at_;
    }
    static bool IsNameChar(char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
               c == '.' || c == ':';
    }
    std::string Name() {
        size_t start = at_;
        while (More() && IsNameChar(Peek())) ++at_;
        return text_.substr(start, at_ - start);
    }

    // A reference after its '&', appended decoded.
    bool Reference(std::string &decoded, std::string &problem) {
        size_t end = text_.find(';', at_);
        if (end == std::string::npos || end - at_ > 10) return Fail("'&' begins no reference", problem);
        std::string name = text_.substr(at_, end - at_);
        at_ = end + 1;
        static const std::map<std::string, char> kEntities = {
            {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
        auto entity = kEntities.find(name);
        if (entity != kEntities.end()) {
            decoded += entity->second;
            return true;
        }
        if (name.size() < 2 || name[0] != '#') return Fail("unknown entity &" + name + ";", problem);
        bool hex = name[1] == 'x';
        std::string digits = name.substr(hex ? 2 : 1);
        if (digits.empty() || digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos)
            return Fail("bad character reference &" + name + ";", problem);
        unsigned long code = std::stoul(digits, nullptr, hex ? 16 : 10);
        if (code > 0x10FFFF || !IsXmlChar(static_cast<uint32_t>(code)))
            return Fail("reference to no XML character &" + name + ";", problem);
        decoded += Utf8Of(static_cast<uint32_t>(code));
        return true;
    }

    bool Attribute(XmlElement &element, std::string &problem) {
        std::string name = Name();
        if (name.empty()) return Fail("bad attribute name in <" + element.name + ">", problem);
        SkipSpace();
        if (Peek() != '=') return Fail("attribute " + name + " without '='", problem);
        ++at_;
        SkipSpace();
        if (Peek() != '"') return Fail("attribute " + name + " not in double quotes", problem);
        ++at_;
        std::string value;
        for (;;) {
            if (!More()) return Fail("attribute " + name + " not closed", problem);
            char c = text_[at_++];
            if (c == '"') break;
            if (c == '<') return Fail("raw '<' in attribute " + name, problem);
            // A reader turns a raw TAB, LF or CR in an attribute into a blank.
            if (c == '\t' || c == '\n' || c == '\r') return Fail("raw white space in attribute " + name, problem);
            if (c == '&') {
                if (!Reference(value, problem)) return false;
            } else {
                value += c;
            }
        }
        if (!element.attributes.emplace(name, value).second) return Fail("attribute " + name + " twice", problem);
        return true;
    }

    bool ParseElement(XmlElement &element, int depth, std::string &problem) {
        if (depth > 16) return Fail("elements nested too deep", problem);
        if (Peek() != '<') return Fail("no element", problem);
        ++at_;
        element.name = Name();
        if (element.name.empty()) return Fail("bad element name", problem);
        for (;;) {
            bool spaced = More() && IsSpace(Peek());
            SkipSpace();
            if (text_.compare(at_, 2, "/>") == 0) {
                at_ += 2;
                return true;
            }
            if (Peek() == '>') {
                ++at_;
                break;
            }
            if (!spaced) return Fail("no blank before an attribute of <" + element.name + ">", problem);
            if (!Attribute(element, problem)) return false;
        }
        for (;;) {
            if (!More()) return Fail("<" + element.name + "> not closed", problem);
            char c = text_[at_];
            if (c == '<') {
                if (text_.compare(at_, 2, "</") == 0) {
                    at_ += 2;
                    std::string name = Name();
                    if (name != element.name) return Fail("</" + name + "> closes <" + element.name + ">", problem);
                    SkipSpace();
                    if (Peek() != '>') return Fail("end tag not closed", problem);
                    ++at_;
                    return true;
                }
                element.children.emplace_back();
                if (!ParseElement(element.children.back(), depth + 1, problem)) return false;
            } else if (c == '&') {
                ++at_;
                if (!Reference(element.content, problem)) return false;
            } else {
                if (c == ']' && text_.compare(at_, 3, "]]>") == 0) return Fail("']]>' in content", problem);
                element.content += c;
                ++at_;
            }
        }
    }
};

// ---- what a plan run would write, from what the reader handed over

struct Written {
    std::vector<StepOutcome> steps;  // as written to both reports
    std::vector<std::string> skippedNames, skippedWhy;
};

struct Visits {
    size_t lines;        // of the text
    size_t lastLine = 0;
    Written written;
};

size_t LineCount(const std::string &text) {
    size_t lines = 0;
    for (char c : text) lines += c == '\n';
    return lines + (!text.empty() && text.back() != '\n');
}

// The most answers a test's prompts can take; 0 when a prompt is asked
// until No, which has no bound.
size_t MostAnswers(const TestInfo &test) {
    size_t most = 0;
    for (size_t p = 0; p < test.promptCount; ++p) {
        switch (test.prompts[p].count) {
        case kAskedOnce: most += 1; break;
        case kAskedPerDataWord: most += 128 / 32; break;
        case kAskedPerByte: most += 2; break;
        case kAskedUntilNo: return 0;
        }
    }
    return most;
}

bool OneLineOfText(const std::string &text) { return text.find_first_of(std::string("\n\0", 2)) == std::string::npos; }

void CheckStep(const PlanStep &step, Visits &visits) {
    Require(step.test != nullptr, "a step handed over has a test", step.name);
    Require(!step.name.empty() && OneLineOfText(step.name), "a step's name is one line of text", step.name);
    Require(step.line >= 1 && step.line <= visits.lines, "a step's line is one of the text", step.name);
    Require(step.line > visits.lastLine, "steps are handed over in the order of the lines", step.name);
    visits.lastLine = step.line;
    Require(step.repeat >= 1 && step.repeat <= kMaxRepeat, "repeat within 1..1000000", std::to_string(step.repeat));
    Require(step.spaceAfterMs <= kMaxSecondsMs, "space at most a day", std::to_string(step.spaceAfterMs));
    Require(step.pauseMs <= kMaxSecondsMs, "pause at most a day", std::to_string(step.pauseMs));
    Require(step.spaceAfterMs == 0 || (step.test->flags & kTestWaitsForSpace), "space only for a test that waits for it",
            step.test->id);
    size_t most = MostAnswers(*step.test);
    Require(most == 0 || step.answers.size() <= most, "no more answers than the test's prompts take", step.test->id);
    for (const std::string &answer : step.answers) Require(OneLineOfText(answer), "an answer is one line", answer);
    for (const std::string &text : step.contains)
        Require(!text.empty() && OneLineOfText(text), "a contains text is one line", text);
}

// What a run of the step could report: its output lines stand in for the
// dialogue's, from the answers and contains texts; whether it passed and
// why not, from its counts.
StepOutcome OutcomeOf(const PlanStep &step) {
    StepOutcome outcome;
    outcome.name = step.name;
    if (step.repeat > 1) outcome.name += " [1/" + std::to_string(step.repeat) + "]";
    outcome.testId = step.test->id;
    outcome.group = step.test->group;
    outcome.expectSuccess = step.expectSuccess;
    outcome.lines = step.answers;
    outcome.lines.insert(outcome.lines.end(), step.contains.begin(), step.contains.end());
    outcome.passed = step.repeat % 2 == 1;
    outcome.got = outcome.passed ? (step.expectSuccess ? "Success" : "Failed") : "none";
    outcome.judgedBy = step.test->flags & kTestNoStatusLine ? "test result" : "status line";
    outcome.milliseconds = step.pauseMs + step.spaceAfterMs;
    if (!outcome.passed)
        outcome.message = step.contains.empty() ? "out of answers at \"" + step.name + "\"" : step.contains.back();
    return outcome;
}

void VisitStep(const PlanStep &step, void *context) {
    Visits &visits = *static_cast<Visits *>(context);
    CheckStep(step, visits);
    visits.written.steps.push_back(OutcomeOf(step));
    visits.written.skippedNames.push_back(visits.written.steps.back().name);
    visits.written.skippedWhy.push_back(visits.written.steps.back().message);
}

void CheckMistakes(const PlanMistakes &mistakes, size_t lines) {
    Require(mistakes.first.size() <= kMistakesTold, "at most kMistakesTold told", std::to_string(mistakes.first.size()));
    Require(mistakes.count >= mistakes.first.size(), "the count covers those told", std::to_string(mistakes.count));
    Require(mistakes.first.size() == std::min(mistakes.count, kMistakesTold), "as many told as there are, up to the limit",
            std::to_string(mistakes.count));
    unsigned long lastLine = 0;
    for (const std::string &mistake : mistakes.first) {
        Require(mistake.compare(0, kLabel.size() + 1, kLabel + ":") == 0, "a mistake names the plan", mistake);
        Require(!HasControlByte(mistake), "a mistake is one line of printable text", mistake);
        size_t colon = mistake.find(": ", kLabel.size() + 1);
        Require(colon != std::string::npos && colon > kLabel.size() + 1, "a mistake names a line", mistake);
        std::string number = mistake.substr(kLabel.size() + 1, colon - kLabel.size() - 1);
        Require(number.find_first_not_of("0123456789") == std::string::npos && number.size() < 10 && number[0] != '0',
                "the line is a number", mistake);
        unsigned long line = std::stoul(number);
        Require(line >= 1 && line <= std::max<size_t>(lines, 1), "the line is one of the text", mistake);
        Require(line >= lastLine, "mistakes are told in the order of the lines", mistake);
        lastLine = line;
        Require(colon + 2 < mistake.size(), "a mistake says what is wrong", mistake);
        // A value echoed in a message is cut, so no message is long.
        Require(mistake.size() - colon < 400, "a mistake is short", mistake);
    }
}

// ---- the reports, written and read back

const std::string &ScratchFolder() {
    if (!g_scratchFolder.empty()) return g_scratchFolder;
    const char *temporary = std::getenv("TMPDIR");
    std::string pattern = std::string(temporary && *temporary ? temporary : "/tmp") + "/qzhal-plan-fuzz-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    Require(mkdtemp(name.data()) != nullptr, "a scratch folder for the reports", pattern);
    g_scratchFolder = name.data();
    std::atexit(RemoveScratchFolder);
    return g_scratchFolder;
}

std::string FileText(const std::string &path) {
    std::FILE *file = std::fopen(path.c_str(), "rb");
    Require(file != nullptr, "the report can be read back", path);
    std::string text;
    char block[65536];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) text.append(block, got);
    std::fclose(file);
    return text;
}

// Nothing but the report is left in the folder: its scratch files are gone.
void CheckOnlyReportsLeft(const std::string &folder) {
    DIR *dir = opendir(folder.c_str());
    Require(dir != nullptr, "the scratch folder can be listed", folder);
    while (dirent *entry = readdir(dir)) {
        std::string name = entry->d_name;
        Require(name == "." || name == ".." || name == "report.jsonl" || name == "report.xml",
                "the reports leave no scratch file", name);
    }
    closedir(dir);
}

const std::string &StringMember(const JsonValue &object, const char *name, const std::string &line) {
    const JsonValue *member = object.Member(name);
    if (!member || member->kind != JsonValue::kString) Require(false, "a JSON step has its string members", name + (": " + line));
    return member->text;
}

void CheckJsonReport(const std::string &text, const Written &written, const RunTotals &totals) {
    Require(!text.empty() && text.back() == '\n', "the JSON report ends with a line end", text);
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    Require(lines.size() == written.steps.size() + 1, "one JSON line per step and the summary",
            std::to_string(lines.size()));
    for (size_t i = 0; i < lines.size(); ++i) {
        JsonValue object;
        Require(JsonParser(lines[i]).ParseDocument(object), "a JSON line is valid JSON", lines[i]);
        Require(object.kind == JsonValue::kObject, "a JSON line is an object", lines[i]);
        const JsonValue *summary = object.Member("summary");
        if (i + 1 == lines.size()) {
            Require(summary && summary->text == "true", "the last line is the summary", lines[i]);
            const JsonValue *steps = object.Member("steps");
            Require(steps && steps->text == std::to_string(totals.steps), "the summary counts the steps", lines[i]);
            const JsonValue *signal = object.Member("signal");
            Require(totals.stoppedBy ? signal && signal->text == totals.stoppedBy : !signal,
                    "the summary names the stop's signal", lines[i]);
            continue;
        }
        Require(!summary, "only the last line is the summary", lines[i]);
        const StepOutcome &step = written.steps[i];
        Require(StringMember(object, "name", lines[i]) == ValidUtf8(step.name), "the step's name as written", lines[i]);
        Require(StringMember(object, "test", lines[i]) == step.testId, "the step's test as written", lines[i]);
        const JsonValue *pass = object.Member("pass");
        Require(pass && pass->text == (step.passed ? "true" : "false"), "the step's verdict as written", lines[i]);
        Require(step.passed == !object.Member("message"), "a message only for a failed step", lines[i]);
        if (!step.passed)
            Require(StringMember(object, "message", lines[i]) == ValidUtf8(step.message), "the step's message as written",
                    lines[i]);
        const JsonValue *output = object.Member("output");
        Require(output && output->kind == JsonValue::kArray && output->items.size() == step.lines.size(),
                "the step's output lines, one string each", lines[i]);
        for (size_t l = 0; l < step.lines.size(); ++l)
            Require(output->items[l].kind == JsonValue::kString && output->items[l].text == ValidUtf8(step.lines[l]),
                    "an output line as written", lines[i]);
    }
}

// An attribute or text as the report reads back: what was written, when it
// is text that XML carries unchanged; else text that holds no character
// XML cannot (the parser has checked that).
void CheckXmlText(const std::string &read, const std::string &written, const char *what) {
    if (read != written && CarriedUnchanged(written)) Require(false, what, written + " read back as " + read);
}

void CheckJunitReport(const std::string &text, const Written &written, const RunTotals &totals,
                      const std::string &suiteName) {
    XmlElement root;
    std::string problem;
    Require(XmlParser(text).ParseDocument(root, problem), "the JUnit report is well-formed XML", problem);
    Require(root.name == "testsuites" && root.children.size() == 1 && root.children[0].name == "testsuite",
            "one test suite in the report", root.name);
    XmlElement &suite = root.children[0];
    CheckXmlText(suite.attributes["name"], suiteName, "the suite's name as written");
    std::string tests = std::to_string(totals.steps + totals.skipped);
    Require(root.attributes["tests"] == tests && suite.attributes["tests"] == tests, "the suite counts its test cases",
            suite.attributes["tests"]);
    size_t at = 0;
    for (const XmlElement &child : suite.children) {
        if (child.name == "properties") continue;
        Require(child.name == "testcase", "the suite holds test cases", child.name);
        Require(at < written.steps.size() + written.skippedNames.size(), "no more test cases than written", child.name);
        bool skipped = at >= written.steps.size();
        std::map<std::string, std::string> attributes = child.attributes;
        if (skipped) {
            size_t s = at - written.steps.size();
            CheckXmlText(attributes["name"], written.skippedNames[s], "a skipped case's name as written");
            Require(child.children.size() == 1 && child.children[0].name == "skipped", "a skipped case says so",
                    attributes["name"]);
            std::map<std::string, std::string> reason = child.children[0].attributes;
            CheckXmlText(reason["message"], written.skippedWhy[s], "a skipped case's reason as written");
        } else {
            const StepOutcome &step = written.steps[at];
            CheckXmlText(attributes["name"], step.name, "a case's name as written");
            Require(attributes["classname"] == step.group, "a case's group as written", attributes["classname"]);
            const XmlElement &out = child.children.back();
            Require(out.name == "system-out", "a case's output last", out.name);
            std::string lines;
            for (const std::string &line : step.lines) lines += line + "\n";
            CheckXmlText(out.content, lines, "a case's output as written");
            bool failed = child.children.size() == 2 && child.children[0].name == "failure";
            Require(failed == !step.passed && child.children.size() == (step.passed ? 1u : 2u),
                    "a failure element only for a failed step", attributes["name"]);
            if (failed) {
                std::map<std::string, std::string> failure = child.children[0].attributes;
                CheckXmlText(failure["message"], step.message, "a failure's message as written");
            }
        }
        ++at;
    }
    Require(at == written.steps.size() + written.skippedNames.size(), "every test case written is there",
            std::to_string(at));
}

void WriteAndCheckReports(const Written &written, const std::string &suiteName, const char *stoppedBy) {
    const std::string &folder = ScratchFolder();
    std::string jsonPath = folder + "/report.jsonl", junitPath = folder + "/report.xml", reason;
    JsonReport json;
    JunitReport junit;
    Require(OpenJsonReport(json, jsonPath, reason), "the JSON report opens", reason);
    Require(OpenJunitReport(junit, junitPath, suiteName, reason), "the JUnit report opens", reason);
    RunTotals totals = {0, 0, 0, 0, 0, stoppedBy};
    for (const StepOutcome &step : written.steps) {
        WriteJsonStep(json, step);
        WriteJunitCase(junit, step);
        ++totals.steps;
        totals.failures += !step.passed;
        totals.milliseconds += step.milliseconds;
    }
    for (size_t s = 0; s < written.skippedNames.size(); ++s)
        WriteJunitSkipped(junit, written.skippedNames[s], "plan", written.skippedWhy[s]);
    totals.skipped = totals.notRun = written.skippedNames.size();
    Require(CloseJsonReport(json, totals), "the JSON report is written", jsonPath);
    Require(CloseJunitReport(junit, totals, reason), "the JUnit report is written", reason);
    CheckOnlyReportsLeft(folder);
    CheckJsonReport(FileText(jsonPath), written, totals);
    CheckJunitReport(FileText(junitPath), written, totals, suiteName);
}

// ---- the text helpers on any bytes

void CheckTextHelpers(const std::string &text) {
    std::string valid = ValidUtf8(text);
    Require(IsUtf8(valid), "ValidUtf8 gives valid UTF-8", text);
    if (IsUtf8(text)) Require(valid == text, "ValidUtf8 keeps valid UTF-8 as it is", text);
    std::string json = JsonString(text);
    Require(IsUtf8(json), "JsonString gives valid UTF-8", text);
    JsonValue value;
    Require(JsonParser(json).ParseDocument(value) && value.kind == JsonValue::kString && value.text == valid,
            "JsonString gives a JSON string of the valid text", json);
    std::string xml = XmlText(text);
    Require(IsUtf8(xml), "XmlText gives valid UTF-8", text);
    Require(xml.find_first_of("<\"'") == std::string::npos, "XmlText leaves no markup", xml);
    for (size_t at = 0; at < xml.size();) {
        uint32_t code;
        at += Utf8Sequence(xml, at, code);
        Require(IsXmlChar(code), "XmlText gives XML characters", xml);
        Require(code >= 0x20, "XmlText writes TAB, LF and CR as references", xml);
    }
    XmlElement element;
    std::string problem, document = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a v=\"" + xml + "\">" + xml + "</a>";
    Require(XmlParser(document).ParseDocument(element, problem), "XmlText gives well-formed XML", problem);
    CheckXmlText(element.attributes["v"], text, "XmlText's attribute reads back as the text");
    CheckXmlText(element.content, text, "XmlText's content reads back as the text");
    if (IsPlainText(text)) Require(xml == text && json == "\"" + text + "\"", "plain text needs no escapes", text);
    for (size_t most : {size_t(0), size_t(1), size_t(5), kShownBytes}) {
        std::string shown = PrintableText(text, most);
        Require(!HasControlByte(shown), "PrintableText shows no control byte", shown);
        Require(!HasC1Character(shown), "PrintableText shows no C1 control character", shown);
        Require(shown.size() <= most + kShownOvershoot, "PrintableText cuts a long text", shown);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    CheckTextHelpers(text);

    Visits visits;
    visits.lines = LineCount(text);
    PlanMistakes mistakes;
    ReadPlan(kLabel, text, VisitStep, &visits, mistakes);
    CheckMistakes(mistakes, visits.lines);
    PlanMistakes counted;
    ReadPlan(kLabel, text, nullptr, nullptr, counted);
    Require(counted.first == mistakes.first && counted.count == mistakes.count, "the same mistakes at every reading",
            std::to_string(counted.count));
    Require(mistakes.count > 0 || !visits.written.steps.empty(), "a plan without mistakes has a step", text);

    // The raw input as one more step: its output lines are the input's, its
    // name the input's first bytes and its message the last, any bytes all
    // (the whole input once is enough, and keeps a run short); a failure
    // only when the input's length is odd.
    StepOutcome raw;
    raw.name = text.substr(0, kRawTextBytes);
    raw.testId = "version.library";
    raw.group = "version";
    raw.expectSuccess = size % 3 != 0;
    raw.passed = size % 2 == 0;
    raw.got = raw.passed ? "Success" : "Failed";
    raw.judgedBy = "dialogue";
    raw.milliseconds = static_cast<uint32_t>(size) * 997u;
    raw.message = raw.passed ? "" : text.substr(size > kRawTextBytes ? size - kRawTextBytes : 0);
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        raw.lines.push_back(text.substr(at, end - at));
        at = end == std::string::npos ? text.size() : end + 1;
    }
    visits.written.steps.push_back(raw);
    visits.written.skippedNames.push_back(raw.name);
    visits.written.skippedWhy.push_back("not run: the run stopped at its first failure");

    WriteAndCheckReports(visits.written, text.substr(0, 64), size % 2 ? "SIGTERM" : nullptr);
    return 0;
}

#include "reports.h"

#include "../platform/plan_io.h"
#include "../shell/dialogue.h"

namespace {

const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

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

// Plain ASCII that neither JSON nor XML escapes, the common case, is
// written as it is.
bool IsPlain(const std::string &text) {
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c > 0x7E || c == '"' || c == '\\' || c == '&' || c == '<' || c == '>' || c == '\'')
            return false;
    }
    return true;
}

void WriteJsonLine(std::FILE *file, const std::string &line) {
    if (IsPlain(line)) {
        std::fputc('"', file);
        std::fwrite(line.data(), 1, line.size(), file);
        std::fputc('"', file);
    } else {
        std::fputs(JsonString(line).c_str(), file);
    }
}

void WriteXmlLine(std::FILE *file, const std::string &line) {
    if (IsPlain(line))
        std::fwrite(line.data(), 1, line.size(), file);
    else
        std::fputs(XmlText(line).c_str(), file);
    std::fputc('\n', file);
}

bool IsXmlControl(unsigned char c) { return c < 0x20 && c != '\t' && c != '\n' && c != '\r'; }

// U+FFFE and U+FFFF (EF BF BE, EF BF BF) at valid[at]: valid UTF-8, but no
// XML 1.0 character.
bool IsXmlNonCharacter(const std::string &valid, size_t at) {
    return valid.compare(at, 2, "\xEF\xBF") == 0 && at + 2 < valid.size() &&
           (valid[at + 2] == '\xBE' || valid[at + 2] == '\xBF');
}

void WriteJunitSuiteStart(std::FILE *file, const JunitReport &report, size_t steps, size_t failures,
                          uint32_t milliseconds) {
    std::fprintf(file, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    std::fprintf(file, "<testsuites name=\"qzhaltest\" tests=\"%u\" failures=\"%u\" errors=\"0\" time=\"%s\">\n",
                 static_cast<unsigned>(steps), static_cast<unsigned>(failures), SecondsText(milliseconds).c_str());
    std::fprintf(file,
                 "  <testsuite name=\"%s\" tests=\"%u\" failures=\"%u\" errors=\"0\" skipped=\"0\" time=\"%s\" "
                 "timestamp=\"%s\">\n",
                 XmlText(report.suiteName).c_str(), static_cast<unsigned>(steps), static_cast<unsigned>(failures),
                 SecondsText(milliseconds).c_str(), report.timestamp.c_str());
}

bool CopyFile(std::FILE *from, std::FILE *to) {
    char block[4096];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, from)) > 0)
        if (std::fwrite(block, 1, got, to) != got) return false;
    return !std::ferror(from);
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
            if (c < 0x20) {
                static const char kHex[] = "0123456789abcdef";
                json += "\\u00";
                json += kHex[c >> 4];
                json += kHex[c & 0xF];
            } else {
                json += static_cast<char>(c);
            }
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
        default:
            if (IsXmlControl(c))
                xml += kReplacement;
            else
                xml += static_cast<char>(c);
        }
    }
    return xml;
}

std::string SecondsText(uint32_t milliseconds) {
    std::string thousandths = DecimalText(static_cast<int32_t>(milliseconds % 1000u));
    return DecimalText(static_cast<int32_t>(milliseconds / 1000u)) + "." +
           std::string(3 - thousandths.size(), '0') + thousandths;
}

bool OpenJsonReport(JsonReport &report, const std::string &path) {
    report.file = std::fopen(path.c_str(), "wb");
    return report.file != NULL;
}

void WriteJsonStep(JsonReport &report, const StepOutcome &step) {
    if (!report.file) return;
    std::FILE *file = report.file;
    std::fprintf(file, "{\"name\":%s,\"test\":%s,\"expected\":\"%s\",\"got\":%s,\"pass\":%s,\"seconds\":%s",
                 JsonString(step.name).c_str(), JsonString(step.testId).c_str(),
                 step.expectSuccess ? "Success" : "Failed", JsonString(step.got).c_str(),
                 step.passed ? "true" : "false", SecondsText(step.milliseconds).c_str());
    if (!step.passed) std::fprintf(file, ",\"message\":%s", JsonString(step.message).c_str());
    std::fputs(",\"output\":[", file);
    for (size_t i = 0; i < step.lines.size(); ++i) {
        if (i > 0) std::fputc(',', file);
        WriteJsonLine(file, step.lines[i]);
    }
    std::fputs("]}\n", file);
    std::fflush(file);
}

void CloseJsonReport(JsonReport &report, size_t steps, size_t failures, uint32_t milliseconds) {
    if (!report.file) return;
    std::fprintf(report.file, "{\"summary\":true,\"steps\":%u,\"passed\":%u,\"failed\":%u,\"seconds\":%s}\n",
                 static_cast<unsigned>(steps), static_cast<unsigned>(steps - failures),
                 static_cast<unsigned>(failures), SecondsText(milliseconds).c_str());
    std::fclose(report.file);
    report.file = NULL;
}

bool OpenJunitReport(JunitReport &report, const std::string &path, const std::string &suiteName) {
    report.path = path;
    report.casesPath = path + ".cases.tmp";
    report.suiteName = suiteName;
    report.timestamp = PlatformUtcTimestamp();
    report.cases = std::fopen(report.casesPath.c_str(), "w+b");
    return report.cases != NULL;
}

void WriteJunitCase(JunitReport &report, const StepOutcome &step) {
    if (!report.cases) return;
    std::FILE *file = report.cases;
    std::fprintf(file, "    <testcase name=\"%s\" classname=\"%s\" time=\"%s\">\n", XmlText(step.name).c_str(),
                 XmlText(step.group).c_str(), SecondsText(step.milliseconds).c_str());
    if (!step.passed)
        std::fprintf(file, "      <failure message=\"%s\" type=\"%s\">expected %s, got %s</failure>\n",
                     XmlText(step.message).c_str(), step.got == "Failed" ? "status" : "dialogue",
                     step.expectSuccess ? "Success" : "Failed", XmlText(step.got).c_str());
    std::fputs("      <system-out>", file);
    for (size_t i = 0; i < step.lines.size(); ++i) WriteXmlLine(file, step.lines[i]);
    std::fputs("</system-out>\n    </testcase>\n", file);
}

bool CloseJunitReport(JunitReport &report, size_t steps, size_t failures, uint32_t milliseconds) {
    if (!report.cases) return false;
    std::string temporary = report.path + ".tmp";
    std::FILE *file = std::fopen(temporary.c_str(), "wb");
    bool written = file != NULL;
    if (file) {
        WriteJunitSuiteStart(file, report, steps, failures, milliseconds);
        std::fflush(report.cases);
        std::fseek(report.cases, 0, SEEK_SET);
        written = CopyFile(report.cases, file);
        std::fputs("  </testsuite>\n</testsuites>\n", file);
        written = std::fclose(file) == 0 && written;
    }
    std::fclose(report.cases);
    report.cases = NULL;
    PlatformRemoveFile(report.casesPath);
    if (written) written = PlatformReplaceFile(temporary, report.path);
    if (!written) PlatformRemoveFile(temporary);
    return written;
}

void AbandonJunitReport(JunitReport &report) {
    if (!report.cases) return;
    std::fclose(report.cases);
    report.cases = NULL;
    PlatformRemoveFile(report.casesPath);
}

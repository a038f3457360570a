#include "call_trace.h"

#include <cstdio>
#include <mutex>

#include "trace_output.h"

namespace {

std::mutex g_traceMutex;

std::string Hex(uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "%0*llx", digits, static_cast<unsigned long long>(value));
    return text;
}

// The text with every control character escaped as C writes it (\n, \r,
// \t, else \xHH), and also the backslash and the double quote when it is
// to stand in quotes: a traced text, or a reason quoting one, can then never
// end its line, nor forge the line of another call.
std::string Escaped(const std::string &text, bool quoted) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            escaped += "\\n";
        } else if (c == '\r') {
            escaped += "\\r";
        } else if (c == '\t') {
            escaped += "\\t";
        } else if (byte < 0x20 || byte == 0x7f) {
            escaped += "\\x" + Hex(byte, 2);
        } else {
            if (quoted && (c == '\\' || c == '"')) escaped += '\\';
            escaped += c;
        }
    }
    return escaped;
}

void WriteLine(const std::string &line) {
    std::lock_guard<std::mutex> lock(g_traceMutex);
    TraceOutputWrite(line);
}

}  // namespace

// With the trace off, arguments are not even formatted: a call costs no
// more than its work.
TraceArgs &TraceArgs::Add(const std::string &item) {
    if (!TraceOutputOn()) return *this;
    if (!text_.empty()) text_ += ", ";
    text_ += item;
    return *this;
}

TraceArgs &TraceArgs::Int(int64_t value) { return TraceOutputOn() ? Add(std::to_string(value)) : *this; }

TraceArgs &TraceArgs::Unsigned(uint64_t value) { return TraceOutputOn() ? Add(std::to_string(value)) : *this; }

TraceArgs &TraceArgs::Bytes(const uint8_t *bytes, size_t count) {
    if (!TraceOutputOn()) return *this;
    std::string list = "[";
    for (size_t i = 0; bytes && i < count; ++i) list += (i ? " " : "") + Hex(bytes[i], 2);
    return Add(list + "]");
}

TraceArgs &TraceArgs::Words(const uint32_t *words, size_t count) {
    if (!TraceOutputOn()) return *this;
    std::string list = "[";
    for (size_t i = 0; words && i < count; ++i) list += (i ? " " : "") + Hex(words[i], 8);
    return Add(list + "]");
}

TraceArgs &TraceArgs::Text(const char *text) {
    if (!TraceOutputOn()) return *this;
    return Add(text ? "\"" + Escaped(text, true) + "\"" : "null");
}

TraceArgs &TraceArgs::Pointer(const void *pointer) { return Add(pointer ? "ptr" : "null"); }

TraceArgs &TraceArgs::Event(const void *event) { return Add(event ? "event" : "null"); }

std::string TraceLine(const char *name, const TraceArgs &args, const std::string &result, const std::string &why) {
    std::string line = std::string(name) + "(" + args.Joined() + ") = " + result;
    if (!why.empty()) line += " # " + Escaped(why, false);
    return line;
}

void TraceCall(const char *name, const TraceArgs &args, const std::string &result, const std::string &why) {
    if (!TraceOutputOn()) return;
    WriteLine(TraceLine(name, args, result, why) + "\n");
}

void TraceNote(const std::string &note) {
    if (TraceOutputOn()) WriteLine("# " + Escaped(note, false) + "\n");
}

#include "plan_file.h"

#include "../shell/dialogue.h"
#include "plan_text.h"

#include <algorithm>
#include <utility>

namespace {

const char kKeys[] = "test, answers, expect, contains, repeat, space, pause";
const int32_t kMaxRepeat = 1000000;
const uint32_t kMaxSecondsMs = 24u * 3600u * 1000u;

// Values echoed in a message are cut to this many bytes.
const size_t kEchoedBytes = 60;

// Mistakes kept to be sorted by line: a step's own mistakes are found when
// the step ends, after those of its later lines, so a few more are kept
// than are told. The rest are only counted.
const size_t kMistakesKept = 200;

// The mistakes found, by line, so that they are told in the file's order.
struct Reader {
    typedef std::pair<size_t, std::string> Mistake;
    std::vector<Mistake> mistakes;
    size_t count;
    Reader() : count(0) {}
    void Error(size_t line, const std::string &message) {
        if (mistakes.size() < kMistakesKept) mistakes.push_back(Mistake(line, message));
        ++count;
    }
};

bool EarlierLine(const Reader::Mistake &a, const Reader::Mistake &b) { return a.first < b.first; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trimmed(const std::string &text) {
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

// The line at `at` without its line end (LF or CR LF); false at the end of
// the text.
bool ReadLine(const std::string &text, size_t &at, std::string &line) {
    if (at >= text.size()) return false;
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    line.assign(text, at, end - at);
    at = end + 1;
    if (!line.empty() && line[line.size() - 1] == '\r') line.erase(line.size() - 1);
    return true;
}

// A value as the plan gave it, cut to a readable length, control
// characters shown escaped.
std::string Quoted(const std::string &text) { return "\"" + PrintableText(text, kEchoedBytes) + "\""; }

std::string Ordinal(size_t number) { return DecimalText(static_cast<int32_t>(number)); }

// Seconds with up to three decimals, "1", "0.5", at most a day, as
// milliseconds.
bool ParseSeconds(const std::string &text, uint32_t &milliseconds) {
    size_t point = text.find('.');
    std::string whole = text.substr(0, point);
    std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
    if (whole.empty() && fraction.empty()) return false;
    if (point != std::string::npos && fraction.empty()) return false;
    if (fraction.size() > 3) return false;
    int32_t seconds = 0, thousandths = 0;
    if (!whole.empty() && !ParseWholeNumber(whole, 0, static_cast<int32_t>(kMaxSecondsMs / 1000), seconds))
        return false;
    if (!fraction.empty()) {
        fraction.append(3 - fraction.size(), '0');
        if (!ParseWholeNumber(fraction, 0, 999, thousandths)) return false;
    }
    milliseconds = static_cast<uint32_t>(seconds) * 1000u + static_cast<uint32_t>(thousandths);
    return milliseconds <= kMaxSecondsMs;
}

// A value in double quotes keeps its blanks; \" and \\ inside stand for
// themselves.
bool Unquote(const std::string &value, std::string &text, std::string &message) {
    if (value.empty() || value[0] != '"') {
        text = value;
        return true;
    }
    std::vector<std::string> parts;
    if (!SplitAnswers(value, parts, message)) return false;
    if (parts.size() != 1) {
        message = "text after the closing quote";
        return false;
    }
    text = parts[0];
    return true;
}

struct StepDraft {
    PlanStep step;
    bool hasTest, hasExpect, hasRepeat, hasSpace, hasPause;
    size_t answersLine, spaceLine;
    size_t mistakesBefore;  // counted when the step began
};

void BeginStep(StepDraft &draft, const std::string &name, size_t line, size_t mistakesBefore) {
    draft.step.name = name;
    draft.step.line = line;
    draft.step.test = NULL;
    draft.step.expectSuccess = true;
    draft.step.repeat = 1;
    draft.step.spaceAfterMs = 0;
    draft.step.pauseMs = 0;
    draft.hasTest = draft.hasExpect = draft.hasRepeat = draft.hasSpace = draft.hasPause = false;
    draft.answersLine = draft.spaceLine = line;
    draft.mistakesBefore = mistakesBefore;
    draft.step.answers.clear();
    draft.step.contains.clear();
}

bool Once(Reader &reader, size_t line, const std::string &key, bool &seen) {
    if (seen) {
        reader.Error(line, "'" + key + "' given twice in one step");
        return false;
    }
    seen = true;
    return true;
}

void ReadKey(Reader &reader, StepDraft &draft, size_t line, const std::string &key, const std::string &value) {
    PlanStep &step = draft.step;
    std::string message;
    if (key == "test") {
        if (!Once(reader, line, key, draft.hasTest)) return;
        step.test = FindTest(value);
        if (!step.test) reader.Error(line, "unknown test " + Quoted(value) + " (qzhaltest --list shows them)");
    } else if (key == "answers") {
        if (step.answers.empty()) draft.answersLine = line;
        std::vector<std::string> answers;
        if (!SplitAnswers(value, answers, message)) reader.Error(line, "answers: " + message);
        step.answers.insert(step.answers.end(), answers.begin(), answers.end());
    } else if (key == "expect") {
        if (!Once(reader, line, key, draft.hasExpect)) return;
        if (value == "Success" || value == "Failed")
            step.expectSuccess = value == "Success";
        else
            reader.Error(line, "expect must be Success or Failed, not " + Quoted(value));
    } else if (key == "contains") {
        std::string text;
        if (!Unquote(value, text, message))
            reader.Error(line, "contains: " + message);
        else if (text.empty())
            reader.Error(line, "contains needs a text");
        else
            step.contains.push_back(text);
    } else if (key == "repeat") {
        if (!Once(reader, line, key, draft.hasRepeat)) return;
        if (!ParseWholeNumber(value, 1, kMaxRepeat, step.repeat))
            reader.Error(line, "repeat must be a whole number from 1 to 1000000, not " + Quoted(value));
    } else if (key == "space") {
        if (!Once(reader, line, key, draft.hasSpace)) return;
        draft.spaceLine = line;
        if (!ParseSeconds(value, step.spaceAfterMs))
            reader.Error(line, "space must be seconds (e.g. 1 or 0.5, at most 86400), not " + Quoted(value));
    } else if (key == "pause") {
        if (!Once(reader, line, key, draft.hasPause)) return;
        if (!ParseSeconds(value, step.pauseMs))
            reader.Error(line, "pause must be seconds (e.g. 1 or 0.005, at most 86400), not " + Quoted(value));
    } else {
        reader.Error(line, "unknown key " + Quoted(key) + " (keys: " + kKeys + ")");
    }
}

// The answers against the test's prompts: each answer must fit its prompt,
// and there must be no more answers than the dialogue asks for. Fewer are
// allowed: a refused value ends a test early.
void CheckAnswers(Reader &reader, const StepDraft &draft) {
    const PlanStep &step = draft.step;
    const TestInfo &test = *step.test;
    const std::vector<std::string> &answers = step.answers;
    size_t used = 0;
    bool ended = false;
    for (size_t p = 0; p < test.promptCount && used < answers.size() && !ended; ++p) {
        const TestPrompt &prompt = test.prompts[p];
        int32_t times = 1;
        if (prompt.count == kAskedPerDataWord || prompt.count == kAskedPerByte)
            times = PromptTimes(prompt, AnswerNumber(test.prompts[prompt.countFrom].kind, answers[prompt.countFrom]));
        for (int32_t t = 0; (t < times || prompt.count == kAskedUntilNo) && used < answers.size(); ++t) {
            const std::string &answer = answers[used++];
            if (!AnswerFits(prompt.kind, answer)) {
                reader.Error(draft.answersLine, "answer " + Ordinal(used) + " " + Quoted(answer) + " of " + test.id +
                                                    " must be " + AnswerKindText(prompt.kind) + " at \"" +
                                                    prompt.text + "\"");
                return;
            }
            if (prompt.count == kAskedUntilNo && AnswerNumber(kAnswerYesNo, answer) == 0) {
                ended = true;
                break;
            }
        }
    }
    if (used < answers.size())
        reader.Error(draft.answersLine, test.id + std::string(" asks for ") + Ordinal(used) +
                                            " answers with these values, the step gives " + Ordinal(answers.size()));
}

void CheckStep(Reader &reader, const StepDraft &draft) {
    const PlanStep &step = draft.step;
    if (!draft.hasTest) {
        reader.Error(step.line, "step " + Quoted(step.name) + " names no test");
        return;
    }
    if (!step.test) return;
    CheckAnswers(reader, draft);
    if (draft.hasSpace && !(step.test->flags & kTestWaitsForSpace))
        reader.Error(draft.spaceLine, std::string(step.test->id) + " does not wait for Space");
}

struct StepSink {
    PlanStepVisitor visit;
    void *context;
    size_t steps;
};

// A step is handed over only when none of its lines holds a mistake (the
// count, not the mistakes kept, which stop growing).
void EndStep(Reader &reader, const StepDraft &draft, StepSink &sink) {
    CheckStep(reader, draft);
    ++sink.steps;
    if (reader.count == draft.mistakesBefore && sink.visit) sink.visit(draft.step, sink.context);
}

void ReadLines(Reader &reader, const std::string &plan, StepSink &sink) {
    StepDraft draft;
    bool inStep = false;
    std::string raw;
    size_t at = 0;
    for (size_t line = 1; ReadLine(plan, at, raw); ++line) {
        if (line == 1 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) raw.erase(0, 3);
        if (raw.find('\0') != std::string::npos) {
            reader.Error(line, "a NUL byte: a plan is text");
            continue;
        }
        std::string text = Trimmed(raw);
        if (text.empty() || text[0] == '#' || text[0] == ';') continue;
        if (text[0] == '[') {
            std::string name = text[text.size() - 1] == ']' ? Trimmed(text.substr(1, text.size() - 2)) : "";
            if (inStep) EndStep(reader, draft, sink);
            BeginStep(draft, name, line, reader.count);
            if (text[text.size() - 1] != ']' || name.empty()) reader.Error(line, "a step begins with [its name]");
            inStep = true;
            continue;
        }
        size_t equals = text.find('=');
        if (equals == std::string::npos) {
            reader.Error(line, "expected key = value or [step name]");
            continue;
        }
        std::string key = Trimmed(text.substr(0, equals));
        if (!inStep) {
            reader.Error(line, Quoted(key) + " before the first step: begin a step with [its name]");
            continue;
        }
        ReadKey(reader, draft, line, key, Trimmed(text.substr(equals + 1)));
    }
    if (inStep) EndStep(reader, draft, sink);
}

}  // namespace

bool ParseWholeNumber(const std::string &text, int32_t low, int32_t high, int32_t &value) {
    if (text.empty() || text.size() > 9) return false;
    int32_t number = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        number = number * 10 + (text[i] - '0');
    }
    if (number < low || number > high) return false;
    value = number;
    return true;
}

bool SplitAnswers(const std::string &value, std::vector<std::string> &answers, std::string &message) {
    answers.clear();
    if (Trimmed(value).empty()) return true;
    size_t at = 0;
    for (;;) {
        while (at < value.size() && IsBlank(value[at])) ++at;
        std::string answer;
        if (at < value.size() && value[at] == '"') {
            bool closed = false;
            for (++at; at < value.size(); ++at) {
                if (value[at] == '\\' && at + 1 < value.size() && (value[at + 1] == '"' || value[at + 1] == '\\')) {
                    answer += value[++at];
                } else if (value[at] == '"') {
                    closed = true;
                    ++at;
                    break;
                } else {
                    answer += value[at];
                }
            }
            if (!closed) {
                message = "a quote is not closed";
                return false;
            }
            while (at < value.size() && IsBlank(value[at])) ++at;
            if (at < value.size() && value[at] != ',') {
                message = "text after a closing quote";
                return false;
            }
        } else {
            size_t comma = value.find(',', at);
            answer = Trimmed(value.substr(at, comma == std::string::npos ? std::string::npos : comma - at));
            at = comma == std::string::npos ? value.size() : comma;
        }
        answers.push_back(answer);
        if (at >= value.size()) return true;
        ++at;  // the comma
    }
}

void ReadPlan(const std::string &label, const std::string &text, PlanStepVisitor visit, void *context,
              PlanMistakes &mistakes) {
    Reader reader;
    StepSink sink;
    sink.visit = visit;
    sink.context = context;
    sink.steps = 0;
    ReadLines(reader, text, sink);
    if (sink.steps == 0) reader.Error(1, text.empty() ? "the plan is empty" : "the plan has no steps");
    std::stable_sort(reader.mistakes.begin(), reader.mistakes.end(), EarlierLine);
    mistakes.first.clear();
    mistakes.count = reader.count;
    for (size_t i = 0; i < reader.mistakes.size() && i < kMistakesTold; ++i)
        mistakes.first.push_back(label + ":" + Ordinal(reader.mistakes[i].first) + ": " + reader.mistakes[i].second);
}

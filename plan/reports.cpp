#include "reports.h"

#include "../platform/plan_io.h"
#include "plan_text.h"

namespace {

void WriteJsonLine(std::FILE *file, const std::string &line) {
    if (IsPlainText(line)) {
        std::fputc('"', file);
        std::fwrite(line.data(), 1, line.size(), file);
        std::fputc('"', file);
    } else {
        std::fputs(JsonString(line).c_str(), file);
    }
}

void WriteXmlLine(std::FILE *file, const std::string &line) {
    if (IsPlainText(line))
        std::fwrite(line.data(), 1, line.size(), file);
    else
        std::fputs(XmlText(line).c_str(), file);
    std::fputc('\n', file);
}

std::string BaseName(const std::string &path) {
    size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

void WriteJunitSuiteStart(std::FILE *file, const JunitReport &report, const RunTotals &totals) {
    unsigned tests = static_cast<unsigned>(totals.steps + totals.skipped);
    unsigned failures = static_cast<unsigned>(totals.failures);
    unsigned skipped = static_cast<unsigned>(totals.skipped);
    std::string seconds = SecondsText(totals.milliseconds);
    std::fprintf(file, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    std::fprintf(file,
                 "<testsuites name=\"qzhaltest\" tests=\"%u\" failures=\"%u\" errors=\"0\" skipped=\"%u\" "
                 "time=\"%s\">\n",
                 tests, failures, skipped, seconds.c_str());
    std::fprintf(file,
                 "  <testsuite name=\"%s\" tests=\"%u\" failures=\"%u\" errors=\"0\" skipped=\"%u\" time=\"%s\" "
                 "timestamp=\"%s\">\n",
                 XmlText(report.suiteName).c_str(), tests, failures, skipped, seconds.c_str(),
                 report.timestamp.c_str());
    if (totals.stoppedBy)
        std::fprintf(file,
                     "    <properties>\n      <property name=\"interrupted\" value=\"%s\"/>\n"
                     "      <property name=\"not run\" value=\"%u\"/>\n    </properties>\n",
                     XmlText(totals.stoppedBy).c_str(), static_cast<unsigned>(totals.notRun));
}

bool CopyFile(std::FILE *from, std::FILE *to) {
    char block[4096];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, from)) > 0)
        if (std::fwrite(block, 1, got, to) != got) return false;
    return !std::ferror(from);
}

void CloseCases(JunitReport &report) {
    std::fclose(report.cases);
    report.cases = NULL;
    if (!report.casesPath.empty()) PlatformRemoveFile(report.casesPath);
}

}  // namespace

bool OpenJsonReport(JsonReport &report, const std::string &path, std::string &reason) {
    report.file = std::fopen(PlatformResolvePath(path).c_str(), "wb");
    if (!report.file) reason = PlatformLastFileError();
    return report.file != NULL;
}

void WriteJsonStep(JsonReport &report, const StepOutcome &step) {
    if (!report.file) return;
    std::FILE *file = report.file;
    std::fprintf(file,
                 "{\"name\":%s,\"test\":%s,\"group\":%s,\"expected\":\"%s\",\"got\":%s,\"judged_by\":%s,"
                 "\"pass\":%s,\"seconds\":%s",
                 JsonString(step.name).c_str(), JsonString(step.testId).c_str(), JsonString(step.group).c_str(),
                 step.expectSuccess ? "Success" : "Failed", JsonString(step.got).c_str(),
                 JsonString(step.judgedBy).c_str(), step.passed ? "true" : "false",
                 SecondsText(step.milliseconds).c_str());
    if (!step.passed) std::fprintf(file, ",\"message\":%s", JsonString(step.message).c_str());
    std::fputs(",\"output\":[", file);
    for (size_t i = 0; i < step.lines.size(); ++i) {
        if (i > 0) std::fputc(',', file);
        WriteJsonLine(file, step.lines[i]);
    }
    std::fputs("]}\n", file);
    std::fflush(file);
}

bool CloseJsonReport(JsonReport &report, const RunTotals &totals) {
    if (!report.file) return true;
    std::fprintf(report.file,
                 "{\"summary\":true,\"steps\":%u,\"passed\":%u,\"failed\":%u,\"not_run\":%u,\"interrupted\":%s",
                 static_cast<unsigned>(totals.steps), static_cast<unsigned>(totals.steps - totals.failures),
                 static_cast<unsigned>(totals.failures), static_cast<unsigned>(totals.notRun),
                 totals.stoppedBy ? "true" : "false");
    if (totals.stoppedBy) std::fprintf(report.file, ",\"signal\":%s", JsonString(totals.stoppedBy).c_str());
    std::fprintf(report.file, ",\"seconds\":%s}\n", SecondsText(totals.milliseconds).c_str());
    bool written = !std::ferror(report.file);
    written = std::fclose(report.file) == 0 && written;
    report.file = NULL;
    return written;
}

bool OpenJunitReport(JunitReport &report, const std::string &path, const std::string &suiteName, std::string &reason) {
    report.path = PlatformResolvePath(path);
    report.suiteName = suiteName;
    report.timestamp = PlatformUtcTimestamp();
    report.cases = PlatformCreateScratchFile(PlatformFolderOf(report.path), ("." + BaseName(report.path)).c_str(),
                                             false, report.casesPath, reason);
    return report.cases != NULL;
}

void WriteJunitCase(JunitReport &report, const StepOutcome &step) {
    if (!report.cases) return;
    std::FILE *file = report.cases;
    std::fprintf(file, "    <testcase name=\"%s\" classname=\"%s\" time=\"%s\">\n", XmlText(step.name).c_str(),
                 XmlText(step.group).c_str(), SecondsText(step.milliseconds).c_str());
    if (!step.passed)
        std::fprintf(file, "      <failure message=\"%s\" type=\"%s\">expected %s, got %s</failure>\n",
                     XmlText(step.message).c_str(), XmlText(step.judgedBy).c_str(),
                     step.expectSuccess ? "Success" : "Failed", XmlText(step.got).c_str());
    std::fputs("      <system-out>", file);
    for (size_t i = 0; i < step.lines.size(); ++i) WriteXmlLine(file, step.lines[i]);
    std::fputs("</system-out>\n    </testcase>\n", file);
}

void WriteJunitSkipped(JunitReport &report, const std::string &name, const std::string &group,
                       const std::string &why) {
    if (!report.cases) return;
    std::fprintf(report.cases,
                 "    <testcase name=\"%s\" classname=\"%s\" time=\"0.000\">\n      <skipped message=\"%s\"/>\n"
                 "    </testcase>\n",
                 XmlText(name).c_str(), XmlText(group).c_str(), XmlText(why).c_str());
}

bool CloseJunitReport(JunitReport &report, const RunTotals &totals, std::string &reason) {
    if (!report.cases) {
        reason = "no report was begun";
        return false;
    }
    std::string temporary;
    std::FILE *file = PlatformCreateScratchFile(PlatformFolderOf(report.path), ("." + BaseName(report.path)).c_str(),
                                                true, temporary, reason);
    bool written = file != NULL;
    if (file) {
        WriteJunitSuiteStart(file, report, totals);
        std::fflush(report.cases);
        std::fseek(report.cases, 0, SEEK_SET);
        written = CopyFile(report.cases, file);
        std::fputs("  </testsuite>\n</testsuites>\n", file);
        written = !std::ferror(file) && written;
        written = std::fclose(file) == 0 && written;
        if (!written) reason = PlatformLastFileError();
    }
    CloseCases(report);
    if (written && !PlatformReplaceFile(temporary, report.path)) {
        reason = PlatformLastFileError();
        written = false;
    }
    if (!written && !temporary.empty()) PlatformRemoveFile(temporary);
    return written;
}

void AbandonJunitReport(JunitReport &report) {
    if (report.cases) CloseCases(report);
}

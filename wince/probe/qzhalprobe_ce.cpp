// qzhalprobe-ce: run once on a Windows Embedded Compact device, it prints,
// one numbered line each, what the device's console and temporary folder do
// to qzhaltest, and which of qzhaltest's settings each answer decides. It
// asks what qzhaltest asks, through the same code, and needs no QZHalLib.
#include <windows.h>

#include <cstdio>
#include <string>

#include "../../platform/system.h"
#include "../../platform/win32_console_redirection.h"
#include "../../platform/win32_text.h"
#include "probe.h"

namespace {

const unsigned long kWatchdogMs = 5000;

std::string SystemVersion() {
    OSVERSIONINFOW version;
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(&version)) return "an unknown system version";
    return "system " + DecimalDigits(version.dwMajorVersion) + "." + DecimalDigits(version.dwMinorVersion) + " build " +
           DecimalDigits(version.dwBuildNumber);
}

// "error 32 (The process cannot access the file ...)".
std::string ErrorNumber(unsigned long error) {
    std::string text = PlatformErrorText(static_cast<uint32_t>(error));
    return "error " + DecimalDigits(error) + (text.empty() ? "" : " (" + text + ")");
}

void ReportStdioPaths() {
    const char *const names[] = {"input ", ", output ", ", standard error "};
    std::string answer;
    for (unsigned long id = 0; id < 3; ++id) answer += names[id] + DescribeStdioPath(AskStdioPath(id));
    AnswerLine(1, "GetStdioPathW", answer, "with [2], qzhaltest's console class [3]");
}

// [4]: the terminal's device opened a second time, as qzhaltest opens it.
TerminalDevice ReportSecondOpen(const std::wstring &device) {
    TerminalDevice opened;
    opened.handle = NULL;
    opened.commPort = false;
    opened.error = 0;
    if (device.empty()) {
        AnswerLine(4, "second open of the console's port", "no port is named, nothing to open",
                   "qzhaltest reads the C runtime's standard input ([7], [8])");
        return opened;
    }
    std::string what = "second open of " + NarrowedToAscii(device);
    opened = OpenTerminalDevice(device);
    if (!opened.handle) {
        AnswerLine(4, what, "refused, " + ErrorNumber(opened.error),
                   "qzhaltest reads the C runtime's standard input ([7], [8]) and says so as it starts reading");
    } else if (opened.commPort) {
        AnswerLine(4, what, "opened, read time-outs set", "qzhaltest reads the terminal through this open ([5], [6])");
    } else {
        AnswerLine(4, what, "opened, but no COM port (no read time-outs)",
                   "qzhaltest reads the terminal through this open; its reading thread waits inside the driver");
    }
    return opened;
}

void ReportKeysOnDevice(const std::wstring &device, TerminalDevice &opened) {
    if (opened.handle && opened.commPort) {
        CheckKeysOnDevice(5, device, opened);
    } else {
        AnswerLine(5, "lone CR through the port", "not tried (no COM port open)", "nothing");
        AnswerLine(6, "lone Space through the port", "not tried (no COM port open)", "nothing");
    }
    CloseTerminalDevice(opened);
}

void ReportKeysOnStandardInput(StandardInputKind kind) {
    const char *what[] = {"lone CR through the C runtime's standard input",
                          "lone Space through the C runtime's standard input"};
    std::string why;
    if (kind == kInputScript) why = "not tried (the standard input is a file)";
    else if (!CheckKeysOnStandardInput(7)) why = "not tried (no reading thread: " + ErrorNumber(GetLastError()) + ")";
    if (why.empty()) return;
    AnswerLine(7, what[0], why, "nothing");
    AnswerLine(8, what[1], why, "nothing");
}

std::wstring ScratchPath() {
    wchar_t folder[MAX_PATH + 1] = L"";
    DWORD length = GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length > MAX_PATH) folder[0] = L'\0';
    std::wstring name = L"qzhalprobe-ce.";
    std::string pid = DecimalDigits(GetCurrentProcessId());
    for (size_t i = 0; i < pid.size(); ++i) name += static_cast<wchar_t>(pid[i]);
    return folder + name + L".tmp";
}

std::string Outcome(bool done, unsigned long error) { return done ? "yes" : "refused, " + ErrorNumber(error); }

// [9]: a scratch file written, read back through a second open while the
// first still writes it, deleted while open and after, as a plan run's step
// capture uses its file.
void ReportScratchFile() {
    std::wstring path = ScratchPath();
    std::string what = "scratch file " + NarrowedToAscii(path);
    const char *decides = "how plan runs capture each step's dialogue";
    std::FILE *writer = _wfopen(path.c_str(), L"w");
    if (!writer) {
        AnswerLine(9, what, "cannot be made, " + ErrorNumber(GetLastError()), decides);
        return;
    }
    const char kText[] = "qzhalprobe-ce\n";
    bool written = std::fputs(kText, writer) >= 0 && std::fflush(writer) == 0;
    std::FILE *reader = _wfopen(path.c_str(), L"r");
    unsigned long readerError = reader ? 0 : GetLastError();
    char back[sizeof kText] = "";
    bool readBack = reader && std::fgets(back, sizeof back, reader) && std::string(back) == kText;
    bool deletedOpen = DeleteFileW(path.c_str()) != 0;
    unsigned long deletedOpenError = deletedOpen ? 0 : GetLastError();
    if (reader) std::fclose(reader);
    std::fclose(writer);
    bool deletedAfter = deletedOpen || DeleteFileW(path.c_str()) != 0;
    unsigned long deletedAfterError = deletedAfter ? 0 : GetLastError();
    bool left = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    std::string answer = std::string("written ") + (written ? "yes" : "no") +
                         "; reopened for reading while written " + Outcome(reader != NULL, readerError) +
                         (reader ? (readBack ? ", read back" : ", read back wrong") : "") +
                         "; deleted while open " + Outcome(deletedOpen, deletedOpenError);
    if (!deletedOpen) answer += "; deleted after closing " + Outcome(deletedAfter, deletedAfterError);
    if (left) answer += "; the file is left behind";
    AnswerLine(9, what, answer, decides);
}

DWORD WINAPI EndByWatchdog(LPVOID) {
    Sleep(kWatchdogMs);
    AnswerLine(11, "end by the watchdog", "the C runtime's exit waited for the thread in fgetc; ExitProcess ends the probe",
               "qzhaltest must end through ExitProcess while its terminal's reader waits, as it does");
    ExitProcess(3);
    return 0;
}

// [10], the last: the probe returns from main while its thread waits in
// fgetc. A watchdog ends it if the C runtime's exit waits for that thread.
void ReportEnd() {
    const char *what = "end with a thread waiting in fgetc";
    if (!StandardInputReaderWaits()) {
        AnswerLine(10, what, "not tried (no thread waits: the standard input has ended or was not read)", "nothing");
        return;
    }
    HANDLE watchdog = CreateThread(NULL, 0, EndByWatchdog, NULL, 0, NULL);
    if (!watchdog) {
        AnswerLine(10, what, "not tried (no watchdog thread: " + ErrorNumber(GetLastError()) + ")", "nothing");
        return;
    }
    CloseHandle(watchdog);
    AnswerLine(10, what,
               "ending now through the C runtime's exit; the prompt comes back at once if that exit does not wait "
               "for the thread, else [11] follows within " + Seconds(kWatchdogMs),
               "whether qzhaltest's own end through ExitProcess is needed (it ends so anyway); no prompt at all: "
               "neither way ends a process here");
}

}  // namespace

void AnswerLine(int number, const std::string &what, const std::string &answer, const std::string &decides) {
    std::printf("[%d] %s: %s -> %s\n", number, what.c_str(), answer.c_str(), decides.c_str());
    std::fflush(stdout);
}

void AskLine(const std::string &text) {
    std::printf("    %s\n", text.c_str());
    std::fflush(stdout);
}

std::string Seconds(unsigned long milliseconds) {
    std::string hundredths = DecimalDigits(milliseconds / 10 % 100);
    if (hundredths.size() < 2) hundredths.insert(0, "0");
    return DecimalDigits(milliseconds / 1000) + "." + hundredths + " s";
}

int main() {
    std::printf("qzhalprobe-ce %s on %s: what this device does to qzhaltest's console and files\n",
                QZHAL_PROGRAM_VERSION, SystemVersion().c_str());
    ReportStdioPaths();
    ConsoleRedirection redirection = AskConsoleRedirection();
    AnswerLine(2, "console registry", DescribeConsoleRegistry(redirection), "with [1], qzhaltest's console class [3]");
    StandardInputClass inputClass = StandardInputClassOf(redirection, false);
    AnswerLine(3, "console class", DescribeInputClass(inputClass, false),
               "how qzhaltest takes its console (its --version prints [1] to [3] too); --terminal makes it a "
               "remote terminal");
    TerminalDevice opened = ReportSecondOpen(inputClass.device);
    ReportKeysOnDevice(inputClass.device, opened);
    ReportKeysOnStandardInput(inputClass.kind);
    ReportScratchFile();
    ReportEnd();
    return 0;
}

// How the console takes the redirection of Windows Embedded Compact's
// standard input.
#include <gtest/gtest.h>

#include "../../platform/stdio_redirection.h"

namespace {

TEST(StdioRedirection, NothingOrAConsoleDeviceIsTheConsole) {
    EXPECT_EQ(StandardInputKindOfPath(L""), kInputConsole);
    EXPECT_EQ(StandardInputKindOfPath(L"CON1:"), kInputConsole);
    EXPECT_EQ(StandardInputKindOfPath(L"\\$device\\con"), kInputConsole);
}

TEST(StdioRedirection, ASerialPortIsARemoteTerminal) {
    EXPECT_EQ(StandardInputKindOfPath(L"COM1:"), kInputRemoteTerminal);
    EXPECT_EQ(StandardInputKindOfPath(L"com10:"), kInputRemoteTerminal);
    EXPECT_EQ(StandardInputKindOfPath(L"\\$device\\COM2"), kInputRemoteTerminal);
}

TEST(StdioRedirection, TelnetAndAnyOtherDeviceAreRemoteTerminals) {
    EXPECT_EQ(StandardInputKindOfPath(L"TEL1:"), kInputRemoteTerminal);
    EXPECT_EQ(StandardInputKindOfPath(L"tel0:"), kInputRemoteTerminal);
    EXPECT_EQ(StandardInputKindOfPath(L"\\$device\\TEL3"), kInputRemoteTerminal);
    EXPECT_EQ(StandardInputKindOfPath(L"USB2:"), kInputRemoteTerminal);
}

TEST(StdioRedirection, TheDebugPortIsARemoteTerminalAndOtherFailuresTheConsole) {
    EXPECT_EQ(StandardInputKindOfAnswer(false, kStdioPathDebugPort, L""), kInputRemoteTerminal);
    EXPECT_EQ(StandardInputKindOfAnswer(false, kStdioPathBufferTooSmall, L""), kInputConsole);
    EXPECT_EQ(StandardInputKindOfAnswer(false, 5, L""), kInputConsole);
    EXPECT_EQ(StandardInputKindOfAnswer(true, 0, L"TEL1:"), kInputRemoteTerminal);
    EXPECT_EQ(StandardInputKindOfAnswer(true, kStdioPathDebugPort, L"\\Temp\\s.txt"), kInputScript);
}

TEST(StdioRedirection, AFileIsAScriptWhateverItsNameBeginsWith) {
    EXPECT_EQ(StandardInputKindOfPath(L"\\Temp\\script.txt"), kInputScript);
    EXPECT_EQ(StandardInputKindOfPath(L"\\Storage Card\\CONFIG.TXT"), kInputScript);
    EXPECT_EQ(StandardInputKindOfPath(L"commands.txt"), kInputScript);
    EXPECT_EQ(StandardInputKindOfPath(L"\\COM1\\input"), kInputScript);
    EXPECT_EQ(StandardInputKindOfPath(L"\\Temp\\TEL1"), kInputScript);
    EXPECT_EQ(StandardInputKindOfPath(L"TEL1:x"), kInputScript);
    EXPECT_EQ(StandardInputKindOfPath(L"A1:"), kInputScript);
}

ConsoleRedirection Redirection(bool answered, unsigned long error, const wchar_t *path) {
    ConsoleRedirection redirection{};
    redirection.pathAnswered = answered;
    redirection.pathError = error;
    redirection.path = path;
    return redirection;
}

ConsoleRedirection SentByTheRegistry(ConsoleRedirection redirection, unsigned long outputTo) {
    redirection.consoleKeyFound = redirection.outputToSet = true;
    redirection.outputTo = outputTo;
    return redirection;
}

// The registry's OutputTo sends the console driver to a serial port (or the
// debug port): a console that is not redirected is then a remote terminal,
// read through that port; a file stays a script, a named device stays the
// one read.
TEST(StdioRedirection, TheRegistryMakesTheConsoleARemoteTerminalOnItsPort) {
    struct Case {
        ConsoleRedirection redirection;
        StandardInputKind kind;
        std::wstring device;
    };
    const Case cases[] = {
        {SentByTheRegistry(Redirection(true, 0, L""), 1), kInputRemoteTerminal, L"COM1:"},
        {SentByTheRegistry(Redirection(true, 0, L"CON1:"), 0), kInputRemoteTerminal, L"COM0:"},
        {SentByTheRegistry(Redirection(true, 0, L""), 12), kInputRemoteTerminal, L"\\$device\\COM12"},
        {SentByTheRegistry(Redirection(false, 5, L""), 3), kInputRemoteTerminal, L"COM3:"},
        {SentByTheRegistry(Redirection(true, 0, L""), kConsoleOutputToDebugPort), kInputRemoteTerminal, L""},
        {SentByTheRegistry(Redirection(true, 0, L"\\Temp\\script.txt"), 1), kInputScript, L""},
        {SentByTheRegistry(Redirection(true, 0, L"TEL1:"), 1), kInputRemoteTerminal, L"TEL1:"},
        {SentByTheRegistry(Redirection(false, kStdioPathDebugPort, L""), 1), kInputRemoteTerminal, L""},
        {Redirection(true, 0, L""), kInputConsole, L""},
        {Redirection(true, 0, L"\\$device\\COM2"), kInputRemoteTerminal, L"\\$device\\COM2"},
    };
    for (const Case &c : cases) {
        StandardInputClass got = StandardInputClassOf(c.redirection, false);
        EXPECT_EQ(got.kind, c.kind) << std::string(c.redirection.path.begin(), c.redirection.path.end());
        EXPECT_EQ(got.device, c.device) << std::string(c.redirection.path.begin(), c.redirection.path.end());
    }
}

// --terminal: a remote terminal whatever the class, read through the device
// the redirection names, else through the C runtime.
TEST(StdioRedirection, TheTerminalOptionMakesAnyClassARemoteTerminal) {
    StandardInputClass console = StandardInputClassOf(Redirection(true, 0, L""), true);
    EXPECT_EQ(console.kind, kInputRemoteTerminal);
    EXPECT_EQ(console.device, L"");
    StandardInputClass file = StandardInputClassOf(Redirection(true, 0, L"\\Temp\\s.txt"), true);
    EXPECT_EQ(file.kind, kInputRemoteTerminal);
    EXPECT_EQ(file.device, L"");
    StandardInputClass port = StandardInputClassOf(SentByTheRegistry(Redirection(true, 0, L""), 2), true);
    EXPECT_EQ(port.kind, kInputRemoteTerminal);
    EXPECT_EQ(port.device, L"COM2:");
}

}  // namespace

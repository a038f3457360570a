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

}  // namespace

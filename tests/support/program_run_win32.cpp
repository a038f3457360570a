// Win32 half of the transcript harness: CreateProcessW with the standard
// handles on pipes, an environment block of its own and a time limit.
#include "program_run_os.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <map>
#include <thread>

namespace {

std::wstring Wide(const std::string &text) {
    if (text.empty()) return std::wstring();
    int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

std::string Narrow(const std::wstring &text) {
    if (text.empty()) return std::string();
    int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                     nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &narrow[0], length, nullptr,
                        nullptr);
    return narrow;
}

std::string MakeTraceFile() {
    wchar_t directory[MAX_PATH + 1] = {};
    wchar_t path[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, directory);
    GetTempFileNameW(directory, L"qzt", 0, path);
    return Narrow(path);
}

// Names compare without regard to case, as Windows looks them up.
std::wstring NameKey(std::wstring name) {
    CharUpperBuffW(&name[0], static_cast<DWORD>(name.size()));
    return name;
}

// This process's environment without the library's and the platform's
// variables, then the trace file and the run's own variables (which may
// name another trace): a sorted, doubly terminated block.
std::wstring EnvironmentBlock(const RunOptions &options, const std::string &tracePath) {
    std::map<std::wstring, std::wstring> variables;
    wchar_t *inherited = GetEnvironmentStringsW();
    for (const wchar_t *entry = inherited; entry && *entry; entry += lstrlenW(entry) + 1) {
        std::wstring text(entry);
        size_t equals = text.find(L'=', 1);  // names such as "=C:" start with '='
        if (equals == std::wstring::npos) continue;
        variables[NameKey(text.substr(0, equals))] = text;
    }
    if (inherited) FreeEnvironmentStringsW(inherited);
    for (const wchar_t *name : {L"QZHAL_TRACE", L"QZHAL_SIM_FAIL", L"QZHAL_PLATFORM_FAIL"}) variables.erase(name);
    std::map<std::string, std::string> own = options.environment;
    own.emplace("QZHAL_SIM_TRACE", tracePath);  // the run's own value wins
    for (const auto &entry : own) variables[NameKey(Wide(entry.first))] = Wide(entry.first + "=" + entry.second);
    std::wstring block;
    for (const auto &entry : variables) block += entry.second + L'\0';
    return block + L'\0';
}

// One word of a command line, quoted as the C runtime splits it again.
std::wstring Quoted(const std::wstring &word) {
    if (!word.empty() && word.find_first_of(L" \t\"") == std::wstring::npos) return word;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : word) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

struct Pipe {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
};

// A pipe whose `childEnd` (the read or the write end) the child inherits.
bool MakePipe(Pipe &pipe, bool childReads) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    if (!CreatePipe(&pipe.read, &pipe.write, &inherit, 0)) return false;
    return SetHandleInformation(childReads ? pipe.write : pipe.read, HANDLE_FLAG_INHERIT, 0) != 0;
}

void ClosePipeEnd(HANDLE &handle) {
    if (handle) CloseHandle(handle);
    handle = nullptr;
}

bool WriteAll(HANDLE pipe, const std::string &text) {
    DWORD wrote = 0;
    for (size_t done = 0; done < text.size(); done += wrote) {
        if (!WriteFile(pipe, text.data() + done, static_cast<DWORD>(text.size() - done), &wrote, nullptr) ||
            wrote == 0)
            return false;
    }
    return true;
}

// The C runtime ends the program's lines with CR LF on Windows; the tests
// compare lines, so each CR LF becomes the LF the expected texts hold. A CR
// at the end of one read waits for the next.
void ReadAll(HANDLE pipe, SharedOutput *output, std::string *errors) {
    char bytes[4096];
    DWORD got = 0;
    bool carriageReturn = false;
    auto deliver = [&](const std::string &text) {
        if (output)
            AddOutput(*output, text.data(), text.size());
        else
            errors->append(text);
    };
    while (ReadFile(pipe, bytes, sizeof bytes, &got, nullptr) && got > 0) {
        std::string text;
        for (DWORD i = 0; i < got; ++i) {
            if (carriageReturn && bytes[i] != '\n') text += '\r';
            carriageReturn = bytes[i] == '\r';
            if (!carriageReturn) text += bytes[i];
        }
        deliver(text);
    }
    if (carriageReturn) deliver("\r");
}

bool StartChild(const RunOptions &options, const std::string &tracePath, Pipe &in, Pipe &out, Pipe &err,
                PROCESS_INFORMATION &process) {
    std::wstring commandLine;
    for (const std::string &word : ProgramWords(options)) commandLine += (commandLine.empty() ? L"" : L" ") + Quoted(Wide(word));
    std::wstring environment = EnvironmentBlock(options, tracePath);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.read;
    startup.hStdOutput = out.write;
    startup.hStdError = err.write;
    return CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                          &environment[0], nullptr, &startup, &process) != 0;
}

// A start that fails says nothing of the program, which has not run. Under
// Wine a start has been seen to fail once in a suite that otherwise passed,
// so a failed start is tried once more, and noted on standard error.
bool StartChildWithRetry(const RunOptions &options, const std::string &tracePath, Pipe &in, Pipe &out, Pipe &err,
                         PROCESS_INFORMATION &process) {
    if (StartChild(options, tracePath, in, out, err, process)) return true;
    std::fprintf(stderr, "could not start the program (system error %lu); starting it again\n", GetLastError());
    return StartChild(options, tracePath, in, out, err, process);
}

}  // namespace

RunResult RunProgram(const RunOptions &options) {
    RunResult result;
    std::string tracePath = MakeTraceFile();
    Pipe in, out, err;
    PROCESS_INFORMATION process{};
    bool started = MakePipe(in, true) && MakePipe(out, false) && MakePipe(err, false) &&
                   StartChildWithRetry(options, tracePath, in, out, err, process);
    DWORD startError = started ? 0 : GetLastError();
    ClosePipeEnd(in.read);
    ClosePipeEnd(out.write);
    ClosePipeEnd(err.write);
    if (!started) {
        ReportStartFailure(options, "system error " + std::to_string(startError));
        ClosePipeEnd(in.write);
        ClosePipeEnd(out.read);
        ClosePipeEnd(err.read);
        DeleteFileW(Wide(tracePath).c_str());
        return result;
    }

    SharedOutput output;
    std::thread writer([&] {
        FeedInput(options, output, [&](const std::string &text) { return WriteAll(in.write, text); });
        ClosePipeEnd(in.write);
    });
    std::thread outputReader(ReadAll, out.read, &output, nullptr);
    std::thread errorReader(ReadAll, err.read, nullptr, &result.errors);
    DWORD waited = WaitForSingleObject(process.hProcess, static_cast<DWORD>(options.timeoutMs));
    if (waited == WAIT_FAILED) ADD_FAILURE() << "cannot wait for the program: system error " << GetLastError();
    result.timedOut = waited != WAIT_OBJECT_0;
    if (result.timedOut) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    outputReader.join();
    errorReader.join();
    MarkEnded(output);
    writer.join();
    ClosePipeEnd(out.read);
    ClosePipeEnd(err.read);

    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    result.exitCode = result.timedOut ? -1 : static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    result.output = TakeOutput(output);
    result.trace = ReadLines(tracePath);
    DeleteFileW(Wide(tracePath).c_str());
    return result;
}

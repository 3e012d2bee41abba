#include "tests/support/Process.h"

#include <windows.h>

namespace testing_support {
namespace {

// A file for the program's output that the system removes once it is closed.
HANDLE CaptureFile() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    char folder[MAX_PATH + 1] = {}, name[MAX_PATH + 1] = {};
    GetTempPathA(sizeof folder, folder);
    GetTempFileNameA(folder, "mrk", 0, name);
    return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &inherit, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

std::string ReadAll(HANDLE file) {
    std::string text;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0)
        text.append(buffer, n);
    CloseHandle(file);
    return text;
}

// Sets the variables in this process, which the program inherits; returns what they were.
Environment Apply(const Environment& changes) {
    Environment previous;
    for (const auto& [name, value] : changes) {
        char old[32768];
        const DWORD length = GetEnvironmentVariableA(name.c_str(), old, sizeof old);
        previous.emplace_back(name, length > 0 && length < sizeof old
                                        ? std::optional<std::string>(old)
                                        : std::nullopt);
        SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
    }
    return previous;
}

} // namespace

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::filesystem::path& folder, const Environment& environment) {
    std::string commandLine = '"' + program + '"';
    for (const std::string& arg : args)
        commandLine += ' ' + arg;
    const HANDLE out = CaptureFile(), err = CaptureFile();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    ProgramRun run;
    const Environment previous = Apply(environment);
    const BOOL started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        0, nullptr, folder.string().c_str(), &startup, &process);
    Apply(previous);
    if (started) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD status = 0;
        if (GetExitCodeProcess(process.hProcess, &status))
            run.status = int(status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    run.out = ReadAll(out);
    run.err = ReadAll(err);
    return run;
}

} // namespace testing_support

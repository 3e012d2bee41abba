#include "tests/support/Process.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::filesystem::path& folder, const Environment& environment) {
    std::vector<std::string> words = {program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    ProgramRun run;
    std::FILE* err = std::tmpfile();
    int out[2];
    if (err == nullptr || pipe2(out, O_CLOEXEC) != 0)
        return run;
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        for (const auto& [name, value] : environment) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        if (chdir(folder.c_str()) == 0 && dup2(out[1], 1) >= 0 && dup2(fileno(err), 2) >= 0)
            execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(out[1]);
    char buffer[4096];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        run.out.append(buffer, std::size_t(n));
    close(out[0]);
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child)
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::rewind(err);
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, err)) > 0;)
        run.err.append(buffer, n);
    std::fclose(err);
    return run;
}

} // namespace testing_support

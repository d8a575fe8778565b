#include "BurnProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <thread>

#include "platform/ProgramPath.h"

extern char** environ;

namespace quillstar::test {

BurnProcess::BurnProcess(std::vector<std::string> arguments, const std::map<std::string, std::string>& environment,
                         const std::string& outPath, const std::string& errPath, const std::string& program)
{
    arguments.insert(arguments.begin(), program.empty() ? ProgramDirectory() + "/quillstar-burn" : program);
    std::vector<std::string> variables;
    if (!environment.contains("QUILLSTAR_DRIVES"))
        variables.push_back("QUILLSTAR_DRIVES=");
    for (char** variable = environ; *variable; ++variable) {
        const std::string text = *variable;
        if (text.rfind("QUILLSTAR_", 0) != 0)
            variables.push_back(text);
    }
    for (const auto& [name, value] : environment)
        variables.push_back(name + "=" + value);
    std::vector<char*> argv, envp;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    for (std::string& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
}

BurnProcess::~BurnProcess()
{
    if (pid_ > 0 && !finished_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

void BurnProcess::Interrupt() const
{
    if (pid_ > 0)
        kill(pid_, SIGINT);
}

BurnProcess::Outcome BurnProcess::Wait(std::chrono::milliseconds limit)
{
    Outcome outcome;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (pid_ > 0 && !finished_ && std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        rusage usage{};
        if (wait4(pid_, &status, WNOHANG, &usage) == pid_) {
            finished_ = true;
            outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            outcome.peakMiB = usage.ru_maxrss / 1024.0;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return outcome;
}

}  // namespace quillstar::test

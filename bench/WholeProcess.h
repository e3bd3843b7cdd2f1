#pragma once
// Whole programs timed from start to end, for the benchmarks that set
// orvane-convert beside a format's own command-line tool.
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

extern char** environ;

inline std::string SelfPath()
{
    return std::filesystem::read_symlink("/proc/self/exe").string();
}

// orvane-convert of the same build, or the one ORVANE_CONVERT names.
inline std::string ConvertPath()
{
    if (const char* path = std::getenv("ORVANE_CONVERT"))
        return path;
    return (std::filesystem::path(SelfPath()).parent_path().parent_path() / "src/imaging/convert/orvane-convert")
        .string();
}

// Scratch files live in memory where the system has a memory file system,
// so that the disk's noise stays out.
inline std::string ScratchFolder()
{
    return std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path().string();
}

// Runs a program to its end, its output thrown away unless it is a file
// named in the arguments; its processor time in seconds. A program found
// through PATH may be named by its name alone.
inline double RunProgram(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int started = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0)
        throw std::runtime_error("cannot start " + arguments[0]);
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(arguments[0] + " failed");
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

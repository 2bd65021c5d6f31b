// tests/renderer_run.h - running zentrix-render as a separate program, with views written for
// it and its pictures decoded.
#pragma once
#include <gtest/gtest.h>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include "files/params.h"
#include "tests/files_test_util.h"

extern char** environ;

// Built beside the explorer, one folder above the test programs.
inline std::string RendererPath() {
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "zentrix-render").string();
}

// A shell word, built by appending (concatenating onto a literal upsets the compiler's
// overlap check).
inline std::string Quoted(const std::string& text) {
    std::string q(1, '\'');
    q += text;
    q += '\'';
    return q;
}

struct RunResult {
    int         Code;
    std::string Err;
    std::string Out;
};

// Runs the renderer through the shell with the given argument words; `prefix` goes before the
// program (an environment setting, say).
inline RunResult RunRenderer(const std::string& args, const std::string& prefix = "") {
    ScratchFolder logs;
    std::string command = prefix + Quoted(RendererPath());
    command += ' ' + args + " >" + Quoted(logs / "out") + " 2>" + Quoted(logs / "err");
    const int status = std::system(command.c_str());
    return RunResult{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadWholeFile(logs / "err"), ReadWholeFile(logs / "out")};
}

// Starts the renderer without waiting; its output is dropped.
inline pid_t StartRenderer(const std::vector<std::string>& args) {
    std::vector<std::string> words = {RendererPath()};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&quiet);
    return pid;
}

// A view on the seahorse valley's spirals at the given zoom, with a fixed limit.
inline ViewParams SeahorseView(int32_t zoom) {
    ViewParams v = HomeView();
    v.Center_zX = DecimalToLong128("0.1318259042053988");
    v.Center_zY = DecimalToLong128("-0.7436438870371587");
    v.ld_Zoom = zoom;
    v.Iteration = v.Alt_Iteration = 1000;
    return v;
}

inline Decoded DecodedFile(const std::string& path) {
    Decoded d;
    EXPECT_TRUE(Decode(ReadWholeFile(path), &d)) << path;
    return d;
}

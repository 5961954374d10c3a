#pragma once
// Runs the real quillory-cli binary and captures what it prints.
#include <array>
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/wait.h>

#include "support/TestFiles.h"

namespace quillory::test {

struct CliResult {
    int status = -1;
    std::string out;
};

// Arguments are passed through the shell: quote paths with QuotePath.
inline CliResult RunCli(const std::string& args, bool withStderr = false) {
    std::string command = std::string(QUILLORY_CLI_PATH) + " " + args + (withStderr ? " 2>&1" : " 2>/dev/null");
    CliResult r;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    std::array<char, 4096> buffer{};
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) r.out.append(buffer.data(), n);
    int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

inline std::string QuotePath(const std::string& path) { return "'" + path + "'"; }

// A script for `quillory-cli run`, written into `dir`; returns its path.
inline std::string WriteScript(const TempDir& dir, const std::string& text, const std::string& name = "script.txt") {
    const std::string path = dir.File(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

}  // namespace quillory::test

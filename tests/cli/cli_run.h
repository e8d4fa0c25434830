#pragma once
// Running orvane-cli as a program from the command-line tests: the exit status and what it
// wrote to standard output and standard error.
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace cli_test {

struct TRun {
    int status = -1;
    std::string out;
    std::string err;
};

// A word quoted for the shell.
inline std::string Quoted(const std::string& word) {
    std::string q = "'";
    for (char c : word) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs orvane-cli with the words given; its output goes through two files in `scratch`,
// which are removed afterwards.
inline TRun RunCli(const std::filesystem::path& scratch, const std::vector<std::string>& args) {
    std::string command = Quoted(ORVANE_CLI_PATH);
    for (const std::string& a : args) command += ' ' + Quoted(a);
    const std::filesystem::path out = scratch / "stdout.txt";
    const std::filesystem::path err = scratch / "stderr.txt";
    command += " >" + Quoted(out.string()) + " 2>" + Quoted(err.string());
    const int raw = std::system(command.c_str());
    TRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadFile(out);
    run.err = ReadFile(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return run;
}

}  // namespace cli_test

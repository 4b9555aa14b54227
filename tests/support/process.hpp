#pragma once

// Runs a program for an end-to-end test: feeds its standard input, collects its standard output and error,
// and kills it when it runs past a time limit.

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace vantrel::testing_support {

struct ProcessResult {
    int exitCode = -1;  // -1 when it was killed or died of a signal
    bool timedOut = false;
    std::string out;
    std::string err;
};

struct ProcessOptions {
    std::string input;                               // written to standard input, which is then closed
    std::map<std::string, std::string> environment;  // added to (or replacing in) the inherited environment
    std::chrono::milliseconds timeout{60000};
    // Standard input stays open (a sender gone quiet) after `input` is written, until the process ends.
    bool keepInputOpen = false;
};

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {});

// For starting programs: the inherited environment with `extra` added or replacing ("NAME=value" entries),
// and the argv/envp form of a list of strings (pointers into it, ending with a null pointer).
std::vector<std::string> MergedEnvironment(const std::map<std::string, std::string>& extra);
std::vector<char*> Pointers(std::vector<std::string>& strings);

}  // namespace vantrel::testing_support

// The subcommands of lumaret-cli. Each takes the arguments after its name and
// returns the process's exit status.
#pragma once

#include <string>
#include <vector>

namespace lumaret::cli {

using Arguments = std::vector<std::string>;

enum ExitStatus { kSuccess = 0, kFailure = 1, kUsage = 2 };

int Make(const Arguments& args);
int Show(const Arguments& args);
int Export(const Arguments& args);
int Svg(const Arguments& args);
int Preview(const Arguments& args);
int Video(const Arguments& args);

// One line on stderr, "lumaret-cli: " first.
void Fail(const std::string& text);

// Fail for a command line not understood, pointing to the command's own help.
void FailUsage(const std::string& command, const std::string& text);

}  // namespace lumaret::cli

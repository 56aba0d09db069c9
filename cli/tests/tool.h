// Runs the built glimvane-convert as a child process, with its standard
// streams wired to files or pipes, and collects what it did.
#pragma once

#include <string>
#include <vector>

namespace glimvane::testing {

struct ToolRun {
  int exit_code = -1;  // -1 if it did not exit normally (killed by a signal)
  int signal = 0;
  std::string out;
  std::string err;
  long max_rss_kib = 0;
};

// A scratch folder for one test program, removed when it ends.
const std::string& ScratchDir();
std::string WriteScratchFile(const std::string& name, const std::string& bytes);
std::string ReadFile(const std::string& path);

// Runs the tool with `args`. Its standard input is the file `stdin_path`
// (/dev/null when empty); its standard output goes to `stdout_path` (a
// scratch file, read back into ToolRun::out, when empty); stderr is captured.
ToolRun RunTool(const std::vector<std::string>& args, const std::string& stdin_path = "",
            const std::string& stdout_path = "");

// Lower level: starts the tool with the given descriptors as its standard
// input and output (stderr goes to a scratch file) and returns its pid.
// SIGPIPE is set back to its default in the child.
int StartTool(const std::vector<std::string>& args, int stdin_fd, int stdout_fd, std::string& stderr_path);
// Waits for `pid`, fills exit status, rusage and stderr.
void FinishTool(int pid, const std::string& stderr_path, ToolRun& run);

}  // namespace glimvane::testing

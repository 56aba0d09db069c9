#include "tool.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace glimvane::testing {
namespace {

class Scratch {
 public:
  Scratch() {
    char pattern[] = "/tmp/glimvane-cli-test.XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~Scratch() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string UniqueName(const std::string& stem) {
  static std::atomic<int> counter{0};
  return ScratchDir() + "/" + stem + "." + std::to_string(++counter);
}

}  // namespace

const std::string& ScratchDir() {
  static const Scratch scratch;
  return scratch.path();
}

std::string WriteScratchFile(const std::string& name, const std::string& bytes) {
  const std::string path = UniqueName(name);
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

int StartTool(const std::vector<std::string>& args, int stdin_fd, int stdout_fd, std::string& stderr_path) {
  stderr_path = UniqueName("stderr");
  const int err_fd = open(stderr_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (err_fd < 0) throw std::runtime_error("cannot create " + stderr_path);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, stdin_fd, STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, stdout_fd, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err_fd, STDERR_FILENO);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

  std::vector<std::string> argv_strings{GLIMVANE_CONVERT};
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argv_strings) argv.push_back(arg.data());
  argv.push_back(nullptr);

  pid_t pid;
  const int error = posix_spawn(&pid, GLIMVANE_CONVERT, &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(err_fd);
  if (error != 0) throw std::runtime_error(std::string("cannot start the tool: ") + std::strerror(error));
  return pid;
}

void FinishTool(int pid, const std::string& stderr_path, ToolRun& run) {
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) throw std::runtime_error("wait4 failed");
  }
  if (WIFEXITED(status)) run.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  run.max_rss_kib = usage.ru_maxrss;
  run.err = ReadFile(stderr_path);
}

ToolRun RunTool(const std::vector<std::string>& args, const std::string& stdin_path, const std::string& stdout_path) {
  const std::string in_path = stdin_path.empty() ? "/dev/null" : stdin_path;
  const std::string out_path = stdout_path.empty() ? UniqueName("stdout") : stdout_path;
  const int in_fd = open(in_path.c_str(), O_RDONLY | O_CLOEXEC);
  const int out_fd = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (in_fd < 0 || out_fd < 0) throw std::runtime_error("cannot open the tool's standard streams");
  std::string stderr_path;
  ToolRun run;
  const int pid = StartTool(args, in_fd, out_fd, stderr_path);
  close(in_fd);
  close(out_fd);
  FinishTool(pid, stderr_path, run);
  if (stdout_path.empty()) run.out = ReadFile(out_path);
  return run;
}

}  // namespace glimvane::testing

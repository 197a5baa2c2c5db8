#pragma once
// Runs a program as a child process with its standard output and standard
// error captured, in a given working directory and with extra environment
// variables. Standard input is /dev/null unless another file is named.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

struct ChildResult {
  int exitCode = -1;  // -1 when the child did not exit normally
  int signal = 0;     // the signal that ended it, if any
  std::string out;
  std::string err;
};

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      Finish();
    }
  }

  // Starts program with args (args[0] is not the program). False when it
  // could not be started.
  bool Start(const std::string& program, const std::vector<std::string>& args, const std::string& cwd,
             const std::vector<std::string>& extraEnv, const std::string& stdinPath = "/dev/null") {
    int out[2], err[2];
    if (pipe(out) != 0) return false;
    if (pipe(err) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, stdinPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());

    std::vector<std::string> argStore{program};
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argStore) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStore;
    // The extra entries stand in for those of the same name.
    for (char** e = environ; *e != nullptr; ++e) {
      const std::string entry = *e;
      const std::string name = entry.substr(0, entry.find('=') + 1);
      bool replaced = false;
      for (const std::string& x : extraEnv) replaced = replaced || x.compare(0, name.size(), name) == 0;
      if (!replaced) envStore.push_back(entry);
    }
    envStore.insert(envStore.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char*> envp;
    for (auto& e : envStore) envp.push_back(e.data());
    envp.push_back(nullptr);

    const int r = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (r != 0) {
      close(out[0]);
      close(err[0]);
      pid_ = -1;
      return false;
    }
    out_reader_ = std::thread(Drain, out[0], &result_.out);
    err_reader_ = std::thread(Drain, err[0], &result_.err);
    return true;
  }

  pid_t Pid() const { return pid_; }
  void Signal(int sig) const {
    if (pid_ > 0) kill(pid_, sig);
  }

  // Waits for the child to end (killing it after the deadline) and returns
  // what it wrote and how it ended.
  ChildResult Finish(std::chrono::milliseconds deadline = std::chrono::seconds(120)) {
    if (pid_ <= 0) return result_;
    // A pidfd becomes readable when the child ends.
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
    if (pidfd >= 0) {
      pollfd p{pidfd, POLLIN, 0};
      int ready;
      do {
        ready = poll(&p, 1, static_cast<int>(deadline.count()));
      } while (ready < 0 && errno == EINTR);
      if (ready == 0) kill(pid_, SIGKILL);
      close(pidfd);
    }
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    if (out_reader_.joinable()) out_reader_.join();
    if (err_reader_.joinable()) err_reader_.join();
    if (WIFEXITED(status)) result_.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result_.signal = WTERMSIG(status);
    return result_;
  }

 private:
  static void Drain(int fd, std::string* into) {
    char buffer[4096];
    for (;;) {
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n > 0) {
        into->append(buffer, static_cast<size_t>(n));
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      break;
    }
    close(fd);
  }

  pid_t pid_ = -1;
  std::thread out_reader_, err_reader_;
  ChildResult result_;
};

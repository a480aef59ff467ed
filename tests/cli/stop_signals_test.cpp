// The console tool stopped by a signal mid-run, as its own process: the run ends as Cancel ends
// it (whole lines, a closed JSON document) and the tool exits with the signal's status.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "run_process.h"
#include "support/temp_tree.h"

using testing_support::ReadBytes;
using testing_support::TempTree;

namespace {

constexpr auto kPatience = std::chrono::seconds(60);

class StopSignals : public ::testing::Test {
 protected:
  // Many times a pipe's capacity of listing, so that a run writing into a pipe nobody drains
  // cannot end by itself.
  static void SetUpTestSuite() {
    tree_ = new TempTree;
    for (int folder = 0; folder < 150; ++folder)
      for (int file = 0; file < 40; ++file)
        tree_->File("src/folder " + std::to_string(folder) + "/file " + std::to_string(file));
    ASSERT_EQ(RunQuilletList({tree_->Path("src"), tree_->Path("whole.txt")}).exitCode, 0);
    wholeSize_ = ReadBytes(tree_->Path("whole.txt")).size();
    ASSERT_GT(wholeSize_, 400'000u);
  }
  static void TearDownTestSuite() { delete tree_; }

  void SetUp() override {
    errPath_ = tree_->Path("err.txt");
    err_ = open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    ASSERT_GE(err_, 0);
  }
  void TearDown() override { close(err_); }

  // Starts the tool writing into a FIFO that this test reads, and returns once the tool waits
  // in a write for the FIFO to be drained: the run is under way and cannot end by itself.
  int StartIntoFifo(std::vector<NativeString> options) {
    const NativeString fifo = tree_->Path("fifo");
    unlink(fifo.c_str());
    if (mkfifo(fifo.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed");
    reader_ = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    options.push_back(tree_->Path("src"));
    options.push_back(fifo);
    const int pid = StartQuilletList(options, err_, err_);
    for (const auto until = std::chrono::steady_clock::now() + kPatience; !BlockedInWrite(pid);) {
      if (std::chrono::steady_clock::now() > until) throw std::runtime_error("no write waits");
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return pid;
  }
  // Whether the process is in a write() that waits: the system call it is in, and its state.
  static bool BlockedInWrite(int pid) {
    const std::string proc = "/proc/" + std::to_string(pid);
    std::ifstream call(proc + "/syscall");
    long number = -1;
    // "running" while the process runs.
    if (!(call >> number)) return false;
    std::ifstream stat(proc + "/stat");
    std::string field, state;
    stat >> field >> field >> state;  // pid, (name), state: no blank in the tool's name
    return number == SYS_write && state == "S";
  }
  // Sends `signal` and waits until the tool's handler has run: the handler then gives the
  // signals back their default action. The write that waits is interrupted by then.
  static void Signal(int pid, int signal) {
    kill(pid, signal);
    for (const auto until = std::chrono::steady_clock::now() + kPatience; !Handled(pid, signal);) {
      if (std::chrono::steady_clock::now() > until) throw std::runtime_error("not handled");
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  static bool Handled(int pid, int signal) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("SigCgt:", 0) != 0) continue;
      const unsigned long long caught = std::stoull(line.substr(7), nullptr, 16);
      return (caught & (1ull << (signal - 1))) == 0;
    }
    return false;
  }
  // Everything the FIFO gets until the tool closes it.
  std::string Drain() {
    fcntl(reader_, F_SETFL, fcntl(reader_, F_GETFL) & ~O_NONBLOCK);
    std::string bytes;
    char buffer[65536];
    for (ssize_t n; (n = read(reader_, buffer, sizeof buffer)) > 0;) bytes.append(buffer, n);
    close(reader_);
    return bytes;
  }

  static TempTree* tree_;
  static std::size_t wholeSize_;
  NativeString errPath_;
  int err_ = -1;
  int reader_ = -1;
};

TempTree* StopSignals::tree_ = nullptr;
std::size_t StopSignals::wholeSize_ = 0;

bool IsValidJson(const std::string& text, const NativeString& scratch) {
  std::ofstream(scratch, std::ios::binary) << text;
  return std::system(("python3 -m json.tool '" + scratch + "' > /dev/null").c_str()) == 0;
}

}  // namespace

TEST_F(StopSignals, EndTheRunWithWholeLinesAndTheSignalsStatus) {
  struct Case {
    int signal;
    std::vector<NativeString> options;
  };
  const Case cases[] = {
      {SIGINT, {"--format", "json"}}, {SIGTERM, {"--size"}}, {SIGHUP, {"--format", "csv"}}};
  for (const Case& c : cases) {
    const int pid = StartIntoFifo(c.options);
    Signal(pid, c.signal);
    const std::string listing = Drain();
    EXPECT_EQ(WaitForExit(pid), 128 + c.signal) << "signal " << c.signal;
    EXPECT_EQ(ReadBytes(errPath_), "");
    if (c.signal == SIGINT) {
      EXPECT_TRUE(IsValidJson(listing, tree_->Path("copy.json"))) << listing.substr(0, 200);
      continue;
    }
    EXPECT_LT(listing.size(), wholeSize_) << "the run went on to its end";
    EXPECT_EQ(listing.substr(listing.size() - 2), "\r\n") << "signal " << c.signal;
  }

  // A regular file, stopped once its first lines are out.
  const NativeString out = tree_->Path("out.txt");
  unlink(out.c_str());
  const int pid = StartQuilletList({tree_->Path("src"), out}, err_, err_);
  struct stat status {};
  for (const auto until = std::chrono::steady_clock::now() + kPatience;
       stat(out.c_str(), &status) != 0 || status.st_size == 0;)
    ASSERT_LT(std::chrono::steady_clock::now(), until);
  kill(pid, SIGINT);
  EXPECT_EQ(WaitForExit(pid), 130);
  const std::string listing = ReadBytes(out);
  EXPECT_LT(listing.size(), wholeSize_) << "the run went on to its end";
  EXPECT_EQ(listing.substr(listing.size() - 2), "\r\n");
}

TEST_F(StopSignals, ASecondSignalEndsTheProcessAtOnce) {
  const int pid = StartIntoFifo({"--format", "json"});
  Signal(pid, SIGINT);
  // The run now waits for the FIFO to be drained; the second signal does not.
  kill(pid, SIGINT);
  EXPECT_EQ(WaitForExit(pid), 130);
  close(reader_);
}

// Reading the folders a walk enters, in the walk's depth-first order, ahead of it on a small
// pool of worker threads. On a network share every folder listing waits for a round trip;
// reading the next folders in parallel hides that wait while the walk still takes them one at
// a time, in order, on its own thread, so what it writes does not change.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "platform/folder_reader.h"

struct ReadAheadSettings {
  enum class Mode {
    kAuto,  // the workers start once a listing proves slow (a share, a cold disk)
    kOff,   // every folder is read on the walk's thread when the walk reaches it
    kOn,    // the workers start with the run
  };
  Mode mode = Mode::kAuto;
  // Chosen by measurement: natively on a share 16 workers hid the most latency; under Wine,
  // which lists one folder at a time in a process, 16 workers made a window's run twice as
  // slow through contention, 4 made it faster than none.
#ifdef _WIN32
  int workers = 4;
#else
  int workers = 16;
#endif
  // Folders read and held ahead of the walk (workers' folders in progress included).
  std::size_t depth = 256;
  // Called before every folder is read, on the thread that reads it; may throw, as a read
  // does. Lets tests delay listings and make them fail.
  std::function<void(const NativeString& path)> beforeRead;
};

// The settings with QUILLET_READ_AHEAD applied: "0" turns read-ahead off, "1" starts it with
// the run; any other value, or none, keeps the automatic start. QUILLET_READ_AHEAD_WORKERS
// (1..64) and QUILLET_READ_AHEAD_DEPTH (1..4096) replace the pool size and the depth. They are
// there to compare settings by measurement.
ReadAheadSettings ReadAheadFromEnvironment();

class FolderReadAhead {
 public:
  // Whether the walk enters the subfolder `item`. Called on the worker threads too: it must
  // only look at its argument.
  using EntersFolder = std::function<bool(const platform::FolderItem& item)>;
  // Runs right after a folder at `depth` is read, on the thread that read it, before its
  // subfolders are queued: it may take entries out or mark folders not to be entered. It must
  // only change its arguments. May be empty.
  using PrepareContents = std::function<void(std::size_t depth, platform::FolderContents&)>;

  // A folder that is already open on the way to it (a link back up the tree that the file
  // system does not mark as one, such as a Linux link seen through Wine), or that holds the
  // root, is read as empty: the walk lists it and finds nothing in it to enter.
  FolderReadAhead(const ReadAheadSettings& settings, const platform::ReadRequest& request,
                  PrepareContents prepare, EntersFolder enters);
  // Stops the workers and waits for them: no thread outlives the reader.
  ~FolderReadAhead();
  FolderReadAhead(const FolderReadAhead&) = delete;
  FolderReadAhead& operator=(const FolderReadAhead&) = delete;

  // Reads the root on the calling thread.
  void ReadRoot(platform::OpenFolder root, platform::FolderContents& out);

  // The next folder the walk enters, in depth-first order: OpenNext throws what opening it
  // threw, then ReadNext gives its contents or throws what reading it threw, so that the walk
  // fails at the same folder and with the same error as when it reads one folder at a time.
  void OpenNext();
  void ReadNext(platform::FolderContents& out);

  // Tells the workers to stop after the listing they are in (the run was cancelled).
  void Stop();

  // The worker threads started so far (none until listings prove slow, or with the run when
  // forced on). For the walk's thread.
  std::size_t Workers() const { return workers_.size(); }

 private:
  // A folder's place in the depth-first order: the index of each folder on the way to it.
  using Key = std::vector<std::uint32_t>;
  // The identities of the folders open on the way to a folder, nearest first. Each link shares
  // the chain above it, so that going one level deeper costs one link, not a copy of the chain.
  struct OpenAbove {
    OpenAbove(platform::FolderIdentity id, std::shared_ptr<const OpenAbove> above)
        : identity(id), up(std::move(above)) {}
    ~OpenAbove();
    OpenAbove(const OpenAbove&) = delete;
    OpenAbove& operator=(const OpenAbove&) = delete;
    bool Holds(const platform::FolderIdentity& id) const;

    const platform::FolderIdentity identity;
    mutable std::shared_ptr<const OpenAbove> up;
  };
  struct Task {
    std::shared_ptr<const platform::OpenFolder> parent;
    NativeString name;
    NativeString path;
    std::size_t depth = 0;
    // The folders open on the way to this one, up to those holding the root.
    std::shared_ptr<const OpenAbove> openAbove;
  };
  struct Result {
    Task task;  // kept so that a result dropped for room can be read again
    std::shared_ptr<const platform::OpenFolder> folder;  // until its subfolders are queued
    platform::FolderContents contents;
    std::exception_ptr openError;
    std::exception_ptr readError;
  };

  Result Execute(Task task);
  void Settle(Result& result) const;
  void WorkerLoop();
  bool TakeWork(std::unique_lock<std::mutex>& lock, Key& key, Task& task);
  bool DropLastForRoom();
  void Finish(const Key& key, Result result);
  void StartWorkers();

  const ReadAheadSettings settings_;
  const platform::ReadRequest request_;
  const PrepareContents prepare_;
  const EntersFolder enters_;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::atomic<bool> stop_{false};
  std::map<Key, Task> pending_;
  std::set<Key> inFlight_;
  std::map<Key, Result> done_;
  std::size_t listings_ = 0;  // read on the walk's thread
  std::size_t slowListings_ = 0;
  std::vector<std::thread> workers_;

  // The folder OpenNext took, until ReadNext hands its contents over.
  std::optional<Result> next_;
};

// Reading the folders a walk enters, in the walk's depth-first order, ahead of it on a small
// pool of worker threads. On a network share every folder listing waits for a round trip;
// reading the next folders in parallel hides that wait while the walk still takes them one at
// a time, in order, on its own thread, so what it writes does not change. Until listings prove
// slow no worker runs and each folder is read on the walk's thread when the walk reaches it.
#pragma once

#include <atomic>
#include <chrono>
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
    kAuto,  // the workers start once listings prove slow (a share, a cold disk)
    kOff,   // every folder is read on the walk's thread when the walk reaches it
    kOn,    // one worker starts with the run
  };
  Mode mode = Mode::kAuto;
  // The most workers the pool grows to. Natively on a share 16 hid the most latency; under
  // Wine, which lists one folder at a time in a process, more than 4 only contend.
#ifdef _WIN32
  int workers = 4;
#else
  int workers = 16;
#endif
  // What the folders read and not yet taken by the walk may hold, in bytes of their names and
  // entry records; the folders the workers are reading come on top.
  std::size_t bytesAhead = 1024 * 1024;
  // Called before every folder is read, on the thread that reads it; may throw, as a read
  // does. Lets tests delay listings and make them fail.
  std::function<void(const NativeString& path)> beforeRead;
};

// The settings with QUILLET_READ_AHEAD applied: "0" turns read-ahead off, "1" starts it with
// the run; any other value, or none, keeps the automatic start. QUILLET_READ_AHEAD_WORKERS
// (1..64) and QUILLET_READ_AHEAD_BYTES (4096..1073741824) replace the largest pool and the
// bytes held ahead. They are there to compare settings by measurement.
ReadAheadSettings ReadAheadFromEnvironment();

class FolderReadAhead {
 public:
  // A listing this slow, and this slow for each of its entries, is not served from a warm
  // local cache: those take tens of microseconds, and a folder of thousands of entries under a
  // microsecond each, which workers would not make faster.
  static constexpr std::chrono::microseconds kSlowListing{500};
  static constexpr std::chrono::microseconds kSlowListingPerEntry{10};
  // A listing this long, slow or not (a warm folder of a few hundred entries), keeps the walk
  // from laying out what it read for long enough that one worker on a second core, reading
  // the next folders meanwhile, saves more than handing folders over costs. Shorter listings
  // (a few entries each) cost more to hand over than to read. Natively only.
  static constexpr std::chrono::microseconds kLongListing{50};
  // The workers start once this many listings were slow and at least half of all were: a
  // busy machine that delays the odd listing does not start them. One worker starts by the
  // same rule for long listings, where the machine has a second core.
  static constexpr std::size_t kSlowListingsToStart = 4;
  // They stop once this many listings in a row were neither slow nor long (a warm local tree
  // of small folders, where workers only contend with the walk), and start again by the rules
  // above.
  static constexpr std::size_t kFastListingsToStop = 32;

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

  // The worker threads running (none until listings prove slow, or one with the run when
  // forced on; none again after a run of fast listings). For the walk's thread.
  std::size_t Workers() const { return workers_.size(); }

 private:
  using Clock = std::chrono::steady_clock;
  // A folder's place in the depth-first order: the index of each folder on the way to it.
  using Key = std::vector<std::uint32_t>;
  using Identities = std::vector<platform::FolderIdentity>;
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
    platform::FolderItem item;  // as the parent lists it
    NativeString name;
    std::shared_ptr<const NativeString> parentPath;
    std::size_t depth = 0;
    // The folders open on the way to this one, up to those holding the root.
    std::shared_ptr<const OpenAbove> openAbove;
  };
  struct Result {
    Task task;  // kept so that a result dropped for room can be read again
    NativeString path;
    std::shared_ptr<const platform::OpenFolder> folder;  // until its subfolders are queued
    platform::FolderContents contents;
    std::exception_ptr openError;
    std::exception_ptr readError;
  };
  // A folder on the way to the walk's next one, while no worker runs: its subfolders that the
  // walk enters, and how many of them it has entered.
  struct Level {
    std::shared_ptr<const platform::OpenFolder> folder;
    platform::FolderIdentity identity;
    std::size_t depth = 0;
    std::uint32_t place = 0;  // its index among its parent's subfolders
    NativeString names;
    std::vector<platform::FolderItem> subfolders;  // names in `names`
    std::vector<std::uint32_t> places;             // their indices among the folder's subfolders
    std::size_t next = 0;
  };

  static bool IsSlow(Clock::duration took, std::size_t entries);
  static void Lock(std::unique_lock<std::mutex>& lock);
  bool IsLong(Clock::duration took) const;
  // Whether `holds` takes the folder read into `contents` for one on the way to it, asking
  // the folder for its identity first when it came from its parent's listing. On any thread.
  static bool OnTheWay(const platform::OpenFolder& folder, platform::FolderContents& contents,
                       const std::function<bool(const platform::FolderIdentity&)>& holds);

  // Alone on the walk's thread.
  static bool IsCycle(const platform::OpenFolder& folder, platform::FolderContents& contents,
                      const Identities& above);
  void PushLevel(platform::OpenFolder folder, std::size_t depth, std::uint32_t place,
                 const platform::FolderContents& contents);
  void Listed(Clock::duration took, std::size_t entries);
  void StartWorkers(std::size_t count);
  void HandOverToWorkers();
  void RetireWorkers();
  void TakeBackFromWorkers();

  // With workers.
  Result Execute(Task task, platform::FolderContents buffers);
  platform::FolderContents TakeSpare();
  void GiveSpare(platform::FolderContents buffers);
  void Settle(Result& result) const;
  void WorkerLoop();
  bool TakeWork(std::unique_lock<std::mutex>& lock, Key& key, Task& task);
  bool DropLastForRoom();
  void Finish(const Key& key, Result result, Clock::duration took);
  void OpenNextFromWorkers();
  static std::size_t BytesOf(const platform::FolderContents& contents);

  const ReadAheadSettings settings_;
  const platform::ReadRequest request_;
  const PrepareContents prepare_;
  const EntersFolder enters_;
  const bool workerForLongListings_;  // natively, with a second core

  // The walk on its own: the folders on the way, those holding the root, the folder OpenNext
  // opened and where it lies.
  std::vector<Level> levels_;
  std::size_t levelCount_ = 0;  // levels_ beyond it are kept for their buffers
  Identities enclosing_;
  Identities above_;  // enclosing_ and the identities of levels_, for the cycle test
  std::optional<platform::OpenFolder> opened_;
  NativeString openedPath_;
  std::size_t openedDepth_ = 0;
  std::uint32_t openedPlace_ = 0;
  Clock::time_point openedAt_;
  Clock::time_point started_;
  Clock::duration listingTime_{};
  std::size_t listings_ = 0;  // read on the walk's thread
  std::size_t slowListings_ = 0;
  std::size_t longListings_ = 0;
  bool handedOver_ = false;

  // The walk with workers. The walk and the workers wait on a condition each, and each side
  // wakes the other only when it waits, so that a run of small folders costs no wake-up per
  // folder.
  std::mutex mutex_;
  std::condition_variable walkWakes_;
  std::condition_variable workerWakes_;
  bool walkWaits_ = false;
  std::size_t idleWorkers_ = 0;
  std::atomic<bool> stop_{false};
  bool retire_ = false;  // the workers leave after the listing they are in
  std::map<Key, Task> pending_;
  std::set<Key> inFlight_;
  std::map<Key, Result> done_;
  // Contents the walk is done with, whose buffers the next readings reuse: fresh buffers for
  // every folder cost time, and memory left behind in each thread's allocator.
  std::vector<platform::FolderContents> spare_;
  std::size_t bytesDone_ = 0;  // BytesOf everything in done_
  // How many of the last few listings were slow, whoever made them: an average, of 256.
  int recentSlow_ = 0;
  std::size_t fastListings_ = 0;  // in a row, lately
  std::vector<std::thread> workers_;
  // The folder OpenNext took, until ReadNext hands its contents over.
  std::optional<Result> next_;
};

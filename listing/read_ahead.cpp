#include "read_ahead.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <ranges>
#include <stdexcept>
#include <system_error>
#include <utility>

namespace {

// A listing this slow is not served from a warm local cache (those take tens of
// microseconds). The workers start once a few listings were slow and at least half of all
// were: a busy machine that delays the odd listing does not start them.
constexpr auto kSlowListing = std::chrono::microseconds(500);
constexpr std::size_t kSlowListingsToStart = 4;

// The variable's value when it is a whole number in 1..limit, else `fallback`.
long NumberFromEnvironment(const char* name, long limit, long fallback) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return fallback;
  char* end = nullptr;
  const long number = std::strtol(value, &end, 10);
  return *end == '\0' && number >= 1 && number <= limit ? number : fallback;
}

}  // namespace

ReadAheadSettings ReadAheadFromEnvironment() {
  ReadAheadSettings settings;
  if (const char* value = std::getenv("QUILLET_READ_AHEAD")) {
    if (std::strcmp(value, "0") == 0) settings.mode = ReadAheadSettings::Mode::kOff;
    if (std::strcmp(value, "1") == 0) settings.mode = ReadAheadSettings::Mode::kOn;
  }
  settings.workers =
      static_cast<int>(NumberFromEnvironment("QUILLET_READ_AHEAD_WORKERS", 64, settings.workers));
  settings.depth = static_cast<std::size_t>(
      NumberFromEnvironment("QUILLET_READ_AHEAD_DEPTH", 4096, static_cast<long>(settings.depth)));
  return settings;
}

FolderReadAhead::FolderReadAhead(const ReadAheadSettings& settings,
                                 const platform::ReadRequest& request, PrepareContents prepare,
                                 EntersFolder enters)
    : settings_(settings),
      request_(request),
      prepare_(std::move(prepare)),
      enters_(std::move(enters)) {}

FolderReadAhead::~FolderReadAhead() {
  Stop();
  for (std::thread& worker : workers_) worker.join();
}

void FolderReadAhead::Stop() {
  {
    // Set under the lock, so that no worker misses the wake-up between its test and its wait.
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
}

void FolderReadAhead::ReadRoot(platform::OpenFolder root, platform::FolderContents& out) {
  Result result;
  result.task.path = root.Path();
  result.folder = std::make_shared<const platform::OpenFolder>(std::move(root));
  // Those holding the root, outermost first, so that the nearest ends the chain.
  for (const platform::FolderIdentity& id :
       result.folder->EnclosingIdentities() | std::views::reverse)
    result.task.openAbove = std::make_shared<const OpenAbove>(id, std::move(result.task.openAbove));
  if (settings_.beforeRead) settings_.beforeRead(result.task.path);
  result.folder->Read(request_, result.contents);
  Settle(result);
  bool subfolders = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    Finish(Key{}, std::move(result));
    auto read = done_.begin();
    out = std::move(read->second.contents);
    done_.erase(read);
    subfolders = !pending_.empty();
  }
  if (subfolders && settings_.mode == ReadAheadSettings::Mode::kOn) StartWorkers();
}

FolderReadAhead::Result FolderReadAhead::Execute(Task task) {
  Result result;
  result.task = std::move(task);
  try {
    result.folder = std::make_shared<const platform::OpenFolder>(
        *result.task.parent, result.task.name, result.task.path);
  } catch (...) {
    result.openError = std::current_exception();
    return result;
  }
  try {
    if (settings_.beforeRead) settings_.beforeRead(result.task.path);
    result.folder->Read(request_, result.contents);
    Settle(result);
  } catch (...) {
    result.readError = std::current_exception();
    result.contents.Clear();
  }
  return result;
}

FolderReadAhead::OpenAbove::~OpenAbove() {
  // A chain thousands of links long is let go one link at a time, not by recursion through
  // every destructor: a deep tree must not exhaust the stack. A link no one else holds has no
  // other owner to race with.
  std::shared_ptr<const OpenAbove> next = std::move(up);
  while (next && next.use_count() == 1) next = std::move(next->up);
}

bool FolderReadAhead::OpenAbove::Holds(const platform::FolderIdentity& id) const {
  for (const OpenAbove* link = this; link != nullptr; link = link->up.get())
    if (link->identity == id) return true;
  return false;
}

void FolderReadAhead::Settle(Result& result) const {
  const OpenAbove* above = result.task.openAbove.get();
  if (above != nullptr && above->Holds(result.contents.identity)) {
    result.contents.Clear();
    return;
  }
  if (prepare_) prepare_(result.task.depth, result.contents);
}

// Queues the subfolders the walk enters; their keys follow `key` in depth-first order.
void FolderReadAhead::Finish(const Key& key, Result result) {
  inFlight_.erase(key);
  if (!result.openError && !result.readError) {
    const platform::FolderContents& contents = result.contents;
    const std::size_t depth = result.task.depth + 1;
    std::shared_ptr<const OpenAbove> openAbove;
    for (std::size_t i = 0; i < contents.folders.size(); ++i) {
      const platform::FolderItem& item = contents.folders[i];
      if (!enters_(item)) continue;
      Key childKey = key;
      childKey.push_back(static_cast<std::uint32_t>(i));
      Task child;
      child.parent = result.folder;
      child.name = contents.Name(item);
      child.path = result.task.path;
      platform::AppendPathComponent(child.path, child.name);
      child.depth = depth;
      if (!openAbove)
        openAbove = std::make_shared<const OpenAbove>(contents.identity, result.task.openAbove);
      child.openAbove = openAbove;
      pending_.emplace(std::move(childKey), std::move(child));
    }
  }
  // The descriptor stays open only as long as a subfolder still has to be opened from it.
  result.folder.reset();
  done_.emplace(key, std::move(result));
}

void FolderReadAhead::OpenNext() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    // Everything before the walk's next folder has been taken, so it holds the least key.
    const Key* least = nullptr;
    auto consider = [&least](const Key& key) {
      if (least == nullptr || key < *least) least = &key;
    };
    if (!pending_.empty()) consider(pending_.begin()->first);
    if (!inFlight_.empty()) consider(*inFlight_.begin());
    if (!done_.empty()) consider(done_.begin()->first);
    if (least == nullptr) throw std::logic_error("the walk entered a folder it was not given");

    if (!done_.empty() && least == &done_.begin()->first) {
      next_.emplace(std::move(done_.begin()->second));
      done_.erase(done_.begin());
      break;
    }
    if (!inFlight_.empty() && least == &*inFlight_.begin()) {
      changed_.wait(lock);
      continue;
    }
    // Nobody reads it yet: this thread does, rather than wait for a worker.
    auto first = pending_.begin();
    const Key key = first->first;
    Task task = std::move(first->second);
    pending_.erase(first);
    inFlight_.insert(key);
    lock.unlock();
    const auto start = std::chrono::steady_clock::now();
    Result result = Execute(std::move(task));
    const bool slow = std::chrono::steady_clock::now() - start >= kSlowListing;
    lock.lock();
    Finish(key, std::move(result));
    ++listings_;
    slowListings_ += slow;
    if (slow && settings_.mode == ReadAheadSettings::Mode::kAuto && workers_.empty() &&
        slowListings_ >= kSlowListingsToStart && 2 * slowListings_ >= listings_) {
      lock.unlock();
      StartWorkers();
      lock.lock();
    }
  }
  lock.unlock();
  changed_.notify_all();  // room for one more folder ahead
  next_->task.parent.reset();
  if (next_->openError) std::rethrow_exception(next_->openError);
}

void FolderReadAhead::ReadNext(platform::FolderContents& out) {
  Result result = std::move(*next_);
  next_.reset();
  if (result.readError) std::rethrow_exception(result.readError);
  out = std::move(result.contents);
}

void FolderReadAhead::StartWorkers() {
  if (settings_.mode == ReadAheadSettings::Mode::kOff) return;
  for (int i = 0; i < settings_.workers; ++i) {
    try {
      workers_.emplace_back([this] { WorkerLoop(); });
    } catch (const std::system_error&) {
      // Fewer workers, or none, only make the walk slower: it reads what nobody has read.
      break;
    }
  }
}

void FolderReadAhead::WorkerLoop() {
  std::unique_lock<std::mutex> lock(mutex_);
  Key key;
  Task task;
  while (TakeWork(lock, key, task)) {
    lock.unlock();
    Result result = Execute(std::move(task));
    lock.lock();
    Finish(key, std::move(result));
    changed_.notify_all();
  }
}

// Takes the first folder in depth-first order that nobody reads yet, when there is room for
// it ahead of the walk. Returns false when the reader stops.
bool FolderReadAhead::TakeWork(std::unique_lock<std::mutex>& lock, Key& key, Task& task) {
  for (;;) {
    if (stop_) return false;
    if (!pending_.empty() &&
        (done_.size() + inFlight_.size() < settings_.depth || DropLastForRoom())) {
      auto first = pending_.begin();
      key = first->first;
      task = std::move(first->second);
      pending_.erase(first);
      inFlight_.insert(key);
      return true;
    }
    changed_.wait(lock);
  }
}

// With no room ahead, a folder read far ahead gives way to the first pending one, which the
// walk needs sooner: it and the subfolders it queued go back to being a single pending task.
// Only a folder after every one in progress can go, so none of its subfolders is being read.
bool FolderReadAhead::DropLastForRoom() {
  if (done_.empty()) return false;
  auto last = std::prev(done_.end());
  const Key& pendingFirst = pending_.begin()->first;
  if (!(pendingFirst < last->first)) return false;
  if (!inFlight_.empty() && !(*inFlight_.rbegin() < last->first)) return false;
  const Key& dropped = last->first;
  auto child = pending_.lower_bound(dropped);
  while (child != pending_.end() && child->first.size() > dropped.size() &&
         std::equal(dropped.begin(), dropped.end(), child->first.begin()))
    child = pending_.erase(child);
  pending_.emplace(dropped, std::move(last->second.task));
  done_.erase(last);
  return done_.size() + inFlight_.size() < settings_.depth;
}

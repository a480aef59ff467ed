#include "read_ahead.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <utility>

namespace {

// The variable's value when it is a whole number in low..high, else `fallback`.
long long NumberFromEnvironment(const char* name, long long low, long long high,
                                long long fallback) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return fallback;
  char* end = nullptr;
  const long long number = std::strtoll(value, &end, 10);
  return *end == '\0' && number >= low && number <= high ? number : fallback;
}

}  // namespace

ReadAheadSettings ReadAheadFromEnvironment() {
  ReadAheadSettings settings;
  if (const char* value = std::getenv("QUILLET_READ_AHEAD")) {
    if (std::strcmp(value, "0") == 0) settings.mode = ReadAheadSettings::Mode::kOff;
    if (std::strcmp(value, "1") == 0) settings.mode = ReadAheadSettings::Mode::kOn;
  }
  settings.workers = static_cast<int>(
      NumberFromEnvironment("QUILLET_READ_AHEAD_WORKERS", 1, 64, settings.workers));
  settings.bytesAhead = static_cast<std::size_t>(NumberFromEnvironment(
      "QUILLET_READ_AHEAD_BYTES", 4096, 1LL << 30, static_cast<long long>(settings.bytesAhead)));
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

std::size_t FolderReadAhead::BytesOf(const platform::FolderContents& contents) {
  return contents.names.size() * sizeof(NativeChar) +
         (contents.folders.size() + contents.files.size()) * sizeof(platform::FolderItem);
}

bool FolderReadAhead::IsCycle(const platform::FolderContents& contents,
                              const Identities& above) const {
  return std::find(above.begin(), above.end(), contents.identity) != above.end();
}

void FolderReadAhead::ReadRoot(platform::OpenFolder root, platform::FolderContents& out) {
  started_ = Clock::now();
  enclosing_ = root.EnclosingIdentities();
  above_ = enclosing_;
  if (settings_.beforeRead) settings_.beforeRead(root.Path());
  root.Read(request_, out);
  if (IsCycle(out, above_)) {
    out.Clear();
  } else if (prepare_) {
    prepare_(0, out);
  }
  PushLevel(std::move(root), 0, 0, out);
  if (levelCount_ > 0 && settings_.mode == ReadAheadSettings::Mode::kOn) {
    StartWorkers(1);
    HandOverToWorkers();
  }
}

// Keeps a folder open, with the names of the subfolders the walk enters, for as long as the
// walk has some of them to enter; a folder with none is closed at once.
void FolderReadAhead::PushLevel(platform::OpenFolder folder, std::size_t depth, std::uint32_t place,
                                const platform::FolderContents& contents) {
  if (levels_.size() == levelCount_) levels_.emplace_back();
  Level& level = levels_[levelCount_];
  level.names.clear();
  level.subfolders.clear();
  level.places.clear();
  level.next = 0;
  for (std::size_t i = 0; i < contents.folders.size(); ++i) {
    platform::FolderItem item = contents.folders[i];
    if (!enters_(item)) continue;
    const NativeStringView name = contents.Name(item);
    item.nameOffset = static_cast<std::uint32_t>(level.names.size());
    level.names.append(name);
    level.subfolders.push_back(item);
    level.places.push_back(static_cast<std::uint32_t>(i));
  }
  if (level.subfolders.empty()) return;
  level.folder.emplace(std::move(folder));
  level.identity = contents.identity;
  level.depth = depth;
  level.place = place;
  ++levelCount_;
  above_.push_back(contents.identity);
}

void FolderReadAhead::OpenNext() {
  if (handedOver_) {
    OpenNextFromWorkers();
    return;
  }
  // The folders whose subfolders have all been entered (and left) are done with.
  while (levelCount_ > 0 &&
         levels_[levelCount_ - 1].next == levels_[levelCount_ - 1].subfolders.size()) {
    levels_[--levelCount_].folder.reset();
    above_.pop_back();
  }
  if (levelCount_ == 0) throw std::logic_error("the walk entered a folder it was not given");
  Level& top = levels_[levelCount_ - 1];
  const std::size_t index = top.next++;
  const platform::FolderItem& item = top.subfolders[index];
  const NativeStringView name =
      NativeStringView(top.names).substr(item.nameOffset, item.nameLength);
  openedPath_ = top.folder->Path();
  platform::AppendPathComponent(openedPath_, name);
  openedDepth_ = top.depth + 1;
  openedPlace_ = top.places[index];
  openedAt_ = Clock::now();
  opened_.emplace(*top.folder, item, name, openedPath_);
}

void FolderReadAhead::ReadNext(platform::FolderContents& out) {
  if (handedOver_) {
    Result result = std::move(*next_);
    next_.reset();
    if (result.readError) std::rethrow_exception(result.readError);
    out = std::move(result.contents);
    return;
  }
  platform::OpenFolder folder = std::move(*opened_);
  opened_.reset();
  if (settings_.beforeRead) settings_.beforeRead(folder.Path());
  folder.Read(request_, out);
  if (IsCycle(out, above_)) {
    out.Clear();
  } else if (prepare_) {
    prepare_(openedDepth_, out);
  }
  PushLevel(std::move(folder), openedDepth_, openedPlace_, out);
  Listed(Clock::now() - openedAt_);
}

// Counts a listing made on the walk's thread, and starts the workers when the listings have
// proved slow: as many as listings the walk would wait for while it lays out one folder.
void FolderReadAhead::Listed(Clock::duration took) {
  ++listings_;
  listingTime_ += took;
  if (took < kSlowListing) return;
  ++slowListings_;
  if (settings_.mode != ReadAheadSettings::Mode::kAuto || slowListings_ < kSlowListingsToStart ||
      2 * slowListings_ < listings_ || levelCount_ == 0)
    return;
  const Clock::duration elapsed = Clock::now() - started_;
  const Clock::duration own =
      (elapsed > listingTime_ ? elapsed - listingTime_ : Clock::duration{}) /
      static_cast<long>(listings_);
  const Clock::duration listing = listingTime_ / static_cast<long>(listings_);
  const auto wanted = own.count() > 0 ? listing / own + 1 : settings_.workers;
  StartWorkers(static_cast<std::size_t>(std::max<long long>(wanted, 1)));
  HandOverToWorkers();
}

void FolderReadAhead::StartWorkers(std::size_t count) {
  if (settings_.mode == ReadAheadSettings::Mode::kOff) return;
  const std::size_t most = static_cast<std::size_t>(std::max(settings_.workers, 1));
  for (; count > 0 && workers_.size() < most; --count) {
    try {
      workers_.emplace_back([this] { WorkerLoop(); });
    } catch (const std::system_error&) {
      // Fewer workers, or none, only make the walk slower: it reads what nobody has read.
      break;
    }
  }
}

// Every subfolder the walk has still to enter becomes a task for the workers, keyed by its
// place in depth-first order; from here on folders are taken in key order.
void FolderReadAhead::HandOverToWorkers() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    Key key;
    Identities above = enclosing_;
    for (std::size_t d = 0; d < levelCount_; ++d) {
      Level& level = levels_[d];
      if (d > 0) key.push_back(level.place);
      above.push_back(level.identity);
      auto folder = std::make_shared<const platform::OpenFolder>(std::move(*level.folder));
      level.folder.reset();
      if (level.next == level.subfolders.size()) continue;
      auto path = std::make_shared<const NativeString>(folder->Path());
      auto openAbove = std::make_shared<const Identities>(above);
      for (std::size_t j = level.next; j < level.subfolders.size(); ++j) {
        const platform::FolderItem& item = level.subfolders[j];
        Task task;
        task.parent = folder;
        task.item = item;
        task.name = NativeStringView(level.names).substr(item.nameOffset, item.nameLength);
        task.parentPath = path;
        task.depth = level.depth + 1;
        task.openAbove = openAbove;
        Key childKey = key;
        childKey.push_back(level.places[j]);
        pending_.emplace(std::move(childKey), std::move(task));
      }
    }
    levelCount_ = 0;
    above_.clear();
    handedOver_ = true;
  }
  changed_.notify_all();
}

FolderReadAhead::Result FolderReadAhead::Execute(Task task) {
  Result result;
  result.task = std::move(task);
  result.path = *result.task.parentPath;
  platform::AppendPathComponent(result.path, result.task.name);
  try {
    result.folder = std::make_shared<const platform::OpenFolder>(
        *result.task.parent, result.task.item, result.task.name, result.path);
  } catch (...) {
    result.openError = std::current_exception();
    return result;
  }
  try {
    if (settings_.beforeRead) settings_.beforeRead(result.path);
    result.folder->Read(request_, result.contents);
    Settle(result);
  } catch (...) {
    result.readError = std::current_exception();
    result.contents.Clear();
  }
  return result;
}

void FolderReadAhead::Settle(Result& result) const {
  if (IsCycle(result.contents, *result.task.openAbove)) {
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
    std::shared_ptr<const NativeString> path;
    std::shared_ptr<const Identities> openAbove;
    for (std::size_t i = 0; i < contents.folders.size(); ++i) {
      const platform::FolderItem& item = contents.folders[i];
      if (!enters_(item)) continue;
      if (!path) {
        path = std::make_shared<const NativeString>(result.path);
        auto above = std::make_shared<Identities>(*result.task.openAbove);
        above->push_back(contents.identity);
        openAbove = std::move(above);
      }
      Key childKey = key;
      childKey.push_back(static_cast<std::uint32_t>(i));
      Task child;
      child.parent = result.folder;
      child.item = item;
      child.name = contents.Name(item);
      child.parentPath = path;
      child.depth = result.task.depth + 1;
      child.openAbove = openAbove;
      pending_.emplace(std::move(childKey), std::move(child));
    }
  }
  // The folder stays open only as long as a subfolder still has to be opened from it.
  result.folder.reset();
  bytesDone_ += BytesOf(result.contents);
  done_.emplace(key, std::move(result));
}

void FolderReadAhead::OpenNextFromWorkers() {
  std::unique_lock<std::mutex> lock(mutex_);
  // The walk waited for a slow listing: the pool is too small for the listings' latency.
  bool stalled = false;
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
      bytesDone_ -= BytesOf(done_.begin()->second.contents);
      next_.emplace(std::move(done_.begin()->second));
      done_.erase(done_.begin());
      break;
    }
    const Clock::time_point start = Clock::now();
    if (!inFlight_.empty() && least == &*inFlight_.begin()) {
      changed_.wait(lock);
      stalled = stalled || Clock::now() - start >= kSlowListing;
      continue;
    }
    // Nobody reads it yet: this thread does, rather than wait for a worker.
    auto first = pending_.begin();
    const Key key = first->first;
    Task task = std::move(first->second);
    pending_.erase(first);
    inFlight_.insert(key);
    lock.unlock();
    Result result = Execute(std::move(task));
    stalled = stalled || Clock::now() - start >= kSlowListing;
    lock.lock();
    Finish(key, std::move(result));
  }
  lock.unlock();
  changed_.notify_all();  // room for more folders ahead
  if (stalled) StartWorkers(workers_.size());
  next_->task.parent.reset();
  if (next_->openError) std::rethrow_exception(next_->openError);
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
    if (!pending_.empty() && (bytesDone_ < settings_.bytesAhead || DropLastForRoom())) {
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
  bytesDone_ -= BytesOf(last->second.contents);
  pending_.emplace(dropped, std::move(last->second.task));
  done_.erase(last);
  return bytesDone_ < settings_.bytesAhead;
}

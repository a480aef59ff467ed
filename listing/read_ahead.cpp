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

// Whether one worker starts for long listings: natively, where a second core can run it
// beside the walk. Not on Windows: under Wine, which lists one folder at a time in a process,
// it made a window's run 12% slower and the console's no faster (bench/window-run.sh).
bool WorkerForLongListings() {
#ifdef _WIN32
  return false;
#else
  return std::thread::hardware_concurrency() >= 2;
#endif
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
      enters_(std::move(enters)),
      workerForLongListings_(WorkerForLongListings()) {}

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
  workerWakes_.notify_all();
}

std::size_t FolderReadAhead::BytesOf(const platform::FolderContents& contents) {
  return contents.names.size() * sizeof(NativeChar) +
         (contents.folders.size() + contents.files.size()) * sizeof(platform::FolderItem);
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

// The walk and a worker each take the lock a few times a folder, for a microsecond or two:
// when it is held, trying again for as long usually gets it without sleeping, where sleeping
// and being woken cost tens of microseconds a time.
void FolderReadAhead::Lock(std::unique_lock<std::mutex>& lock) {
  constexpr int kTries = 2000;
  for (int i = 0; i < kTries; ++i) {
    if (lock.try_lock()) return;
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
  }
  lock.lock();
}

bool FolderReadAhead::IsSlow(Clock::duration took, std::size_t entries) {
  return took >= kSlowListing && took >= kSlowListingPerEntry * static_cast<long>(entries);
}

bool FolderReadAhead::IsLong(Clock::duration took) const {
  return workerForLongListings_ && took >= kLongListing;
}

bool FolderReadAhead::OnTheWay(const platform::OpenFolder& folder,
                               platform::FolderContents& contents,
                               const std::function<bool(const platform::FolderIdentity&)>& holds) {
  if (!holds(contents.identity)) return false;
  // An identity put together from the parent's listing is asked of the system before the
  // folder is taken for one on the way: a mount the listing did not show would otherwise
  // leave a folder of another file system unlisted.
  if (!contents.identityFromListing) return true;
  contents.identity = folder.AskIdentity();
  contents.identityFromListing = false;
  return holds(contents.identity);
}

bool FolderReadAhead::IsCycle(const platform::OpenFolder& folder,
                              platform::FolderContents& contents, const Identities& above) {
  return OnTheWay(folder, contents, [&above](const platform::FolderIdentity& id) {
    return std::find(above.begin(), above.end(), id) != above.end();
  });
}

void FolderReadAhead::ReadRoot(platform::OpenFolder root, platform::FolderContents& out) {
  started_ = Clock::now();
  enclosing_ = root.EnclosingIdentities();
  above_ = enclosing_;
  if (settings_.beforeRead) settings_.beforeRead(root.Path());
  root.Read(request_, out);
  if (IsCycle(root, out, above_)) {
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
  level.folder = std::make_shared<const platform::OpenFolder>(std::move(folder));
  level.identity = contents.identity;
  level.depth = depth;
  level.place = place;
  ++levelCount_;
  above_.push_back(contents.identity);
}

void FolderReadAhead::OpenNext() {
  if (handedOver_ && workers_.empty()) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (done_.empty() && inFlight_.empty()) TakeBackFromWorkers();
  }
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
    std::swap(out, result.contents);
    std::unique_lock<std::mutex> lock(mutex_, std::defer_lock);
    Lock(lock);
    GiveSpare(std::move(result.contents));
    return;
  }
  platform::OpenFolder folder = std::move(*opened_);
  opened_.reset();
  if (settings_.beforeRead) settings_.beforeRead(folder.Path());
  folder.Read(request_, out);
  if (IsCycle(folder, out, above_)) {
    out.Clear();
  } else if (prepare_) {
    prepare_(openedDepth_, out);
  }
  PushLevel(std::move(folder), openedDepth_, openedPlace_, out);
  Listed(Clock::now() - openedAt_, out.folders.size() + out.files.size());
}

// Counts a listing made on the walk's thread, and starts the workers when the listings have
// proved slow: as many as listings the walk would wait for while it lays out one folder. When
// they have proved long instead, and a second core can take them, one worker starts.
void FolderReadAhead::Listed(Clock::duration took, std::size_t entries) {
  ++listings_;
  listingTime_ += took;
  const bool isLong = IsLong(took);
  longListings_ += isLong;
  if (!IsSlow(took, entries)) {
    if (settings_.mode != ReadAheadSettings::Mode::kOff && isLong &&
        longListings_ >= kSlowListingsToStart && 2 * longListings_ >= listings_ &&
        levelCount_ > 0) {
      StartWorkers(1);
      HandOverToWorkers();
    }
    return;
  }
  ++slowListings_;
  if (settings_.mode == ReadAheadSettings::Mode::kOff || slowListings_ < kSlowListingsToStart ||
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
    // Those holding the root, outermost first, so that the nearest ends the chain.
    std::shared_ptr<const OpenAbove> above;
    for (auto id = enclosing_.rbegin(); id != enclosing_.rend(); ++id)
      above = std::make_shared<const OpenAbove>(*id, std::move(above));
    Key key;
    for (std::size_t d = 0; d < levelCount_; ++d) {
      Level& level = levels_[d];
      if (d > 0) key.push_back(level.place);
      above = std::make_shared<const OpenAbove>(level.identity, std::move(above));
      const std::shared_ptr<const platform::OpenFolder> folder = std::move(level.folder);
      if (level.next == level.subfolders.size()) continue;
      auto path = std::make_shared<const NativeString>(folder->Path());
      for (std::size_t j = level.next; j < level.subfolders.size(); ++j) {
        const platform::FolderItem& item = level.subfolders[j];
        Task task;
        task.parent = folder;
        task.item = item;
        task.name = NativeStringView(level.names).substr(item.nameOffset, item.nameLength);
        task.parentPath = path;
        task.depth = level.depth + 1;
        task.openAbove = above;
        Key childKey = key;
        childKey.push_back(level.places[j]);
        pending_.emplace(std::move(childKey), std::move(task));
      }
    }
    levelCount_ = 0;
    above_.clear();
    if (listings_ > 0) recentSlow_ = static_cast<int>(256 * slowListings_ / listings_);
    fastListings_ = 0;
    handedOver_ = true;
  }
  workerWakes_.notify_all();
}

// Lets the workers go after the listing each is in, and waits for them.
void FolderReadAhead::RetireWorkers() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    retire_ = true;
  }
  workerWakes_.notify_all();
  for (std::thread& worker : workers_) worker.join();
  workers_.clear();
  std::lock_guard<std::mutex> lock(mutex_);
  retire_ = false;
}

// With no worker left and every folder read ahead taken, the walk goes back to reading on its
// own: the subfolders still to enter are those of the folders on the way to the first of
// them, which become its levels again. Called under the lock.
void FolderReadAhead::TakeBackFromWorkers() {
  handedOver_ = false;
  levelCount_ = 0;
  above_ = enclosing_;
  listings_ = 0;
  slowListings_ = 0;
  longListings_ = 0;
  listingTime_ = {};
  started_ = Clock::now();
  if (pending_.empty()) return;
  const Key& firstKey = pending_.begin()->first;
  const std::size_t deepest = firstKey.size() - 1;  // the depth of the first one's parent
  // The first one's chain holds its parent, the parent's parent, ... the root, then those
  // holding the root.
  const OpenAbove* link = pending_.begin()->second.openAbove.get();
  if (levels_.size() <= deepest) levels_.resize(deepest + 1);
  for (std::size_t d = deepest + 1; d-- > 0; link = link->up.get()) {
    Level& level = levels_[d];
    level.folder.reset();
    level.identity = link->identity;
    level.depth = d;
    level.place = d > 0 ? firstKey[d - 1] : 0;
    level.names.clear();
    level.subfolders.clear();
    level.places.clear();
    level.next = 0;
  }
  for (std::size_t d = 0; d <= deepest; ++d) above_.push_back(levels_[d].identity);
  levelCount_ = deepest + 1;
  for (auto& [key, task] : pending_) {
    Level& level = levels_[key.size() - 1];
    if (!level.folder) level.folder = task.parent;
    platform::FolderItem item = task.item;
    item.nameOffset = static_cast<std::uint32_t>(level.names.size());
    level.names.append(task.name);
    level.subfolders.push_back(item);
    level.places.push_back(key.back());
  }
  pending_.clear();
}

// Under the lock.
platform::FolderContents FolderReadAhead::TakeSpare() {
  platform::FolderContents buffers;
  if (!spare_.empty()) {
    buffers = std::move(spare_.back());
    spare_.pop_back();
  }
  return buffers;
}

// Under the lock. A few are kept: one for each reader at most.
void FolderReadAhead::GiveSpare(platform::FolderContents buffers) {
  if (spare_.size() <= workers_.size()) spare_.push_back(std::move(buffers));
}

FolderReadAhead::Result FolderReadAhead::Execute(Task task, platform::FolderContents buffers) {
  Result result;
  result.task = std::move(task);
  result.contents = std::move(buffers);
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
  const OpenAbove* above = result.task.openAbove.get();
  if (above != nullptr &&
      OnTheWay(*result.folder, result.contents,
               [above](const platform::FolderIdentity& id) { return above->Holds(id); })) {
    result.contents.Clear();
    return;
  }
  if (prepare_) prepare_(result.task.depth, result.contents);
}

// Queues the subfolders the walk enters; their keys follow `key` in depth-first order. `took`:
// how long the listing took.
void FolderReadAhead::Finish(const Key& key, Result result, Clock::duration took) {
  inFlight_.erase(key);
  const bool slow = IsSlow(took, result.contents.folders.size() + result.contents.files.size());
  recentSlow_ += ((slow ? 256 : 0) - recentSlow_) / 8;
  fastListings_ = slow || IsLong(took) ? 0 : fastListings_ + 1;
  std::size_t queued = 0;
  if (!result.openError && !result.readError) {
    const platform::FolderContents& contents = result.contents;
    std::shared_ptr<const NativeString> path;
    std::shared_ptr<const OpenAbove> openAbove;
    for (std::size_t i = 0; i < contents.folders.size(); ++i) {
      const platform::FolderItem& item = contents.folders[i];
      if (!enters_(item)) continue;
      if (!path) {
        path = std::make_shared<const NativeString>(result.path);
        openAbove = std::make_shared<const OpenAbove>(contents.identity, result.task.openAbove);
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
      ++queued;
    }
  }
  // The folder stays open only as long as a subfolder still has to be opened from it.
  result.folder.reset();
  bytesDone_ += BytesOf(result.contents);
  done_.emplace(key, std::move(result));
  if (walkWaits_) walkWakes_.notify_one();
  if (queued > 0 && idleWorkers_ > 0) {
    if (queued == 1) {
      workerWakes_.notify_one();
    } else {
      workerWakes_.notify_all();
    }
  }
}

void FolderReadAhead::OpenNextFromWorkers() {
  std::unique_lock<std::mutex> lock(mutex_, std::defer_lock);
  Lock(lock);
  // The walk waited for a slow listing: too few workers for the listings' latency.
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
      // Room ahead again. A worker that waited for room is woken once half of it is free,
      // not for every folder taken: one that is faster than the walk would otherwise sleep
      // and wake for each folder.
      if (idleWorkers_ > 0 && !pending_.empty() && bytesDone_ <= settings_.bytesAhead / 2)
        workerWakes_.notify_one();
      break;
    }
    const bool inFlight = !inFlight_.empty() && least == &*inFlight_.begin();
    // While listings are fast the walk would wait for its next folder only a moment: it
    // reads a later one meanwhile rather than sleep and be woken for every folder.
    const bool readsLater =
        inFlight && !pending_.empty() && recentSlow_ < 128 && bytesDone_ < settings_.bytesAhead;
    const Clock::time_point start = Clock::now();
    if (inFlight && !readsLater) {
      walkWaits_ = true;
      walkWakes_.wait(lock);
      walkWaits_ = false;
      stalled = stalled || Clock::now() - start >= kSlowListing;
      continue;
    }
    // The first folder nobody reads yet: this thread reads it, rather than wait for a worker.
    auto first = pending_.begin();
    const Key key = first->first;
    Task task = std::move(first->second);
    pending_.erase(first);
    inFlight_.insert(key);
    platform::FolderContents buffers = TakeSpare();
    lock.unlock();
    Result result = Execute(std::move(task), std::move(buffers));
    const Clock::duration took = Clock::now() - start;
    stalled = stalled || (!inFlight && took >= kSlowListing);
    Lock(lock);
    Finish(key, std::move(result), took);
  }
  const bool grow = stalled && recentSlow_ >= 128;
  const bool retire = fastListings_ >= kFastListingsToStop;
  lock.unlock();
  if (grow) StartWorkers(std::max<std::size_t>(workers_.size(), 1));
  if (retire && !workers_.empty()) RetireWorkers();
  next_->task.parent.reset();
  if (next_->openError) std::rethrow_exception(next_->openError);
}

void FolderReadAhead::WorkerLoop() {
  std::unique_lock<std::mutex> lock(mutex_, std::defer_lock);
  Lock(lock);
  Key key;
  Task task;
  while (TakeWork(lock, key, task)) {
    platform::FolderContents buffers = TakeSpare();
    lock.unlock();
    const Clock::time_point start = Clock::now();
    Result result = Execute(std::move(task), std::move(buffers));
    const Clock::duration took = Clock::now() - start;
    Lock(lock);
    Finish(key, std::move(result), took);
  }
}

// Takes the first folder in depth-first order that nobody reads yet, when there is room for
// it ahead of the walk. Returns false when the reader stops.
bool FolderReadAhead::TakeWork(std::unique_lock<std::mutex>& lock, Key& key, Task& task) {
  for (;;) {
    if (stop_ || retire_) return false;
    if (!pending_.empty() && (bytesDone_ < settings_.bytesAhead || DropLastForRoom())) {
      auto first = pending_.begin();
      key = first->first;
      task = std::move(first->second);
      pending_.erase(first);
      inFlight_.insert(key);
      return true;
    }
    ++idleWorkers_;
    workerWakes_.wait(lock);
    --idleWorkers_;
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
  GiveSpare(std::move(last->second.contents));
  done_.erase(last);
  return bytesDone_ < settings_.bytesAhead;
}

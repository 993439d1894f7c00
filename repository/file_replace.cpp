//===- file_replace.cpp - Replace a file atomically -----------------------===//

#include "file_replace.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zrep {

namespace {

// Temporaries being written, for the signal handler: a slot is free (0),
// being filled (1) or holds a path (2). Concurrent replacements beyond the
// slots go without the handler's clean-up.
constexpr int kSlots = 8;
std::atomic<int> gSlotState[kSlots];
char gSlotPath[kSlots][PATH_MAX];
static_assert(std::atomic<int>::is_always_lock_free);

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
std::mutex gHandlerMutex;
int gReplacing = 0; ///< Replacements under way.
struct sigaction gPrevious[std::size(kSignals)];
bool gInstalled[std::size(kSignals)];

/// Removes the temporaries, then lets the signal take its default course.
void onSignal(int sig) {
  int saved = errno;
  for (int i = 0; i < kSlots; ++i)
    if (gSlotState[i].load(std::memory_order_acquire) == 2)
      ::unlink(gSlotPath[i]);
  errno = saved;
  // SA_RESETHAND has restored the default action.
  ::raise(sig);
}

/// Installs the handler while any replacement is under way, for the signals
/// whose action is the default one.
void holdHandler(bool hold) {
  std::lock_guard<std::mutex> lock(gHandlerMutex);
  if (hold ? gReplacing++ != 0 : --gReplacing != 0)
    return;
  for (std::size_t i = 0; i < std::size(kSignals); ++i) {
    if (!hold) {
      if (gInstalled[i])
        ::sigaction(kSignals[i], &gPrevious[i], nullptr);
      gInstalled[i] = false;
      continue;
    }
    struct sigaction now {};
    if (::sigaction(kSignals[i], nullptr, &gPrevious[i]) != 0 ||
        (gPrevious[i].sa_flags & SA_SIGINFO) ||
        gPrevious[i].sa_handler != SIG_DFL)
      continue;
    now.sa_handler = onSignal;
    sigemptyset(&now.sa_mask);
    now.sa_flags = SA_RESETHAND | SA_NODEFER;
    gInstalled[i] = ::sigaction(kSignals[i], &now, nullptr) == 0;
  }
}

/// A temporary's path in a slot for the handler; -1 without a slot.
int registerTemporary(const std::string &tmp) {
  if (tmp.size() >= PATH_MAX)
    return -1;
  for (int i = 0; i < kSlots; ++i) {
    int free = 0;
    if (gSlotState[i].compare_exchange_strong(free, 1)) {
      std::memcpy(gSlotPath[i], tmp.c_str(), tmp.size() + 1);
      gSlotState[i].store(2, std::memory_order_release);
      return i;
    }
  }
  return -1;
}

void releaseSlot(int slot) {
  if (slot >= 0)
    gSlotState[slot].store(0, std::memory_order_release);
}

std::string errnoText(const std::string &what, const std::string &path) {
  return what + " '" + path + "': " + std::strerror(errno);
}

/// Removes the temporaries of replacements of `path` whose process has
/// ended, or that are a day old.
void removeStaleTemporaries(const std::string &path) {
  std::size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "." : path.substr(0, slash);
  if (dir.empty())
    dir = "/";
  std::string prefix =
      (slash == std::string::npos ? path : path.substr(slash + 1)) + ".tmp";
  DIR *d = ::opendir(dir.c_str());
  if (!d)
    return;
  std::time_t dayAgo = std::time(nullptr) - 24 * 60 * 60;
  while (const dirent *e = ::readdir(d)) {
    // PREFIX PID "-" six characters of mkstemp's.
    std::string_view name = e->d_name;
    if (name.size() < prefix.size() + 8 ||
        name.compare(0, prefix.size(), prefix))
      continue;
    std::string_view rest = name.substr(prefix.size());
    std::size_t digits = 0;
    while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9')
      ++digits;
    if (digits == 0 || digits > 9 || rest.size() != digits + 7 ||
        rest[digits] != '-')
      continue;
    pid_t pid = std::atoi(std::string(rest.substr(0, digits)).c_str());
    std::string file = dir + "/" + std::string(name);
    struct stat st;
    if (::lstat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
      continue;
    bool gone = pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH;
    if (gone || st.st_mtime < dayAgo)
      ::unlink(file.c_str());
  }
  ::closedir(d);
}

} // namespace

bool replaceFile(const std::string &path, const std::function<bool(int)> &fill,
                 std::string &error) {
  // Keep the target's permissions, or give a new file the usual ones.
  struct stat st;
  mode_t mode = 0666;
  if (::stat(path.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) {
      error = "'" + path + "' is not a regular file";
      return false;
    }
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  removeStaleTemporaries(path);
  std::string tmp = path + ".tmp" + std::to_string(::getpid()) + "-XXXXXX";
  holdHandler(true);
  // The signals wait until the handler knows the temporary.
  sigset_t block, before;
  sigemptyset(&block);
  for (int sig : kSignals)
    sigaddset(&block, sig);
  ::pthread_sigmask(SIG_BLOCK, &block, &before);
  int fd = ::mkstemp(tmp.data());
  int slot = fd < 0 ? -1 : registerTemporary(tmp);
  int created = errno;
  ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
  if (fd < 0) {
    errno = created;
    error = errnoText("cannot create a temporary file beside", path);
    holdHandler(false);
    return false;
  }
  ::fchmod(fd, mode);
  bool ok;
  try {
    ok = fill(fd) && ::fsync(fd) == 0;
  } catch (const std::bad_alloc &) {
    errno = ENOMEM;
    ok = false;
  }
  if (!ok)
    error = errnoText("cannot write", tmp);
  if (::close(fd) != 0 && ok) {
    error = errnoText("cannot write", tmp);
    ok = false;
  }
  if (ok && std::rename(tmp.c_str(), path.c_str()) != 0) {
    error = errnoText("cannot replace", path);
    ok = false;
  }
  if (!ok)
    ::unlink(tmp.c_str());
  releaseSlot(slot);
  holdHandler(false);
  return ok;
}

} // namespace zrep

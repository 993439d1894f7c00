//===- forked_batch.cpp - Work done in a forked copy of the process -------===//

#include "forked_batch.h"

#include <cerrno>
#include <cstdint>
#include <sys/wait.h>
#include <unistd.h>

namespace zdiagram {

namespace {

bool writeAll(int fd, const char *data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

/// Reads up to `size` bytes; fewer only at the end of the pipe.
std::size_t readAll(int fd, char *data, std::size_t size) {
  std::size_t got = 0;
  while (got < size) {
    ssize_t n = ::read(fd, data + got, size - got);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      break;
    got += static_cast<std::size_t>(n);
  }
  return got;
}

/// The copy's side: each item as its length, then its bytes. It ends with
/// _exit, so that neither the parent's exit handlers nor its buffered
/// output run twice.
[[noreturn]] void serve(int fd, std::size_t first, std::size_t count,
                        const std::function<std::string(std::size_t)> &make) {
  for (std::size_t i = first; i < count; ++i) {
    std::string text = make(i);
    std::uint64_t size = text.size();
    if (!writeAll(fd, reinterpret_cast<const char *>(&size), sizeof size) ||
        !writeAll(fd, text.data(), text.size()))
      ::_exit(1);
  }
  ::_exit(0);
}

} // namespace

std::vector<std::string>
makeInForkedCopy(std::size_t count,
                 const std::function<std::string(std::size_t)> &make) {
  std::vector<std::string> texts(count);
  std::size_t next = 0;
  while (next < count) {
    int fds[2];
    pid_t pid = -1;
    if (::pipe(fds) == 0) {
      pid = ::fork();
      if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
      }
    }
    if (pid < 0) { // no copy: the rest is made here
      for (; next < count; ++next)
        texts[next] = make(next);
      break;
    }
    if (pid == 0) {
      ::close(fds[0]);
      serve(fds[1], next, count, make);
    }
    ::close(fds[1]);
    for (; next < count; ++next) {
      std::uint64_t size = 0;
      if (readAll(fds[0], reinterpret_cast<char *>(&size), sizeof size) !=
          sizeof size)
        break;
      std::string &text = texts[next];
      text.resize(size);
      if (readAll(fds[0], text.data(), size) != size) {
        text.clear();
        break;
      }
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    // The copy died on item `next`: it stays empty, the rest is made by a
    // fresh copy.
    if (next < count)
      ++next;
  }
  return texts;
}

} // namespace zdiagram

//===- file_writer.cpp - Write a large file behind the formatter ----------===//

#include "file_writer.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace zrep {

bool writeAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

FileWriter::FileWriter(int fd) : fd_(fd) {
  int flags = ::fcntl(fd_, F_GETFL);
  direct_ = flags >= 0 && ::fcntl(fd_, F_SETFL, flags | O_DIRECT) == 0;
  try {
    thread_ = std::thread([this] { run(); });
  } catch (const std::system_error &) {
    // No thread to be had: write() writes in place.
  }
}

FileWriter::~FileWriter() {
  if (!thread_.joinable())
    return;
  {
    std::unique_lock<std::mutex> lock = idle();
    stop_ = true;
  }
  cv_.notify_all();
  thread_.join();
}

std::unique_lock<std::mutex> FileWriter::idle() {
  std::unique_lock<std::mutex> lock(mutex_);
  cv_.wait(lock, [this] { return !busy_; });
  return lock;
}

bool FileWriter::write(std::string_view data) {
  if (!thread_.joinable()) {
    if (!error_ && !put(data))
      error_ = errno ? errno : EIO;
    return error_ == 0;
  }
  {
    std::unique_lock<std::mutex> lock = idle();
    if (error_)
      return false;
    pending_ = data;
    busy_ = true;
  }
  cv_.notify_all();
  return true;
}

bool FileWriter::finish() {
  std::unique_lock<std::mutex> lock = idle();
  errno = error_;
  return error_ == 0;
}

void FileWriter::run() {
  for (;;) {
    std::string_view data;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      cv_.wait(lock, [this] { return busy_ || stop_; });
      if (!busy_)
        return;
      data = pending_;
    }
    bool ok = put(data);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!ok)
        error_ = errno ? errno : EIO;
      busy_ = false;
    }
    cv_.notify_all();
  }
}

bool FileWriter::put(std::string_view data) {
  auto buffered = [this] {
    int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0)
      ::fcntl(fd_, F_SETFL, flags & ~O_DIRECT);
    direct_ = false;
  };
  if (direct_ && (data.size() % kAlign != 0 ||
                  reinterpret_cast<std::uintptr_t>(data.data()) % kAlign != 0))
    buffered(); // the tail of the file
  for (std::size_t done = 0; done < data.size();) {
    ssize_t n = ::write(fd_, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0 && errno == EINVAL && direct_) {
      // The device wants other alignments: use the page cache.
      buffered();
      continue;
    }
    if (n < 0)
      return false;
    done += static_cast<std::size_t>(n);
    if (direct_ && done % kAlign != 0)
      buffered(); // a short write left the rest unaligned
  }
  return true;
}

} // namespace zrep

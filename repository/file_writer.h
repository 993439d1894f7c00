//===- file_writer.h - Write a large file behind the formatter --*- C++ -*-===//
//
// Writes the buffers of a file on a thread of its own, so that formatting
// goes on while the previous buffer is written. Where the file system
// allows, the file is written with O_DIRECT: the data goes from the buffers
// to the disk without first being copied into newly allocated page-cache
// pages, which for files of hundreds of megabytes costs more than the
// formatting. Buffers must then be aligned to kAlign and all but the last
// a multiple of it long; the last one is written through the page cache.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string_view>
#include <thread>

namespace zrep {

/// Writes all of `data`; false with errno set on failure.
bool writeAll(int fd, std::string_view data);

/// Writes the buffers handed to it in order, each while the caller fills
/// the next. Without a thread to be had, it writes them in place.
class FileWriter {
public:
  static constexpr std::size_t kAlign = 4096;

  explicit FileWriter(int fd);
  FileWriter(const FileWriter &) = delete;
  FileWriter &operator=(const FileWriter &) = delete;
  ~FileWriter();

  /// Starts writing `data`, which must stay untouched until the next call
  /// returns. Waits for the previous write; false once a write has failed.
  bool write(std::string_view data);
  /// Waits for the last write; false with errno set if any write failed.
  bool finish();

private:
  void run();
  /// Writes `data` to the file; false with errno set on failure.
  bool put(std::string_view data);
  /// Waits for the pending write; returns with the lock held.
  std::unique_lock<std::mutex> idle();

  int fd_;
  bool direct_ = false;
  std::mutex mutex_;
  std::condition_variable cv_;
  std::string_view pending_;
  bool busy_ = false, stop_ = false;
  int error_ = 0;
  std::thread thread_;
};

} // namespace zrep

//===- fuzz_support.h - Shared set-up of the libFuzzer targets --*- C++ -*-===//
//
// The compile targets run the compiler in-process on a repository they build
// or load: dialogs are silenced, the files the run writes go to a scratch
// folder, and each run gets a large stack as the zevac host gives it.
// fuzz_support.cpp also defines LLVMFuzzerInitialize for every target.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zrep {
class Repository;
}

namespace zeva::fuzz {

/// Makes a scratch folder (removed at exit) and silences the runtime's
/// dialogs. Runs from LLVMFuzzerInitialize, which the targets share.
void setUpProcess();
/// The scratch folder's absolute path.
const std::string &scratchFolder();

/// Connects `repo`, runs one compilation (Kel_LibMain) in the scratch folder
/// on a thread with a large stack, and disconnects. The trace log is closed
/// afterwards, so the next run that logs a fault starts it afresh. The
/// process stops when the saved result does not load again.
void compile(zrep::Repository &repo);
/// Runs `body(arg)` in the scratch folder on a thread with a large stack.
void runInScratch(void (*body)(void *), void *arg);

/// The contents of a file of the source tree (relative to its root); the
/// process stops when it cannot be read.
std::string sourceFile(const char *relativePath);

/// Reads the fuzz input as a sequence of small unsigned numbers.
class ByteReader {
public:
  ByteReader(const std::uint8_t *data, std::size_t size)
      : data_(data), size_(size) {}
  bool empty() const { return at_ >= size_; }
  /// The next byte, 0 past the end.
  std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
  /// The next two bytes as a little-endian number.
  std::uint16_t word() {
    std::uint16_t lo = byte();
    return static_cast<std::uint16_t>(lo | byte() << 8);
  }
  /// A number below `n` (n > 0).
  std::size_t below(std::size_t n) { return word() % n; }

private:
  const std::uint8_t *data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

} // namespace zeva::fuzz

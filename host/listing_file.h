//===- listing_file.h - The listing file of a compile run -------*- C++ -*-===//
#pragma once

#include <string>

namespace zrep {
class Repository;
}

namespace zevac {

/// Whether two paths name the same file, or would once created.
bool sameFile(const std::string &a, const std::string &b);

/// The file that `compile --listing` writes. It is checked before the run,
/// so that a listing that cannot be written stops the run before anything
/// is saved, and written after the save. Its error texts are whole lines.
class ListingFile {
public:
  ListingFile() = default;
  ListingFile(const ListingFile &) = delete;
  ListingFile &operator=(const ListingFile &) = delete;
  /// Removes the file if check() created it and write() was not called.
  ~ListingFile();

  /// Checks that `path` ("-" for stdout, empty for none) can be written and
  /// is neither `model` nor `output`, creating it if it is missing; false
  /// with a one-line `error` otherwise.
  bool check(const std::string &path, const std::string &model,
             const std::string &output, std::string &error);
  /// Writes the listing; false with a one-line `error` on failure.
  bool write(const zrep::Repository &repo, std::string &error);

private:
  std::string path_;
  bool created_ = false;
};

} // namespace zevac

//===- listing_file.cpp - The listing file of a compile run ---------------===//

#include "listing_file.h"

#include "listing.h"
#include "standard_output.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

namespace zevac {

namespace fs = std::filesystem;

bool sameFile(const std::string &a, const std::string &b) {
  std::error_code ec;
  bool hasA = fs::exists(a, ec), hasB = fs::exists(b, ec);
  if (hasA && hasB)
    return fs::equivalent(a, b, ec);
  if (hasA || hasB)
    return false;
  auto resolved = [&](const std::string &p) {
    fs::path r = fs::weakly_canonical(p, ec);
    return ec ? fs::absolute(p, ec).lexically_normal() : r;
  };
  return resolved(a) == resolved(b);
}

bool ListingFile::check(const std::string &path, const std::string &model,
                        const std::string &output, std::string &error) {
  path_ = path;
  if (path.empty() || path == "-")
    return true;
  if (sameFile(path, model) || sameFile(path, output)) {
    error = "zevac: error: the listing '" + path +
            "' is the repository file; choose another file for it";
    return false;
  }
  auto fail = [&](int err) {
    error = path + ": error: cannot write the listing: " + std::strerror(err);
    return false;
  };
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    // A device or pipe is opened only to be written.
    if (S_ISDIR(st.st_mode))
      return fail(EISDIR);
    return ::access(path.c_str(), W_OK) == 0 || fail(errno);
  }
  // Not truncated yet: a run that saves nothing leaves an old listing.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  created_ = fd >= 0;
  if (fd < 0 && errno == EEXIST)
    fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0)
    return fail(errno);
  ::close(fd);
  return true;
}

bool ListingFile::write(const zrep::Repository &repo, std::string &error) {
  created_ = false;
  if (path_.empty())
    return true;
  if (path_ == "-") {
    printListing(repo, std::cout);
    // A reader that went away wanted no more of it; anything else is an
    // error.
    int err = flushStandardOutput();
    if (err && err != EPIPE) {
      error = std::string("zevac: error: cannot write the listing to standard "
                          "output: ") +
              std::strerror(err);
      return false;
    }
    return true;
  }
  std::ofstream out(path_);
  if (out)
    printListing(repo, out);
  out.close();
  if (!out) {
    error = path_ + ": error: cannot write the listing";
    return false;
  }
  return true;
}

ListingFile::~ListingFile() {
  if (created_)
    ::unlink(path_.c_str());
}

} // namespace zevac

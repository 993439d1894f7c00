//===- report_command.cpp - zevac report: one HTML page of a model --------===//
//
// Reads a repository file, compiled or not, or a notation file, which is
// compiled in memory first so that the page shows its program and messages
// at their places in the text. Nothing but the page is written: the
// compiler's metamodel script goes into a scratch folder that is removed.
//
//===----------------------------------------------------------------------===//

#include "commands.h"

#include "connection.h"
#include "file_replace.h"
#include "file_text.h"
#include "file_writer.h"
#include "listing_file.h"
#include "model_file.h"
#include "module_runner.h"
#include "project.h"
#include "report.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <unistd.h>

namespace zevac {

namespace {

namespace fs = std::filesystem;

std::optional<std::string> readWhole(const fs::path &path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec))
    return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

/// The current folder, changed to a fresh scratch folder and back again;
/// the scratch folder goes with everything in it.
class ScratchFolder {
public:
  ScratchFolder() {
    std::string pattern =
        (fs::temp_directory_path() / "zevac-report-XXXXXX").string();
    home_ = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (home_ >= 0 && ::mkdtemp(pattern.data())) {
      path_ = pattern;
      entered_ = ::chdir(path_.c_str()) == 0;
    }
  }
  ~ScratchFolder() {
    if (entered_ && ::fchdir(home_) != 0)
      std::cerr << "zevac: error: cannot return to the current folder\n";
    if (home_ >= 0)
      ::close(home_);
    std::error_code ec;
    if (!path_.empty())
      fs::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder &) = delete;
  ScratchFolder &operator=(const ScratchFolder &) = delete;
  bool entered() const { return entered_; }

private:
  int home_ = -1;
  std::string path_;
  bool entered_ = false;
};

/// Runs the compiler on `repo` so that it leaves no file behind. A relative
/// project folder lies in a scratch folder; an absolute one is made as
/// `compile` makes it, and its metamodel script is put back as it was.
/// False with `error` when the compiler could not run.
bool compileWithoutFiles(zrep::Repository &repo, std::string &error) {
  ScratchFolder scratch;
  if (!scratch.entered()) {
    error = "cannot make a scratch folder for the compiler's files";
    return false;
  }
  std::string folder = projectFolder(repo);
  fs::path script = fs::path(folder) / "MMscript.txt";
  std::optional<std::string> before;
  if (fs::path(folder).is_absolute())
    before = readWhole(script);
  ProjectFolder project;
  if (!project.create(repo, error))
    return false;
  zrep::connect(&repo);
  std::vector<SideFile> files;
  bool ran = runCompilerModule(defaultModulePath(), files, error);
  zrep::connect(nullptr);
  if (!fs::path(folder).is_absolute())
    return ran;
  std::error_code ec;
  if (!before)
    fs::remove(script, ec);
  else if (readWhole(script) != before)
    std::ofstream(script, std::ios::binary | std::ios::trunc) << *before;
  return ran;
}

} // namespace

int runReport(const ReportOptions &o) {
  if (sameFile(o.model, o.output)) {
    std::cerr << "zevac: error: the report would overwrite the model "
              << zrep::printableWhole(o.model)
              << "; name another file with -o\n";
    return kExitFailure;
  }
  ModelFile file = readModel(o.model);
  if (!file.repo)
    return kExitFailure;
  zrep::Repository &repo = *file.repo;

  zreport::PageOptions page;
  page.source = o.model;
  if (file.source) {
    std::string error;
    if (!repo.hasFreeId())
      error = "no object id is left for the compiler's objects";
    else
      compileWithoutFiles(repo, error);
    if (!error.empty())
      std::cerr << o.model
                << ": warning: not compiled: " << zrep::printableWhole(error)
                << "; the report shows the model without its program\n";
    page.nodeName = sourceNodeNames(file);
    page.place = sourceLocator(file, o.model);
  }

  zreport::PageSummary summary;
  std::string error;
  bool saved = zrep::replaceFile(
      o.output,
      [&](int fd) {
        summary = zreport::writeReport(repo, page, [fd](std::string_view s) {
          return zrep::writeAll(fd, s);
        });
        return summary.written;
      },
      error);
  if (!saved) {
    std::cerr << zrep::printableWhole(o.output)
              << ": error: " << zrep::printableWhole(error) << '\n';
    return kExitFailure;
  }
  int messages = summary.errors + summary.warnings;
  std::cerr << "zevac: wrote " << zrep::printableWhole(o.output) << " ("
            << summary.procedures << " procedure"
            << (summary.procedures == 1 ? "" : "s") << ", " << messages
            << " message" << (messages == 1 ? "" : "s")
            << (summary.compiled ? "" : ", not compiled") << ")\n";
  return kExitOk;
}

} // namespace zevac

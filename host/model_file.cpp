//===- model_file.cpp - Models read from JSON or notation files -----------===//

#include "model_file.h"

#include "file_text.h"
#include "instances.h"
#include "lexer.h"
#include "repo_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace zevac {

std::function<bool(int id, std::string &where, std::string &label)>
sourceLocator(const ModelFile &file, const std::string &path) {
  if (!file.source)
    return {};
  return [&file, path](int id, std::string &where, std::string &label) {
    std::uint32_t offset;
    if (!file.map.find(id, offset))
      return false;
    auto [line, col] = file.source->lineCol(offset);
    where = path + ":" + std::to_string(line) + ":" + std::to_string(col);
    label = notation::describeObject(*file.repo, file.map, id);
    return true;
  };
}

std::function<std::string(int id)> sourceNodeNames(const ModelFile &file) {
  return [&file](int id) {
    const std::string *name = file.map.nodeName(id);
    return name ? *name : std::string();
  };
}

bool isNotationFile(const std::string &path) {
  return path.size() > 5 && path.compare(path.size() - 5, 5, ".zeva") == 0;
}

std::string withEnding(const std::string &path, const char *ending) {
  std::string base =
      isNotationFile(path) ? path.substr(0, path.size() - 5)
      : path.size() > 5 && path.compare(path.size() - 5, 5, ".json") == 0
          ? path.substr(0, path.size() - 5)
          : path;
  return base + ending;
}

namespace {

bool readText(const std::string &path, std::string &text) {
  std::string shown = zrep::printable(path, path.size() + 1);
  std::error_code ec;
  if (std::filesystem::exists(path, ec) &&
      !std::filesystem::is_regular_file(path, ec)) {
    std::cerr << shown << ": error: not a regular file\n";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::cerr << shown << ": error: cannot open: " << std::strerror(errno)
              << '\n';
    return false;
  }
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (in.bad()) {
    std::cerr << shown << ": error: cannot read: " << std::strerror(errno)
              << '\n';
    return false;
  }
  text = std::move(buffer).str();
  if (text.size() >= UINT32_MAX) {
    std::cerr << shown
              << ": error: a notation file must be smaller than "
                 "4 GB\n";
    return false;
  }
  return true;
}

} // namespace

ModelFile readModel(const std::string &path) {
  ModelFile model;
  if (!isNotationFile(path)) {
    zrep::LoadResult r = zrep::loadRepositoryFile(path);
    for (const std::string &p : r.problems)
      std::cerr << p << '\n';
    if (r.unreported)
      std::cerr << path << ": error: " << r.unreported
                << " more problems not shown\n";
    model.repo = std::move(r.repo);
    return model;
  }
  std::string text;
  if (!readText(path, text))
    return model;
  model.source = std::make_unique<notation::SourceFile>(path, std::move(text));
  notation::Diagnostics diags(*model.source);
  notation::ImportResult r = notation::importNotation(*model.source, diags);
  diags.print(std::cerr);
  notation::Diagnostics none(*model.source);
  if (!r.repo && notation::Lexer(*model.source, none).isWord("instances"))
    std::cerr << zrep::printable(path, path.size() + 1)
              << ": note: the file holds an instance model, which import and "
                 "export read with --metamodel MMscript.txt\n";
  model.repo = std::move(r.repo);
  model.map = std::move(r.map);
  return model;
}

std::unique_ptr<zrep::Repository>
readInstances(const std::string &path,
              std::shared_ptr<const zrep::Metamodel> mm) {
  if (!isNotationFile(path)) {
    zrep::LoadResult r = zrep::loadRepositoryFile(path, std::move(mm));
    for (const std::string &p : r.problems)
      std::cerr << p << '\n';
    if (r.unreported)
      std::cerr << path << ": error: " << r.unreported
                << " more problems not shown\n";
    return std::move(r.repo);
  }
  std::string text;
  if (!readText(path, text))
    return nullptr;
  notation::SourceFile file(path, std::move(text));
  notation::Diagnostics diags(file);
  auto repo = notation::importInstances(file, diags, std::move(mm));
  diags.print(std::cerr);
  return repo;
}

InstanceModel readInstanceModel(const std::string &path,
                                const std::string &output,
                                std::shared_ptr<const zrep::Metamodel> mm,
                                std::string &out) {
  if (isNotationFile(path)) {
    if (!output.empty() && !checkNotOverwritten(path, output))
      return {};
    if (output.empty())
      out = withEnding(path, ".json");
  }
  return {readInstances(path, std::move(mm))};
}

} // namespace zevac

//===- diagram_command.cpp - zevac diagram --------------------------------===//
//
// Draws one procedure into an SVG file, or every procedure of the model
// into a folder, one file each, named after its unit and its name.
//
//===----------------------------------------------------------------------===//

#include "commands.h"
#include "diagram.h"
#include "file_text.h"
#include "model_file.h"
#include "repo_file.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>
#include <set>
#include <string>
#include <vector>

namespace zevac {

namespace {

namespace fs = std::filesystem;

using zdiagram::ProcedureRef;

std::string qualified(const ProcedureRef &p) {
  return p.unit.empty() ? p.name : p.unit + "::" + p.name;
}

/// Whether `wanted` names `p`: its name, UNIT::NAME, or a trailing part of
/// that (as qualified names of the notation may be written).
bool names(const std::string &wanted, const ProcedureRef &p) {
  std::string q = qualified(p);
  return p.name == wanted || q == wanted ||
         (q.size() > wanted.size() + 2 &&
          q.compare(q.size() - wanted.size() - 2, std::string::npos,
                    "::" + wanted) == 0);
}

std::string lower(std::string s) {
  for (char &c : s)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

/// Edit distance, ignoring case.
std::size_t distance(const std::string &a0, const std::string &b0) {
  std::string a = lower(a0), b = lower(b0);
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j)
    row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1,
                         diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

/// Says that no procedure is named `wanted`, with the names that come
/// close, or all of them when there are few.
void reportUnknown(const std::string &wanted,
                   const std::vector<ProcedureRef> &procs) {
  constexpr std::size_t kListed = 10, kFew = 20;
  std::cerr << "zevac: error: no procedure named '"
            << zrep::printableWhole(wanted) << "' in the model";
  if (procs.empty()) {
    std::cerr << ", which has none\n";
    return;
  }
  std::size_t limit = std::max<std::size_t>(2, wanted.size() / 3);
  std::vector<std::string> near;
  for (const ProcedureRef &p : procs)
    if (near.size() < kListed &&
        (distance(wanted, p.name) <= limit ||
         distance(wanted, qualified(p)) <= limit ||
         lower(p.name).find(lower(wanted)) != std::string::npos))
      near.push_back(qualified(p));
  const char *intro = "; did you mean ";
  if (near.empty()) {
    if (procs.size() > kFew) {
      std::cerr << " (it has " << procs.size() << " procedures)\n";
      return;
    }
    intro = "; its procedures: ";
    for (const ProcedureRef &p : procs)
      near.push_back(qualified(p));
  }
  std::cerr << intro;
  for (std::size_t i = 0; i < near.size(); ++i)
    std::cerr << (i ? ", " : "") << zrep::printableWhole(near[i]);
  std::cerr << '\n';
}

/// A part of a file name: letters, digits, '-' and '_'; every other run of
/// bytes becomes one '_'.
std::string safePart(const std::string &text) {
  std::string out;
  for (char c : text) {
    bool safe = std::isalnum(static_cast<unsigned char>(c)) ||
                ((c == '-' || c == '_') && !out.empty());
    if (safe)
      out += c;
    else if (out.empty() || out.back() != '_')
      out += '_';
  }
  return out.empty() ? "_" : out;
}

/// The file names of the procedures' diagrams: UNIT.PARTS.NAME.svg, made of
/// safe characters, cut to a length every file system takes, and made
/// unique (ignoring case) by "-2", "-3"... in repository order.
std::vector<std::string> fileNames(const std::vector<ProcedureRef> &procs) {
  constexpr std::size_t kMaxStem = 120;
  std::vector<std::string> out;
  std::set<std::string> used;
  for (const ProcedureRef &p : procs) {
    std::string stem;
    std::string unit = p.unit;
    for (std::size_t pos = 0; !unit.empty();) {
      std::size_t sep = unit.find("::", pos);
      stem += safePart(unit.substr(pos, sep - pos)) + ".";
      if (sep == std::string::npos)
        break;
      pos = sep + 2;
    }
    stem += safePart(p.name);
    if (stem.size() > kMaxStem)
      stem.resize(kMaxStem);
    std::string name = stem;
    for (int k = 2; !used.insert(lower(name)).second; ++k)
      name = stem + "-" + std::to_string(k);
    out.push_back(name + ".svg");
  }
  return out;
}

bool write(const std::string &path, const std::string &svg) {
  std::string error;
  if (zrep::writeFileAtomically(path, svg, error))
    return true;
  std::cerr << zrep::printableWhole(path) << ": error: " << error << '\n';
  return false;
}

bool sameFile(const std::string &a, const std::string &b) {
  std::error_code ec;
  return fs::exists(b, ec) && fs::equivalent(a, b, ec);
}

} // namespace

int runDiagram(const DiagramOptions &opts) {
  ModelFile file = readModel(opts.model);
  if (!file.repo)
    return kExitFailure;
  std::vector<ProcedureRef> procs = zdiagram::listProcedures(*file.repo);
  zdiagram::DiagramOptions drawing;
  drawing.nodeName = sourceNodeNames(file);
  zdiagram::Renderer renderer;
  auto draw = [&](const ProcedureRef &p, const std::string &path,
                  const std::string &svg) {
    if (svg.empty()) {
      std::cerr << "zevac: error: the diagram of procedure "
                << zrep::printableWhole(qualified(p))
                << " could not be laid out\n";
      return false;
    }
    return write(path, svg);
  };

  if (!opts.procedure.empty()) {
    std::vector<const ProcedureRef *> found;
    for (const ProcedureRef &p : procs)
      if (names(opts.procedure, p))
        found.push_back(&p);
    if (found.empty()) {
      reportUnknown(opts.procedure, procs);
      return kExitFailure;
    }
    if (found.size() > 1) {
      std::cerr << "zevac: error: procedure name '"
                << zrep::printableWhole(opts.procedure)
                << "' is ambiguous; it names";
      for (std::size_t i = 0; i < found.size(); ++i)
        std::cerr << (i ? ", " : " ")
                  << zrep::printableWhole(qualified(*found[i])) << " (object "
                  << found[i]->id << ")";
      std::cerr << "\n";
      return kExitFailure;
    }
    if (sameFile(opts.model, opts.output)) {
      std::cerr << zrep::printableWhole(opts.output)
                << ": error: the diagram would overwrite the model\n";
      return kExitFailure;
    }
    const ProcedureRef &p = *found.front();
    return draw(p, opts.output,
                renderer.procedureSvg(*file.repo, p.id, drawing))
               ? kExitOk
               : kExitFailure;
  }

  std::error_code ec;
  fs::create_directories(opts.output, ec);
  if (!fs::is_directory(opts.output, ec)) {
    std::cerr << zrep::printableWhole(opts.output)
              << ": error: cannot create the folder"
              << (ec ? ": " + ec.message() : std::string(": a file is there"))
              << '\n';
    return kExitFailure;
  }
  std::vector<std::string> names = fileNames(procs);
  // In batches, each drawn by a forked copy of the process that takes
  // Graphviz's unreleased memory with it when it ends.
  constexpr std::size_t kBatch = 64;
  for (std::size_t first = 0; first < procs.size(); first += kBatch) {
    std::size_t end = std::min(procs.size(), first + kBatch);
    std::vector<zrep::ObjectId> ids;
    for (std::size_t i = first; i < end; ++i)
      ids.push_back(procs[i].id);
    std::vector<std::string> svgs =
        renderer.procedureSvgs(*file.repo, ids, drawing);
    for (std::size_t i = first; i < end; ++i)
      if (!draw(procs[i], (fs::path(opts.output) / names[i]).string(),
                svgs[i - first]))
        return kExitFailure;
  }
  std::cerr << "zevac: wrote " << procs.size()
            << (procs.size() == 1 ? " diagram" : " diagrams") << " to "
            << zrep::printableWhole(opts.output) << '\n';
  return kExitOk;
}

} // namespace zevac

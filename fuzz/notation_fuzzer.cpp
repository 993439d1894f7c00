//===- notation_fuzzer.cpp - Notation texts imported and exported ---------===//
//
// The input is notation text, read both as a model and as an instance
// model of the library example's metamodel (with a few more classes). A text
// that imports without errors is exported; the export must import without
// errors and export to the same text again, and the imported repository must
// save and load again without problems. An instance import must find every
// problem that the repository loader would refuse, and the import of its export
// must save to the same text as the first import.
//
//===----------------------------------------------------------------------===//

#include "fuzz_support.h"

#include "export_notation.h"
#include "import.h"
#include "instances.h"
#include "metamodel_script.h"
#include "repo_file.h"
#include "repository.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

namespace {

void fail(const char *what, const std::string &detail) {
  std::fprintf(stderr, "notation_fuzzer: %s\n%s\n", what, detail.c_str());
  std::abort();
}

std::string printed(const notation::Diagnostics &diags) {
  std::ostringstream os;
  diags.print(os, 20);
  return os.str();
}

/// Imports `text`; null when it has errors, which are then in `errors`.
std::unique_ptr<zrep::Repository> import(const char *name, std::string text,
                                         std::string &errors) {
  notation::SourceFile file(name, std::move(text));
  notation::Diagnostics diags(file);
  notation::ImportResult r = notation::importNotation(file, diags);
  if (!r.repo != (diags.errorCount() != 0))
    fail("an import made a repository despite errors, or none without",
         printed(diags));
  if (!r.repo)
    errors = printed(diags);
  return std::move(r.repo);
}

/// A package `t` of nodes that own each other, tags many to many and a
/// literal that is no identifier, beside the script that compiling
/// examples/library writes.
const char *const kTreeStatements = R"(class t::Node;
class t::Tag;
enum t::Mode : {ON,OFF,Süß};
compos t::Node.[*]children/parent[0..1].t::Node;
assoc t::Tag.{ordered}[*]tags/nodes[*]{ordered}.t::Node;
attr t::Node.name:String;
attr t::Node.flag:Boolean;
attr t::Node.mode:t::Mode;
attr t::Tag.name:String;
)";

std::string instanceScript() {
  std::string library =
      zeva::fuzz::sourceFile("examples/library/expected-mmscript.txt");
  return "MMDefStart;\n" + std::string(kTreeStatements) +
         library.substr(library.find('\n') + 1);
}
const std::shared_ptr<const zrep::Metamodel> &instanceMetamodel() {
  static const std::shared_ptr<const zrep::Metamodel> mm =
      kel::readMetamodelScript(instanceScript(), "MMscript.txt").mm;
  return mm;
}

std::unique_ptr<zrep::Repository>
importInstances(const char *name, std::string text, std::string &errors) {
  notation::SourceFile file(name, std::move(text));
  notation::Diagnostics diags(file);
  auto repo = notation::importInstances(file, diags, instanceMetamodel());
  if (!repo != (diags.errorCount() != 0))
    fail("an instance import made a repository despite errors, or none "
         "without",
         printed(diags));
  errors = printed(diags);
  // The loader's problems are reported at the start of the file; a source
  // line shown under an error starts with its number.
  std::string refused =
      std::string(name) + ":1:1: error: the repository refuses";
  if (errors.compare(0, refused.size(), refused) == 0 ||
      errors.find("\n" + refused) != std::string::npos)
    fail("an instance import missed what the loader refuses", errors);
  return repo;
}

/// The export of an instance model imports and exports to itself, and the
/// import saves to the same text as the model (whose ids are in order).
void exportRoundTrip(const zrep::Repository &first) {
  std::string errors;
  std::string text = notation::exportInstances(first);
  auto second = importInstances("export.zeva", text, errors);
  if (!second)
    fail("an instance export does not import", errors + "---\n" + text);
  std::string again = notation::exportInstances(*second);
  if (again != text)
    fail("an instance export exports differently after an import",
         text + "---\n" + again);
  std::string saved = zrep::saveRepositoryText(first);
  if (zrep::saveRepositoryText(*second) != saved)
    fail("the import of an instance export saves differently",
         text + "---\n" + saved);
}

/// The input as an instance text.
void instanceRoundTrip(const std::string &input) {
  std::string errors;
  auto first = importInstances("fuzz.zeva", input, errors);
  if (std::getenv("ZEVA_FUZZ_VERBOSE"))
    std::fprintf(stderr, "%s", errors.c_str());
  if (first)
    exportRoundTrip(*first);
}

/// The input as steps of four bytes that build an instance model: an
/// object made, a value set or a link made. Mutated texts seldom stay
/// valid; these models always are, but for containment cycles, and their
/// links come in any order.
void builtRoundTrip(const std::uint8_t *data, std::size_t size) {
  // Values of every kind, some that no attribute takes, separated by '|'.
  static constexpr std::string_view kValues =
      "|x|Alice|a b|S\u00fc\u00df|OPEN|ON|OFF|true|True|-0042|7|2147483647|"
      "\n\"\\|book1|_|library::LoanStatus::OVERDUE";
  const zrep::Metamodel &mm = *instanceMetamodel();
  zrep::Repository repo(instanceMetamodel());
  std::vector<zrep::ObjectId> objects;
  for (std::size_t i = 0; i + 3 < size; i += 4) {
    std::uint8_t a = data[i + 1], b = data[i + 2], c = data[i + 3];
    if (data[i] % 3 == 0 || objects.empty()) {
      if (objects.size() < 64)
        objects.push_back(
            repo.createObject(mm.classes()[a % mm.classes().size()].id));
      continue;
    }
    zrep::ObjectId obj = objects[a % objects.size()];
    const zrep::ClassInfo &cls = *mm.classInfo(repo.classOf(obj));
    if (data[i] % 3 == 1 && !cls.attrs.empty()) {
      zrep::TypeId attr = cls.attrs[b % cls.attrs.size()];
      std::string_view value = kValues;
      for (int k = c % 17; k > 0; --k)
        value.remove_prefix(value.find('|') + 1);
      value = value.substr(0, value.find('|'));
      if (repo.checkValue(attr, value))
        repo.setValue(obj, attr, value);
    } else if (!cls.ends.empty()) {
      repo.createLink(cls.ends[b % cls.ends.size()], obj,
                      objects[c % objects.size()]);
    }
  }
  zrep::LoadResult loaded = zrep::loadRepositoryText(
      zrep::saveRepositoryText(repo), "built.json", instanceMetamodel());
  if (loaded.repo)
    exportRoundTrip(*loaded.repo);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  std::string input(reinterpret_cast<const char *>(data), size);
  instanceRoundTrip(input);
  builtRoundTrip(data, size);
  std::string errors;
  auto first = import("fuzz.zeva", std::move(input), errors);
  if (std::getenv("ZEVA_FUZZ_VERBOSE"))
    std::fprintf(stderr, "%s", errors.c_str());
  if (!first)
    return 0;

  std::string text = notation::exportNotation(*first).text;
  auto second = import("export.zeva", text, errors);
  if (!second)
    fail("an export does not import", errors + "---\n" + text);
  std::string again = notation::exportNotation(*second).text;
  if (again != text)
    fail("an export exports differently after an import",
         text + "---\n" + again);

  std::string saved = zrep::saveRepositoryText(*first);
  zrep::LoadResult loaded = zrep::loadRepositoryText(saved, "fuzz.json");
  if (!loaded.repo || !loaded.problems.empty()) {
    std::string problems;
    for (const std::string &p : loaded.problems)
      problems += p + "\n";
    fail("an imported repository does not load again", problems + saved);
  }
  return 0;
}

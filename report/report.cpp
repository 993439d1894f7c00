//===- report.cpp - One HTML page of a model ------------------------------===//

#include "report.h"

#include "diagram.h"
#include "listing_html.h"
#include "messages_html.h"
#include "named_access.h"
#include "page_assets.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

namespace zreport {

namespace {

/// The procedures of one unit, in repository order.
struct Unit {
  std::string name;
  std::vector<const zdiagram::ProcedureRef *> procedures;
  ObjectId transformation = 0; ///< Its Kel program, when compiled.
};

std::string plural(int n, const char *word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

class Page : zrep::NamedAccess {
public:
  Page(const zrep::Repository &repo, const PageOptions &options,
       const PageSink &sink)
      : NamedAccess(repo), options_(options), out_(sink),
        messages_(collectMessages(repo)),
        procedures_(zdiagram::listProcedures(repo)) {}

  PageSummary write();

private:
  void groupUnits();
  void head();
  void navigation();
  void modelSection();
  void unitSection(const Unit &unit, std::size_t index);
  void generatedProcedures(ObjectId transformation);
  void procedureSection(const zdiagram::ProcedureRef &p);
  void counts(int errors, int warnings);
  std::string modelName() const;
  std::string diagram(ObjectId procedure);

  const PageOptions &options_;
  PageOut out_;
  Messages messages_;
  std::vector<zdiagram::ProcedureRef> procedures_;
  std::vector<Unit> units_;
  bool compiled_ = false;
  zdiagram::Renderer renderer_;
  /// The procedures in the order their sections come, and how many of them
  /// have been drawn; the drawn diagrams not yet written.
  std::vector<ObjectId> order_;
  std::size_t drawn_ = 0;
  std::unordered_map<ObjectId, std::string> ahead_;
};

/// Units in the order of their first procedure; each with the Kel
/// transformation its procedures were compiled into.
void Page::groupUnits() {
  std::unordered_map<std::string, std::size_t> index;
  for (const zdiagram::ProcedureRef &p : procedures_) {
    auto [it, added] = index.emplace(p.unit, units_.size());
    if (added)
      units_.push_back({p.unit, {}, 0});
    Unit &u = units_[it->second];
    u.procedures.push_back(&p);
    if (ObjectId pf = one(p.id, "procfunct"); pf && !u.transformation)
      u.transformation = one(pf, "transformation");
  }
  compiled_ = repo_.extentSize(mm_.classId("Transformation")) > 0;
  for (const Unit &u : units_)
    for (const zdiagram::ProcedureRef *p : u.procedures)
      order_.push_back(p->id);
}

/// The diagram of `procedure`, drawn with the next procedures of the page
/// in one batch: a batch is laid out by a forked copy of the process, which
/// takes the memory that Graphviz does not free with it.
std::string Page::diagram(ObjectId procedure) {
  constexpr std::size_t kBatch = 64;
  if (!ahead_.count(procedure) && drawn_ < order_.size()) {
    std::size_t end = std::min(order_.size(), drawn_ + kBatch);
    std::vector<ObjectId> batch(order_.begin() + drawn_, order_.begin() + end);
    zdiagram::DiagramOptions d;
    d.standalone = false;
    d.nodeName = options_.nodeName;
    std::vector<std::string> svgs = renderer_.procedureSvgs(repo_, batch, d);
    for (std::size_t i = 0; i < batch.size(); ++i)
      ahead_[batch[i]] = std::move(svgs[i]);
    drawn_ = end;
  }
  auto it = ahead_.find(procedure);
  if (it == ahead_.end())
    return {};
  std::string svg = std::move(it->second);
  ahead_.erase(it);
  return svg;
}

std::string Page::modelName() const {
  zrep::TypeId model = mm_.classId("ZEVA::Model");
  std::string name;
  repo_.forEachObject([&](const zrep::Object &o) {
    if (name.empty() && o.cls == model)
      name = attr(o.id, "name");
  });
  return name;
}

void Page::counts(int errors, int warnings) {
  if (errors)
    out_ << "<span class=\"badge error\">" << plural(errors, "error")
         << "</span>";
  if (warnings)
    out_ << "<span class=\"badge warning\">" << plural(warnings, "warning")
         << "</span>";
}

void Page::head() {
  std::string name = modelName();
  std::string title = name.empty() ? options_.source : name;
  out_ << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta "
          "charset=\"utf-8\">\n<meta name=\"viewport\" "
          "content=\"width=device-width, initial-scale=1\">\n"
          "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src "
          "'none'; style-src 'unsafe-inline'; script-src 'unsafe-inline'; "
          "img-src data:\">\n<title>"
       << shown(title) << " &ndash; ZEVA report</title>\n<style>" << kPageStyle
       << "</style>\n</head>\n<body>\n<header class=\"top\"><h1>"
       << shown(title) << "</h1><span class=\"file\">" << shown(options_.source)
       << "</span><span class=\"summary\"><span class=\"count\">"
       << plural(static_cast<int>(procedures_.size()), "procedure")
       << "</span><span class=\"count\">" << plural(messages_.errors, "error")
       << "</span><span class=\"count\">"
       << plural(messages_.warnings, "warning") << "</span></span></header>\n";
}

void Page::navigation() {
  out_ << "<nav><a class=\"nav-model\" href=\"#model\">Model</a>\n";
  for (std::size_t i = 0; i < units_.size(); ++i) {
    const Unit &u = units_[i];
    out_ << "<div class=\"nav-unit\"><a href=\"#u" << static_cast<long long>(i)
         << "\">" << shown(u.name.empty() ? "(no unit)" : u.name)
         << "</a></div>\n<ul>\n";
    for (const zdiagram::ProcedureRef *p : u.procedures) {
      int errors = 0;
      for (std::size_t m : messages_.of(p->id))
        errors += messages_.all[m].error;
      out_ << "<li><a href=\"#p" << p->id << "\">" << shown(p->name);
      if (errors)
        out_ << "<span class=\"dot\" title=\"" << plural(errors, "error")
             << "\">" << errors << "</span>";
      out_ << "</a></li>\n";
    }
    out_ << "</ul>\n";
  }
  out_ << "</nav>\n";
}

void Page::modelSection() {
  out_ << "<section id=\"model\" class=\"model\"><h2>Model</h2>\n";
  if (!compiled_)
    out_ << "<p class=\"note\">Not compiled: the repository holds no Kel "
            "program, so there are no listings. Compile it with "
            "<code>zevac compile</code> to see them.</p>\n";
  if (procedures_.empty())
    out_ << "<p class=\"note\">The model has no procedures.</p>\n";
  if (!messages_.modelLevel.empty()) {
    out_ << "<h3>Messages outside the procedures</h3>\n";
    writeMessageList(out_, repo_, messages_, messages_.modelLevel,
                     options_.place);
  } else if (messages_.all.empty() && compiled_) {
    out_ << "<p class=\"ok\">No compiler messages.</p>\n";
  } else if (!messages_.all.empty()) {
    out_ << "<p>Every message stands with its procedure; the numbers beside "
            "the procedures' names count their errors.</p>\n";
  }
  out_ << "</section>\n";
}

void Page::unitSection(const Unit &unit, std::size_t index) {
  out_ << "<h2 class=\"unit\" id=\"u" << static_cast<long long>(index)
       << "\"><span class=\"kind\">unit</span> "
       << shown(unit.name.empty() ? "(no unit)" : unit.name) << "</h2>\n";
  if (unit.transformation)
    generatedProcedures(unit.transformation);
  for (const zdiagram::ProcedureRef *p : unit.procedures)
    procedureSection(*p);
}

/// The transformation's head and the Kel procedures that no ZEVA procedure
/// was compiled into (the compiler's helpers), folded away.
void Page::generatedProcedures(ObjectId transformation) {
  std::vector<ObjectId> helpers;
  for (ObjectId pf : many(transformation, "pf"))
    if (!one(pf, "procfunctOf"))
      helpers.push_back(pf);
  out_ << "<details class=\"kel-head\"><summary>Kel transformation <code>"
       << shown(attr(transformation, "name1")) << "</code>";
  if (!helpers.empty())
    out_ << " and "
         << plural(static_cast<int>(helpers.size()), "helper procedure");
  out_ << "</summary>\n<div class=\"listing\">";
  writeTransformationHead(out_, repo_, transformation);
  static const CommandSources none;
  for (ObjectId pf : helpers) {
    out_ << "<div class=\"l\"> </div>\n";
    writeProcFunctListing(out_, repo_, pf, none);
  }
  out_ << "</div></details>\n";
}

void Page::procedureSection(const zdiagram::ProcedureRef &p) {
  const std::vector<std::size_t> &mine = messages_.of(p.id);
  int errors = 0;
  for (std::size_t m : mine)
    errors += messages_.all[m].error;
  out_ << "<section class=\"proc\" id=\"p" << p.id << "\"><h3>"
       << "<span class=\"kind\">procedure</span> " << shown(p.name);
  counts(errors, static_cast<int>(mine.size()) - errors);
  ObjectId pf = one(p.id, "procfunct");
  if (pf)
    out_ << "<span class=\"kel-name\">Kel <code>" << shown(attr(pf, "name1"))
         << "</code></span>";
  out_ << "</h3>\n<div class=\"panes\"><div class=\"diagram\">";
  std::string svg = diagram(p.id);
  if (svg.empty())
    out_ << "<p class=\"note\">No diagram.</p>";
  else
    out_ << svg;
  svg = {};
  out_ << "</div>\n<div class=\"listing\">";
  if (pf)
    writeProcFunctListing(out_, repo_, pf, commandSources(repo_, p.id));
  else
    out_ << "<p class=\"note\">Not compiled.</p>";
  out_ << "</div></div>\n";
  writeMessageList(out_, repo_, messages_, mine, options_.place);
  out_ << "</section>\n";
}

PageSummary Page::write() {
  groupUnits();
  head();
  out_ << "<div class=\"layout\">\n";
  navigation();
  out_ << "<main>\n";
  modelSection();
  for (std::size_t i = 0; i < units_.size(); ++i)
    unitSection(units_[i], i);
  out_ << "</main>\n</div>\n<script>" << kPageScript
       << "</script>\n</body>\n</html>\n";
  PageSummary s;
  s.procedures = static_cast<int>(procedures_.size());
  s.errors = messages_.errors;
  s.warnings = messages_.warnings;
  s.compiled = compiled_;
  s.written = out_.finish();
  return s;
}

} // namespace

PageSummary writeReport(const zrep::Repository &repo,
                        const PageOptions &options, const PageSink &sink) {
  return Page(repo, options, sink).write();
}

} // namespace zreport

//===- listing_html.cpp - Kel listings in the page ------------------------===//

#include "listing_html.h"

#include "listing.h"
#include "named_access.h"

#include <unordered_set>

namespace zreport {

namespace {

/// Commands followed from one flow end at most; a chain that long is broken.
constexpr std::size_t kMaxChain = 1'000'000;

class SourceFinder : zrep::NamedAccess {
public:
  explicit SourceFinder(const zrep::Repository &repo) : NamedAccess(repo) {}

  CommandSources find(ObjectId procedure) {
    CommandSources sources;
    for (ObjectId el : many(procedure, "ownedElement")) {
      if (cls(el) == "ZEVA::ClassElement") {
        if (ObjectId kom = one(el, "kom"))
          sources[kom].push_back(el);
      } else if (ObjectId label = one(el, "label")) {
        chain(el, label, sources);
      }
    }
    return sources;
  }

private:
  /// The commands from `label` along "next1" up to the flow end's
  /// "lastkom". Without one the chain ends before the next command that is
  /// another flow end's label or a loop's end label.
  void chain(ObjectId flowEnd, ObjectId label, CommandSources &sources) {
    ObjectId last = one(flowEnd, "lastkom");
    std::unordered_set<ObjectId> seen;
    for (ObjectId kom = label; kom && seen.size() < kMaxChain;
         kom = one(kom, "next1")) {
      if (kom != label && (one(kom, "stflowend") || one(kom, "endlabelOf")))
        break;
      if (!seen.insert(kom).second)
        break;
      sources[kom].push_back(flowEnd);
      if (kom == last)
        break;
    }
  }
};

/// Listing lines as page elements.
class HtmlLines : public zevac::ListingObserver {
public:
  HtmlLines(PageOut &out, const CommandSources *sources)
      : out_(out), sources_(sources) {}

  void line(int depth, const std::string &text) override {
    // The Lister made the model's texts printable already.
    out_ << "<div class=\"l\">" << std::string(2 * std::size_t(depth), ' ');
    out_.text(text) << "</div>\n";
  }
  void beginCommand(int kom) override {
    out_ << "<div class=\"k\" id=\"k" << kom << '"';
    if (sources_)
      if (auto it = sources_->find(kom); it != sources_->end()) {
        out_ << " data-src=\"";
        for (std::size_t i = 0; i < it->second.size(); ++i)
          out_ << (i ? " " : "") << it->second[i];
        out_ << '"';
      }
    out_ << ">";
  }
  void endCommand(int) override { out_ << "</div>"; }

private:
  PageOut &out_;
  const CommandSources *sources_;
};

} // namespace

CommandSources commandSources(const zrep::Repository &repo,
                              ObjectId procedure) {
  return SourceFinder(repo).find(procedure);
}

void writeProcFunctListing(PageOut &out, const zrep::Repository &repo,
                           ObjectId procFunct, const CommandSources &sources) {
  HtmlLines lines(out, &sources);
  zevac::listProcFunct(repo, procFunct, lines);
}

void writeTransformationHead(PageOut &out, const zrep::Repository &repo,
                             ObjectId transformation) {
  HtmlLines lines(out, nullptr);
  zevac::listTransformationHead(repo, transformation, lines);
}

} // namespace zreport

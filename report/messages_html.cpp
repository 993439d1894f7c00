//===- messages_html.cpp - Compiler messages in the page ------------------===//

#include "messages_html.h"

#include "messages.h"

namespace zreport {

const std::vector<std::size_t> &Messages::of(ObjectId procedure) const {
  static const std::vector<std::size_t> none;
  auto it = byProcedure.find(procedure);
  return it == byProcedure.end() ? none : it->second;
}

Messages collectMessages(const zrep::Repository &repo) {
  Messages m;
  zevac::forEachCompilerMessage(repo, [&](const zevac::StoredMessage &s) {
    Message msg;
    msg.error = s.error;
    msg.text = s.text;
    msg.element = s.element;
    if (msg.element)
      msg.procedure = zevac::owningProcedure(repo, msg.element);
    ++(msg.error ? m.errors : m.warnings);
    std::size_t index = m.all.size();
    if (msg.procedure)
      m.byProcedure[msg.procedure].push_back(index);
    else
      m.modelLevel.push_back(index);
    m.all.push_back(std::move(msg));
  });
  return m;
}

void writeMessageList(PageOut &out, const zrep::Repository &repo,
                      const Messages &messages,
                      const std::vector<std::size_t> &which,
                      const ElementPlace &place) {
  if (which.empty())
    return;
  const zrep::Metamodel &mm = repo.metamodel();
  out << "<ul class=\"msgs\">\n";
  for (std::size_t i : which) {
    const Message &m = messages.all[i];
    const char *severity = m.error ? "error" : "warning";
    out << "<li class=\"" << severity << "\">";
    if (m.element) {
      out << "<a class=\"msg\" href=\"#z" << m.element << "\" data-el=\""
          << m.element << '"';
      if (m.procedure)
        out << " data-sec=\"p" << m.procedure << '"';
      out << '>';
    } else {
      out << "<span class=\"msg\">";
    }
    out << "<span class=\"sev\">" << severity << "</span><span class=\"text\">"
        << shown(m.text) << "</span>";
    std::string where, label;
    if (m.element && place && place(m.element, where, label)) {
      out << "<span class=\"where\">" << shown(where) << " &middot; "
          << shown(label) << "</span>";
    } else if (m.element && repo.exists(m.element)) {
      out << "<span class=\"where\">"
          << shown(mm.classInfo(repo.classOf(m.element))->name) << " #"
          << m.element;
      if (std::string path = zevac::readablePath(repo, m.element);
          !path.empty())
        out << ' ' << shown(path);
      out << "</span>";
    }
    out << (m.element ? "</a>" : "</span>") << "</li>\n";
  }
  out << "</ul>\n";
}

} // namespace zreport

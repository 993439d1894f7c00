//===- instance_import.cpp - Instance models read from notation text ------===//
//
// The text is read into records first: objects with their class, values
// and partners by name, each checked against the metamodel as it is read.
// Partner names are resolved once the file is read; then the links are
// checked (instance_links.cpp). Last, the records are written as repository
// file text and loaded with the metamodel, whose loader makes the links and
// has the last word.
//
//===----------------------------------------------------------------------===//

#include "instances.h"

#include "file_text.h"
#include "instance_records.h"
#include "lexer.h"
#include "metamodel.h"
#include "repo_file.h"

#include <unordered_map>

namespace notation {

namespace {

using zrep::TypeId;

std::string quoted(std::string_view text) {
  return "'" + zrep::printable(text, 60) + "'";
}

/// How a value is written.
enum class Form { Text, Number, Word };

class Reader {
public:
  Reader(const SourceFile &file, Diagnostics &diags, const zrep::Metamodel &mm)
      : diags_(diags), lex_(file, diags), mm_(mm), values_(mm) {}

  void readFile();
  void resolve();
  void checkLinks() { checkInstanceLinks(records_, mm_, diags_); }
  std::string repositoryText() const;

private:
  void errorHere(const std::string &message) { lex_.errorBeforeNext(message); }
  bool expect(Tok kind, const char *what) { return lex_.expect(kind, what); }
  void recover();
  bool name(std::string &out, std::uint32_t &at, const char *what);
  void object();
  void slot(InstanceRecord &r);
  void value(InstanceRecord &r, const std::string &attr, std::uint32_t at);
  void listing(InstanceRecord &r, const std::string &role, std::uint32_t at);
  TypeId findClass(const std::string &name, std::uint32_t at);
  std::string className(TypeId cls) const {
    return quoted(mm_.classInfo(cls)->name);
  }

  Diagnostics &diags_;
  Lexer lex_;
  const zrep::Metamodel &mm_;
  zrep::Repository values_; ///< Checks values; holds no object.
  std::vector<InstanceRecord> records_;
  std::unordered_map<std::string, int> byName_;
};

void Reader::recover() {
  int depth = 0;
  for (;;) {
    Tok k = lex_.peek().kind;
    if (k == Tok::End || (k == Tok::RBrace && depth == 0))
      return;
    lex_.take();
    if (k == Tok::Semi && depth == 0)
      return;
    if (k == Tok::LBrace)
      ++depth;
    if (k == Tok::RBrace && --depth == 0)
      return;
  }
}

bool Reader::name(std::string &out, std::uint32_t &at, const char *what) {
  const Token &t = lex_.peek();
  if (t.kind != Tok::Ident && t.kind != Tok::Quoted) {
    errorHere(std::string("expected ") + what);
    return false;
  }
  at = t.offset;
  Token taken = lex_.take();
  out = taken.kind == Tok::Quoted ? std::move(taken.value)
                                  : std::string(taken.text);
  return true;
}

void Reader::readFile() {
  while (lex_.peek().kind != Tok::End) {
    if (!lex_.isWord("instances")) {
      errorHere("expected 'instances'");
      if (lex_.peek().kind == Tok::RBrace)
        lex_.take();
      else
        recover();
      continue;
    }
    lex_.take();
    if (!expect(Tok::LBrace, "'{'")) {
      recover();
      continue;
    }
    while (lex_.peek().kind != Tok::RBrace && lex_.peek().kind != Tok::End)
      object();
    expect(Tok::RBrace, "'}'");
  }
}

TypeId Reader::findClass(const std::string &name, std::uint32_t at) {
  if (TypeId cls = mm_.classId(name)) {
    if (!mm_.classInfo(cls)->isAbstract)
      return cls;
    diags_.error(at, "the class " + quoted(name) +
                         " is abstract: it has no objects of its own");
    return 0;
  }
  // A class named without its packages is suggested with them.
  std::vector<std::string_view> names;
  std::string_view whole;
  std::size_t endings = 0;
  for (const zrep::ClassInfo &c : mm_.classes()) {
    names.push_back(c.name);
    if (c.name.size() > name.size() + 2 &&
        c.name.compare(c.name.size() - name.size(), name.size(), name) == 0 &&
        c.name.compare(c.name.size() - name.size() - 2, 2, "::") == 0) {
      whole = c.name;
      ++endings;
    }
  }
  diags_.error(at, "unknown class " + quoted(name) +
                       (endings == 1
                            ? "; did you mean '" + std::string(whole) + "'?"
                            : didYouMean(name, names)));
  return 0;
}

void Reader::object() {
  InstanceRecord r;
  if (!name(r.name, r.at, "an object name")) {
    recover();
    return;
  }
  auto [it, fresh] =
      byName_.try_emplace(r.name, static_cast<int>(records_.size()));
  if (!fresh) {
    diags_.error(r.at, "the object name " + quoted(r.name) + " is used twice");
    diags_.note(records_[static_cast<std::size_t>(it->second)].at,
                quoted(r.name) + " is first used here");
  }
  records_.push_back({r.name, r.at, 0, {}, {}});
  std::string cls;
  std::uint32_t clsAt = 0;
  if (!expect(Tok::Colon, "':' and the object's class") ||
      !name(cls, clsAt, "a class name")) {
    recover();
    return;
  }
  while (lex_.peek().kind == Tok::ColonColon) {
    lex_.take();
    std::string part;
    std::uint32_t partAt;
    if (!name(part, partAt, "a name after '::'")) {
      recover();
      return;
    }
    cls += "::" + part;
  }
  if (!expect(Tok::LBrace, "'{'")) {
    recover();
    return;
  }
  r.cls = findClass(cls, clsAt);
  while (lex_.peek().kind != Tok::RBrace && lex_.peek().kind != Tok::End)
    slot(r);
  expect(Tok::RBrace, "'}'");
  records_.back() = std::move(r);
}

void Reader::slot(InstanceRecord &r) {
  std::string word;
  std::uint32_t at;
  if (!name(word, at, "an attribute or a role")) {
    recover();
    return;
  }
  if (lex_.peek().kind == Tok::Eq) {
    lex_.take();
    value(r, word, at);
  } else if (lex_.peek().kind == Tok::Arrow) {
    lex_.take();
    listing(r, word, at);
  } else {
    errorHere("expected '=' and a value, or '->' and partners,");
    recover();
  }
}

void Reader::value(InstanceRecord &r, const std::string &attr,
                   std::uint32_t at) {
  const Token &t = lex_.peek();
  std::uint32_t valueAt = t.offset;
  Form form;
  std::string text;
  if (t.kind == Tok::Quoted) {
    form = Form::Text;
    text = lex_.take().value;
  } else if (t.kind == Tok::Int || t.kind == Tok::Ident) {
    form = t.kind == Tok::Int ? Form::Number : Form::Word;
    text = lex_.take().text;
  } else if (t.kind == Tok::Dash) {
    lex_.take();
    if (lex_.peek().kind != Tok::Int || lex_.peek().offset != valueAt + 1) {
      errorHere("expected digits right after '-'");
      recover();
      return;
    }
    form = Form::Number;
    text = "-" + std::string(lex_.take().text);
  } else {
    errorHere("expected a value (a text in double quotes, an integer, true, "
              "false or a literal)");
    recover();
    return;
  }
  if (!expect(Tok::Semi, "';'")) {
    recover();
    return;
  }
  if (!r.cls)
    return;
  const zrep::ClassInfo &c = *mm_.classInfo(r.cls);
  TypeId id = mm_.attrId(r.cls, attr);
  if (!id) {
    if (mm_.endId(r.cls, attr)) {
      diags_.error(at, quoted(attr) + " is a role of " + className(r.cls) +
                           ": its partners are written '" +
                           zrep::printable(attr, 60) + " -> NAME, ...;'");
      return;
    }
    std::vector<std::string_view> names;
    for (TypeId a : c.attrs)
      names.push_back(mm_.attrInfo(a)->name);
    diags_.error(at, "the class " + className(r.cls) + " has no attribute " +
                         quoted(attr) + didYouMean(attr, names));
    return;
  }
  for (const InstanceValue &v : r.values)
    if (v.attr == id) {
      diags_.error(at, quoted(attr) + " is set twice");
      diags_.note(v.at, quoted(attr) + " is first set here");
      return;
    }
  const zrep::AttrInfo &a = *mm_.attrInfo(id);
  std::string takes;
  switch (a.kind) {
  case zrep::AttrKind::String:
    if (form != Form::Text)
      takes = "a text in double quotes";
    break;
  case zrep::AttrKind::Integer:
    if (form != Form::Number)
      takes = "an integer";
    else if (!values_.checkValue(id, text))
      takes = "an integer from -2147483648 to 2147483647";
    break;
  case zrep::AttrKind::Boolean:
    if (form == Form::Number ||
        (form == Form::Word && text != "true" && text != "false"))
      takes = "true or false";
    break;
  case zrep::AttrKind::Enum: {
    const zrep::EnumInfo &e =
        mm_.enums()[static_cast<std::size_t>(a.enumIndex)];
    if (form == Form::Number) {
      takes = "a literal of " + quoted(e.name);
      break;
    }
    if (values_.checkValue(id, text))
      break;
    std::vector<std::string_view> literals(e.literals.begin(),
                                           e.literals.end());
    diags_.error(valueAt, quoted(text) + " is no literal of the enumeration " +
                              quoted(e.name) + didYouMean(text, literals));
    return;
  }
  }
  if (!takes.empty()) {
    diags_.error(valueAt, "the attribute " + quoted(attr) + " of " +
                              className(r.cls) + " takes " + takes);
    return;
  }
  r.values.push_back({id, std::move(text), at});
}

void Reader::listing(InstanceRecord &r, const std::string &role,
                     std::uint32_t at) {
  InstanceListing l{0, at, {}};
  do {
    InstancePartner p;
    if (!name(p.name, p.at, "an object name")) {
      recover();
      return;
    }
    l.partners.push_back(std::move(p));
  } while (lex_.peek().kind == Tok::Comma && (lex_.take(), true));
  if (!expect(Tok::Semi, "';'")) {
    recover();
    return;
  }
  if (!r.cls)
    return;
  l.end = mm_.endId(r.cls, role);
  if (!l.end) {
    if (mm_.attrId(r.cls, role)) {
      diags_.error(at, quoted(role) + " is an attribute of " +
                           className(r.cls) + ": its value is written '" +
                           zrep::printable(role, 60) + " = VALUE;'");
      return;
    }
    std::vector<std::string_view> roles;
    for (TypeId e : mm_.classInfo(r.cls)->ends)
      roles.push_back(mm_.endInfo(e)->role);
    diags_.error(at, "the class " + className(r.cls) + " has no role " +
                         quoted(role) + didYouMean(role, roles));
    return;
  }
  for (const InstanceListing &other : r.links)
    if (other.end == l.end) {
      diags_.error(at, "the partners of " + quoted(role) +
                           " are written twice; list them all at once");
      diags_.note(other.at, quoted(role) + " is first written here");
      return;
    }
  r.links.push_back(std::move(l));
}

void Reader::resolve() {
  std::vector<std::string_view> names;
  for (InstanceRecord &r : records_) {
    for (InstanceListing &l : r.links) {
      const zrep::EndInfo &e = *mm_.endInfo(l.end);
      std::unordered_map<std::string_view, std::uint32_t> listed;
      for (InstancePartner &p : l.partners) {
        auto [seen, fresh] = listed.try_emplace(p.name, p.at);
        if (!fresh) {
          diags_.error(p.at, quoted(p.name) + " is listed twice for " +
                                 quoted(e.role));
          diags_.note(seen->second, quoted(p.name) + " is first listed here");
          continue;
        }
        auto it = byName_.find(p.name);
        if (it == byName_.end()) {
          if (names.empty())
            for (const InstanceRecord &o : records_)
              names.push_back(o.name);
          diags_.error(p.at, "unknown object " + quoted(p.name) +
                                 didYouMean(p.name, names));
          continue;
        }
        p.object = it->second;
        TypeId cls = records_[static_cast<std::size_t>(p.object)].cls;
        if (cls && !mm_.fitsTarget(l.end, cls))
          diags_.error(p.at, quoted(p.name) + " is of class " + className(cls) +
                                 ", but the role " + quoted(e.role) +
                                 " leads to " + className(e.target));
      }
    }
  }
}

std::string Reader::repositoryText() const {
  std::string out =
      "{\"format\": \"zeva-repository\", \"version\": 1, \"objects\": [\n";
  for (std::size_t o = 0; o < records_.size(); ++o) {
    const InstanceRecord &r = records_[o];
    out += o ? ",\n{\"id\": " : "{\"id\": ";
    out += std::to_string(o + 1);
    out += ", \"class\": ";
    appendQuoted(out, mm_.classInfo(r.cls)->name);
    out += ", \"attrs\": {";
    for (std::size_t k = 0; k < r.values.size(); ++k) {
      out += k ? ", " : "";
      appendQuoted(out, mm_.attrInfo(r.values[k].attr)->name);
      out += ": ";
      appendQuoted(out, r.values[k].text);
    }
    out += "}, \"links\": {";
    for (std::size_t k = 0; k < r.links.size(); ++k) {
      out += k ? ", " : "";
      appendQuoted(out, mm_.endInfo(r.links[k].end)->role);
      out += ": [";
      for (std::size_t i = 0; i < r.links[k].partners.size(); ++i)
        out +=
            (i ? ", " : "") + std::to_string(r.links[k].partners[i].object + 1);
      out += "]";
    }
    out += "}}";
  }
  return out + "\n]}\n";
}

} // namespace

std::unique_ptr<zrep::Repository>
importInstances(const SourceFile &file, Diagnostics &diags,
                std::shared_ptr<const zrep::Metamodel> mm) {
  if (!checkEncoding(file, diags))
    return nullptr;
  Reader reader(file, diags, mm ? *mm : zrep::Metamodel::builtin());
  reader.readFile();
  reader.resolve();
  if (diags.errorCount() == 0)
    reader.checkLinks();
  if (diags.errorCount() != 0)
    return nullptr;
  zrep::LoadResult r = zrep::loadRepositoryText(reader.repositoryText(),
                                                file.name(), std::move(mm));
  // The checks above find what the loader refuses; should one be missed,
  // the loader's word is reported.
  std::string prefix = file.name() + ": error: ";
  for (std::string &p : r.problems)
    diags.error(0, "the repository refuses the model: " +
                       (p.compare(0, prefix.size(), prefix) == 0
                            ? p.substr(prefix.size())
                            : p));
  return diags.errorCount() == 0 ? std::move(r.repo) : nullptr;
}

} // namespace notation

// The syntax colouring of editors/vscode: its manifest, the grammar's
// structure, and the scopes a small TextMate tokenizer gives sample texts
// with the grammar's rules. The regexes run on std::regex, so they must keep
// to the subset it shares with the editors' engine.
#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <rapidjson/istreamwrapper.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using rapidjson::Value;
using Scopes = std::vector<std::string>;

const fs::path kExtension = fs::path(ZEVA_SOURCE_DIR) / "editors/vscode";

rapidjson::Document load(const fs::path &file) {
  std::ifstream in(file);
  EXPECT_TRUE(in.is_open()) << file;
  rapidjson::IStreamWrapper stream(in);
  rapidjson::Document doc;
  doc.ParseStream(stream);
  EXPECT_FALSE(doc.HasParseError()) << file;
  return doc;
}

const rapidjson::Document &grammar() {
  static const rapidjson::Document doc =
      load(kExtension / "syntaxes/zeva.tmLanguage.json");
  return doc;
}

std::string text(const Value &v, const char *key) {
  return v.IsObject() && v.HasMember(key) && v[key].IsString()
             ? v[key].GetString()
             : "";
}

/// Begin/end and match rules, captures with patterns, includes of the
/// repository and of $self; the end pattern wins ties, as in the editor.
class Tokenizer {
public:
  /// The scopes of each character of `source`, a line feed included.
  std::vector<Scopes> run(const std::string &source) {
    std::vector<Frame> stack{{&grammar(), {"source.zeva"}, {"source.zeva"}}};
    std::vector<Scopes> out;
    std::istringstream lines(source);
    for (std::string line; std::getline(lines, line);) {
      out.resize(out.size() + line.size());
      tokenize(line, stack, out.data() + out.size() - line.size());
      out.push_back(stack.back().content);
    }
    return out;
  }

  /// The rule an include names; null when it names none.
  static const Value *resolve(const std::string &include) {
    const Value &repo = grammar()["repository"];
    if (include == "$self")
      return &grammar();
    bool named = include.starts_with("#") && repo.HasMember(&include[1]);
    return named ? &repo[&include[1]] : nullptr;
  }

private:
  struct Frame {
    const Value *rule;
    Scopes outer, content; ///< with the rule's name; and its contentName
  };
  using Groups = std::vector<std::pair<std::size_t, std::size_t>>;

  void collect(const Value &rule, std::vector<const Value *> &out) {
    for (const Value &p : rule["patterns"].GetArray()) {
      const Value *r =
          p.HasMember("include") ? resolve(text(p, "include")) : &p;
      if (!r)
        ADD_FAILURE() << "unresolved include " << text(p, "include");
      else if (r->HasMember("match") || r->HasMember("begin"))
        out.push_back(r);
      else
        collect(*r, out);
    }
  }

  Groups search(const std::string &line, std::size_t from,
                const std::string &pattern) {
    auto [it, fresh] = regexes_.try_emplace(pattern);
    if (fresh)
      it->second = std::regex(pattern, std::regex::ECMAScript);
    std::smatch m;
    Groups groups;
    if (std::regex_search(line.begin() + static_cast<long>(from), line.end(), m,
                          it->second,
                          from ? std::regex_constants::match_prev_avail
                               : std::regex_constants::match_default))
      for (std::size_t i = 0; i < m.size(); ++i)
        groups.emplace_back(m[i].matched ? from + m.position(i) : line.npos,
                            m.length(i));
    return groups;
  }

  void capture(const std::string &line, const Groups &groups, const Value &rule,
               const char *key, const Scopes &scopes, Scopes *out) {
    std::fill_n(out + groups[0].first, groups[0].second, scopes);
    if (!rule.HasMember(key))
      key = "captures";
    for (std::size_t g = 0; rule.HasMember(key) && g < groups.size(); ++g) {
      auto [at, length] = groups[g];
      std::string number = std::to_string(g);
      if (at == line.npos || !rule[key].HasMember(number.c_str()))
        continue;
      const Value &c = rule[key][number.c_str()];
      for (std::size_t i = at; i < at + length && c.HasMember("name"); ++i)
        out[i].push_back(text(c, "name"));
      std::vector<Frame> inner{{&c, out[at], out[at]}};
      if (c.HasMember("patterns") && length)
        tokenize(line.substr(at, length), inner, out + at);
    }
  }

  void tokenize(const std::string &line, std::vector<Frame> &stack,
                Scopes *out) {
    for (std::size_t pos = 0;;) {
      Frame top = stack.back();
      std::vector<const Value *> rules;
      if (top.rule->HasMember("end"))
        rules.push_back(nullptr);
      if (top.rule->HasMember("patterns"))
        collect(*top.rule, rules);
      const Value *best = nullptr;
      Groups found;
      for (const Value *r : rules) {
        Groups groups = search(line, pos,
                               !r                      ? text(*top.rule, "end")
                               : r->HasMember("match") ? text(*r, "match")
                                                       : text(*r, "begin"));
        if (!groups.empty() &&
            (found.empty() || groups[0].first < found[0].first)) {
          found = groups;
          best = r;
        }
      }
      std::size_t stop = found.empty() ? line.size() : found[0].first;
      std::fill(out + pos, out + stop, top.content);
      if (found.empty())
        return;
      if (!best) {
        stack.pop_back();
        capture(line, found, *top.rule, "endCaptures", top.outer, out);
      } else if (!found[0].second) {
        ADD_FAILURE() << "empty match in: " << line;
        return;
      } else {
        Scopes scopes = top.content;
        if (best->HasMember("name"))
          scopes.push_back(text(*best, "name"));
        capture(line, found, *best, "beginCaptures", scopes, out);
        if (best->HasMember("begin")) {
          stack.push_back({best, scopes, scopes});
          if (best->HasMember("contentName"))
            stack.back().content.push_back(text(*best, "contentName"));
        }
      }
      pos = found[0].first + found[0].second;
    }
  }

  std::map<std::string, std::regex> regexes_;
};

/// A text with the scopes of its characters.
struct Coloured {
  explicit Coloured(std::string source)
      : text(std::move(source)), scopes(Tokenizer().run(text)) {}

  /// Checks each case: `token`, found in the first `context`, has `scope`
  /// on every character; a scope written "!scope" is on none.
  void expect(std::initializer_list<std::array<const char *, 3>> cases) {
    for (auto [context, token, scope] : cases) {
      std::size_t at = text.find(context),
                  in = std::string(context).find(token);
      ASSERT_TRUE(at != text.npos && in != text.npos) << context;
      bool absent = scope[0] == '!';
      std::string wanted = absent ? scope + 1 : scope;
      for (std::size_t i = 0; i < std::string(token).size(); ++i) {
        const Scopes &s = scopes[at + in + i];
        bool has = std::find(s.begin(), s.end(), wanted) != s.end();
        if (has == absent) {
          ADD_FAILURE() << "'" << token << "' in '" << context << "': " << scope
                        << "; character " << i << ": "
                        << testing::PrintToString(s);
          break;
        }
      }
    }
  }

  std::string text;
  std::vector<Scopes> scopes;
};

Coloured sample() {
  std::ifstream in(fs::path(ZEVA_SOURCE_DIR) / "tests/editors/library.zeva");
  std::stringstream text;
  text << in.rdbuf();
  return Coloured(text.str());
}

TEST(EditorGrammar, ManifestContributesTheLanguageAndGrammar) {
  rapidjson::Document manifest = load(kExtension / "package.json");
  ASSERT_TRUE(manifest.IsObject());
  const Value &language = manifest["contributes"]["languages"][0];
  EXPECT_EQ(text(language, "id"), "zeva");
  EXPECT_STREQ(language["extensions"][0].GetString(), ".zeva");
  const Value &entry = manifest["contributes"]["grammars"][0];
  EXPECT_EQ(text(entry, "language"), "zeva");
  EXPECT_EQ(text(entry, "scopeName"), text(grammar(), "scopeName"));
  EXPECT_TRUE(fs::equivalent(kExtension / text(entry, "path"),
                             kExtension / "syntaxes/zeva.tmLanguage.json"));

  rapidjson::Document config =
      load(kExtension / text(language, "configuration"));
  ASSERT_TRUE(config.IsObject());
  EXPECT_EQ(text(config["comments"], "lineComment"), "//");
  std::set<std::string> brackets;
  for (const Value &pair : config["brackets"].GetArray())
    brackets.insert(std::string(pair[0].GetString()) + pair[1].GetString());
  EXPECT_EQ(brackets, (std::set<std::string>{"()", "[]", "{}"}));
}

// Every regex compiles, every begin has an end, every include resolves, every
// scope is the language's, and no repository entry is left unused.
TEST(EditorGrammar, IsWellFormed) {
  const Value &g = grammar();
  ASSERT_TRUE(g.IsObject());
  EXPECT_EQ(text(g, "scopeName"), "source.zeva");
  EXPECT_STREQ(g["fileTypes"][0].GetString(), "zeva");
  std::set<std::string> used;
  auto check = [&](auto &self, const Value &rule) -> void {
    for (const char *key : {"match", "begin", "end"})
      if (rule.HasMember(key)) {
        try {
          std::regex(text(rule, key), std::regex::ECMAScript);
        } catch (const std::regex_error &e) {
          ADD_FAILURE() << text(rule, key) << ": " << e.what();
        }
      }
    EXPECT_EQ(rule.HasMember("begin"), rule.HasMember("end"));
    for (const char *key : {"name", "contentName"})
      if (rule.HasMember(key)) {
        EXPECT_TRUE(text(rule, key).ends_with(".zeva")) << text(rule, key);
      }
    if (rule.HasMember("include")) {
      std::string include = text(rule, "include");
      EXPECT_TRUE(Tokenizer::resolve(include)) << include;
      used.insert(include);
    }
    for (const char *key : {"captures", "beginCaptures", "endCaptures"})
      if (rule.HasMember(key))
        for (const auto &c : rule[key].GetObject())
          self(self, c.value);
    if (rule.HasMember("patterns"))
      for (const Value &p : rule["patterns"].GetArray())
        self(self, p);
  };
  for (const Value &p : g["patterns"].GetArray())
    check(check, p);
  for (const auto &entry : g["repository"].GetObject())
    check(check, entry.value);
  for (const auto &entry : g["repository"].GetObject())
    EXPECT_TRUE(used.count("#" + std::string(entry.name.GetString())))
        << entry.name.GetString() << " is never included";
}

TEST(EditorGrammar, ColoursDeclarationsKeywordsAndLinks) {
  sample().expect({
      {"// A lending library", "// A lending",
       "comment.line.double-slash.zeva"},
      {"project Library", "project", "storage.type.zeva"},
      {"\"library/Library.zvp\"", "library/", "string.quoted.double.zeva"},
      {"class ReferenceBook : Book", "ReferenceBook", "entity.name.type.zeva"},
      {"String [0..1]", "..", "keyword.operator.range.zeva"},
      {"[*] ordered composite", "composite", "storage.modifier.zeva"},
      {"LoanStatus { Open", "Open", "variable.other.enummember.zeva"},
      {"(Library.books", "books", "variable.other.property.zeva"},
      {"unit lib compile", "lib", "entity.name.namespace.zeva"},
      {"procedure main()", "main", "entity.name.function.zeva"},
      {"rule findLib {", "rule", "keyword.control.zeva"},
      {"rule findLib {", "findLib", "entity.name.label.zeva"},
      {"foreach each1", "each1", "!keyword.other.zeva"},
      {"Book @single", "single", "storage.type.annotation.zeva"},
      {"lib -books-> b;", "-books->", "meta.link.zeva"},
      {"lib -books-> b;", "books", "variable.other.role.zeva"},
      {"lib -books-> b;", "->", "keyword.operator.link.zeva"},
      {"findLib else -> end;", "else", "keyword.control.zeva"},
      {"findLib else -> end;", "->", "keyword.operator.flow.zeva"},
  });
}

TEST(EditorGrammar, ScopesRawExpressionsAsEmbedded) {
  sample().expect({
      {"where name = \"City", "where", "!meta.embedded.expression.zeva"},
      {"name = \"City Library\";", "name = \"City Library\"",
       "meta.embedded.expression.zeva"},
      {"\"City Library\";", "City Library", "string.quoted.double.zeva"},
      {"\"City Library\";", ";", "!meta.embedded.expression.zeva"},
      // The expression goes on on the next line.
      {"and\n          isAvailable;", "isAvailable",
       "meta.embedded.expression.zeva"},
      {"copies > 0 and", "and", "keyword.operator.logical.zeva"},
      {":= copies - 1;", "copies - 1", "meta.embedded.expression.zeva"},
      {"when b.copies = 0;", "b.copies = 0", "meta.embedded.expression.zeva"},
      {":= false;", "false", "constant.language.boolean.zeva"},
      {"= printReport(", "printReport", "entity.name.function.zeva"},
      {"(\"Available books: \" + toString(available)",
       "\"Available books: \" + toString(available)",
       "meta.embedded.expression.zeva"},
      {"toString(available)", "toString", "support.function.builtin.zeva"},
      {"(available));", ");", "!meta.embedded.expression.zeva"},
  });
}

TEST(EditorGrammar, ColoursQuotedNamesEscapesAndExplicitForms) {
  Coloured(R"(package "My Unit" unit compile {
  procedure p(x: Lib::Book#2) {
    rule r @{ElemType = "", paramNumber = "7"} {
      a: Lib::Library where name = "a;b" and size(name) > 2;
      "end": Book where `title <> ""\n and true`;
      a -(Lib::Member.library, Lib::Library.#3)-> "end";
      a -- b;
      a -role#2-> b;
      b.(Lib::Book.title) := `x;y`;
    }
  }
})")
      .expect({
          {"\"My Unit\"", "My Unit", "entity.name.namespace.zeva"},
          {"unit compile", "compile", "!entity.name.namespace.zeva"},
          {"Lib::Book#2", "Lib::Book#2", "entity.name.type.zeva"},
          {"ElemType = ", "ElemType", "entity.other.attribute-name.zeva"},
          {"\"a;b\" and size", "a;b\" and size",
           "meta.embedded.expression.zeva"},
          {"\"end\": Book", "end", "!keyword.control.zeva"},
          {"`title <>", "title", "meta.embedded.expression.zeva"},
          {"\"\"\\n and", "\\n", "constant.character.escape.zeva"},
          {"\\n and true`", "and", "keyword.operator.logical.zeva"},
          {"-(Lib::Member.library", "Member", "entity.name.type.zeva"},
          {"Member.library", "library", "variable.other.property.zeva"},
          {"#3)-> \"end\"", "->", "keyword.operator.link.zeva"},
          {"a -- b", "--", "keyword.operator.link.plain.zeva"},
          {"-role#2->", "role#2", "variable.other.role.zeva"},
          {"`x;y`;", "x;y", "meta.embedded.expression.zeva"},
          {"y`;", ";", "!meta.embedded.expression.zeva"},
      });
}

} // namespace

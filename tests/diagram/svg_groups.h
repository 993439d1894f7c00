// Reading the drawn ZEVA elements back from an SVG diagram.
#pragma once

#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <unistd.h>

namespace diagramtest {

/// An SVG group of the diagram: its kind ("node", "cluster", "edge") and
/// its other classes ("zeva zeva-rule").
struct Group {
  std::string kind, classes;
  int count = 0;
};

/// The groups with an id "z<digits>", by id; `count` says how often an id
/// was seen.
inline std::map<std::string, Group> zevaGroups(const std::string &svg) {
  std::map<std::string, Group> out;
  static const std::regex re("<g id=\"(z[0-9]+)\" class=\"([a-z]+) ([^\"]*)\"");
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), re);
       it != std::sregex_iterator(); ++it) {
    std::string classes = (*it)[3];
    for (std::size_t p; (p = classes.find("&#45;")) != std::string::npos;)
      classes.replace(p, 5, "-");
    Group &g = out[(*it)[1]];
    g.kind = (*it)[2];
    g.classes = classes;
    ++g.count;
  }
  return out;
}

/// Whether `classes` holds the class `word`.
inline bool hasClass(const std::string &classes, const std::string &word) {
  return (" " + classes + " ").find(" " + word + " ") != std::string::npos;
}

/// Whether an XML parser (Python's expat) takes the text as well-formed;
/// true when there is no python3 to ask.
inline bool wellFormedXml(const std::string &text, std::string &error) {
  if (std::system("command -v python3 >/dev/null 2>&1") != 0)
    return true;
  char path[] = "/tmp/zeva_diagram_xml_XXXXXX";
  int fd = ::mkstemp(path);
  if (fd < 0)
    return false;
  ::close(fd);
  std::ofstream(path, std::ios::binary) << text;
  std::string cmd = std::string("python3 -c 'import sys, xml.dom.minidom; "
                                "xml.dom.minidom.parse(sys.argv[1])' ") +
                    path + " 2>&1";
  FILE *p = ::popen(cmd.c_str(), "r");
  char buf[512];
  while (p && std::fgets(buf, sizeof buf, p))
    error += buf;
  int status = p ? ::pclose(p) : -1;
  std::remove(path);
  return status == 0;
}

} // namespace diagramtest

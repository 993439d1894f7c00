//===- styles.h - How each kind of diagram element looks --------*- C++ -*-===//
#pragma once

#include "graph_description.h"

namespace zdiagram::style {

inline const char *const kCreateColor = "#1a7f37";
inline const char *const kDeleteColor = "#cf222e";

inline const Attrs kGraph = {
    {"compound", "true"},      {"rankdir", "TB"},  {"newrank", "true"},
    {"fontname", "Helvetica"}, {"fontsize", "12"}, {"labelloc", "t"},
    {"labeljust", "l"},        {"nodesep", "0.3"}, {"ranksep", "0.35"},
    {"bgcolor", "white"},      {"pad", "0.1"},
};
inline const Attrs kNodeDefaults = {
    {"fontname", "Helvetica"}, {"fontsize", "11"}, {"margin", "0.14,0.05"}};
inline const Attrs kEdgeDefaults = {
    {"fontname", "Helvetica"}, {"fontsize", "10"}, {"arrowsize", "0.7"}};

inline const Attrs kStart = {{"shape", "circle"},    {"style", "filled"},
                             {"fillcolor", "black"}, {"width", "0.22"},
                             {"height", "0.22"},     {"fixedsize", "true"},
                             {"label", ""}};
inline const Attrs kEnd = {{"shape", "doublecircle"},
                           {"style", "filled"},
                           {"fillcolor", "black"},
                           {"width", "0.16"},
                           {"height", "0.16"},
                           {"fixedsize", "true"},
                           {"label", ""}};
inline const Attrs kText = {{"shape", "box"},
                            {"style", "rounded,filled"},
                            {"fillcolor", "#fff8e1"},
                            {"color", "#8a6d1d"}};
inline const Attrs kCall = {{"shape", "box"},
                            {"style", "rounded,filled"},
                            {"fillcolor", "#eaf1fb"},
                            {"color", "#2f5b9a"}};
inline const Attrs kRule = {{"fontname", "Helvetica"},
                            {"style", "rounded,filled"},
                            {"fillcolor", "#f6f8fa"},
                            {"color", "#57606a"},
                            {"fontsize", "11"}};
inline const Attrs kLoop = {
    {"fontname", "Helvetica"}, {"style", "rounded,dashed"},
    {"color", "#2f5b9a"},      {"fontcolor", "#2f5b9a"},
    {"penwidth", "1.4"},       {"fontsize", "11"}};
inline const Attrs kAnchor = {{"shape", "point"},
                              {"style", "invis"},
                              {"width", "0.01"},
                              {"height", "0.01"},
                              {"label", ""}};
inline const Attrs kHelper = {{"shape", "plaintext"}, {"fontcolor", "#888888"}};
inline const Attrs kFlow = {{"color", "#24292f"}, {"penwidth", "1.2"}};

inline const Attrs kElement = {{"shape", "box"},
                               {"style", "filled"},
                               {"fillcolor", "white"},
                               {"color", "#24292f"}};
inline const Attrs kLink = {{"color", "#57606a"}};

} // namespace zdiagram::style

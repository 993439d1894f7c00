//===- commands.h - The subcommands of zevac --------------------*- C++ -*-===//
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zevac {

/// Exit statuses of every subcommand.
enum ExitStatus { kExitOk = 0, kExitCompileErrors = 1, kExitFailure = 2 };

struct CompileOptions {
  std::string model;   ///< MODEL.json
  std::string output;  ///< OUT.json; empty: back into the model file
  std::string listing; ///< listing file, "-" for stdout, empty for none
  std::string module;  ///< compiler module; empty for the default
  bool stats = false;
  bool quiet = false;
  bool lint = false;   ///< print the coded warnings before compiling
  bool werror = false; ///< any warning makes the exit status at least 1
};

struct CheckOptions {
  std::string model;   ///< MODEL.json
  bool lint = false;   ///< print the coded warnings
  bool werror = false; ///< any warning makes the exit status 1
};

struct RunOptions {
  std::string compiled; ///< COMPILED.json
  std::string model;    ///< INSTANCE.json
  std::string output;   ///< OUT.json; empty: back into the instance file
  std::string unit;
  std::string metamodel;
  std::vector<std::string> natives;
  bool trace = false;
  bool stats = false;
  bool quiet = false;
};

struct DiagramOptions {
  std::string model;     ///< MODEL (.json or .zeva)
  std::string procedure; ///< NAME; empty: every procedure, one file each
  std::string output;    ///< FILE.svg, or a folder without `procedure`
};

struct ReportOptions {
  std::string model;  ///< MODEL (.json or .zeva)
  std::string output; ///< report.html
};

/// `status`, or, when standard output could not be written, kExitFailure
/// after a message saying why.
int finishStandardOutput(int status);

int runCompile(const CompileOptions &opts);
int runCheck(const CheckOptions &opts);
/// Writes the repository file of a notation file (default: its name with
/// ".json").
int runImport(const std::string &model, const std::string &output);
/// Writes a model as notation text (default: a repository file's name with
/// ".zeva", standard output for a notation file; "-": standard output).
int runExport(const std::string &model, const std::string &output);
/// As runImport and runExport for an instance model of the metamodel
/// script `script` (the instance form of the notation).
int runImportInstances(const std::string &model, const std::string &output,
                       const std::string &script);
int runExportInstances(const std::string &model, const std::string &output,
                       const std::string &script);
/// Runs a compiled program on an instance model.
int runRun(const RunOptions &opts);
/// Draws one procedure, or every procedure into a folder, as SVG.
int runDiagram(const DiagramOptions &opts);
/// Writes the HTML report of a model.
int runReport(const ReportOptions &opts);
int runMetamodel(const std::string &format);
/// Explains message `topic` (a number, "crash", or a warning code such as
/// "L3"); lists every message and warning when there is no topic.
int runExplain(const std::optional<std::string> &topic);

} // namespace zevac

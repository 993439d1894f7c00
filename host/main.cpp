//===- main.cpp - The zevac command ---------------------------------------===//
//
// zevac compile | check | import | export | run | diagram | report |
// metamodel | explain. Each subcommand is declared once
// in the table below; the work is in commands.cpp.
//
//===----------------------------------------------------------------------===//

#include "commands.h"
#include "standard_output.h"

#include <CLI/CLI.hpp>

#include <functional>
#include <iostream>
#include <new>

#ifndef ZEVAC_VERSION
#define ZEVAC_VERSION "unknown"
#endif

namespace {

struct Options {
  zevac::CompileOptions compile;
  zevac::RunOptions run;
  zevac::DiagramOptions diagram;
  zevac::ReportOptions report;
  zevac::CheckOptions check;
  std::string notationInput, notationOutput, notationMetamodel;
  std::string format = "json";
  std::optional<std::string> explain;
};

struct Subcommand {
  const char *name;
  const char *description;
  std::function<void(CLI::App &, Options &)> declare;
  std::function<int(const Options &)> run;
};

/// A file name given as an option must not be empty: an empty output would
/// mean the input itself.
const CLI::Validator kFileName(
    [](std::string &name) {
      return name.empty() ? std::string("an empty file name") : std::string();
    },
    "", "file name");

/// --lint and --werror, shared by check and compile; --werror implies
/// --lint.
void addLintFlags(CLI::App &cmd, bool &lint, bool &werror) {
  cmd.add_flag("--lint", lint,
               "Also print coded warnings (L1, L2, ...) for mistakes that "
               "compile without a message");
  cmd.add_flag("--werror", werror,
               "With --lint (implied): any warning makes the exit status 1");
}

const Subcommand kSubcommands[] = {
    {"compile",
     "Compile the transformation in MODEL.json (or MODEL.zeva) and store "
     "the Kel program and the compiler messages in the repository",
     [](CLI::App &cmd, Options &o) {
       cmd.add_option("MODEL.json", o.compile.model,
                      "Repository file or notation file (.zeva)")
           ->required()
           ->check(kFileName);
       cmd.add_option("-o,--output", o.compile.output,
                      "Write the repository here instead of back into "
                      "MODEL.json")
           ->type_name("OUT.json")
           ->check(kFileName);
       cmd.add_option("--listing", o.compile.listing,
                      "Write a listing of the Kel program ('-': stdout)")
           ->type_name("FILE|-")
           ->check(kFileName);
       cmd.add_option("--module", o.compile.module,
                      "Load the compiler module from PATH")
           ->type_name("PATH")
           ->check(kFileName);
       cmd.add_flag("--stats", o.compile.stats,
                    "Print load, compile and save times and object counts");
       cmd.add_flag("--quiet", o.compile.quiet,
                    "Do not print the compiler messages, the warnings on "
                    "load and the files written beside the repository");
       addLintFlags(cmd, o.compile.lint, o.compile.werror);
     },
     [](const Options &o) { return zevac::runCompile(o.compile); }},
    {"check", "Load and validate MODEL.json; write nothing",
     [](CLI::App &cmd, Options &o) {
       cmd.add_option("MODEL.json", o.check.model,
                      "Repository file or notation file (.zeva)")
           ->required()
           ->check(kFileName);
       addLintFlags(cmd, o.check.lint, o.check.werror);
     },
     [](const Options &o) { return zevac::runCheck(o.check); }},
    {"import",
     "Read a model written in the notation (MODEL.zeva) and write its "
     "repository file",
     [](CLI::App &cmd, Options &o) {
       cmd.add_option("MODEL.zeva", o.notationInput, "Notation file")
           ->required()
           ->check(kFileName);
       cmd.add_option("-o,--output", o.notationOutput,
                      "Repository file to write (default: MODEL.json)")
           ->type_name("OUT.json")
           ->check(kFileName);
       cmd.add_option("--metamodel", o.notationMetamodel,
                      "Read an instance model of the classes of this "
                      "metamodel script")
           ->type_name("MMscript.txt")
           ->check(kFileName);
     },
     [](const Options &o) {
       return o.notationMetamodel.empty()
                  ? zevac::runImport(o.notationInput, o.notationOutput)
                  : zevac::runImportInstances(o.notationInput, o.notationOutput,
                                              o.notationMetamodel);
     }},
    {"export",
     "Write a model (repository file or notation file) as canonical "
     "notation text",
     [](CLI::App &cmd, Options &o) {
       cmd.add_option("MODEL", o.notationInput,
                      "Repository file or notation file")
           ->required()
           ->check(kFileName);
       cmd.add_option("-o,--output", o.notationOutput,
                      "Notation file to write (default: MODEL.zeva for a "
                      "repository file, standard output for a notation "
                      "file; '-': standard output)")
           ->type_name("OUT.zeva|-")
           ->check(kFileName);
       cmd.add_option("--metamodel", o.notationMetamodel,
                      "Write an instance model of the classes of this "
                      "metamodel script")
           ->type_name("MMscript.txt")
           ->check(kFileName);
     },
     [](const Options &o) {
       return o.notationMetamodel.empty()
                  ? zevac::runExport(o.notationInput, o.notationOutput)
                  : zevac::runExportInstances(o.notationInput, o.notationOutput,
                                              o.notationMetamodel);
     }},
    {"run",
     "Run the compiled program in COMPILED.json on the instance model "
     "INSTANCE.json and save the changed model",
     [](CLI::App &cmd, Options &o) {
       cmd.add_option("COMPILED.json", o.run.compiled,
                      "Compiled repository (zevac compile)")
           ->required()
           ->check(kFileName);
       cmd.add_option("--model", o.run.model,
                      "Instance model: a repository file of the program's "
                      "class model, or a notation file (.zeva) of it")
           ->type_name("INSTANCE.json")
           ->required()
           ->check(kFileName);
       cmd.add_option("-o,--output", o.run.output,
                      "Write the changed model here instead of back into "
                      "INSTANCE.json (for INSTANCE.zeva: INSTANCE.json "
                      "beside it)")
           ->type_name("OUT.json")
           ->check(kFileName);
       cmd.add_option("--unit", o.run.unit,
                      "Run the main procedure of this unit (when several "
                      "units have one)")
           ->type_name("NAME");
       cmd.add_option("--metamodel", o.run.metamodel,
                      "Metamodel script to use instead of the one the "
                      "program names (useMM)")
           ->type_name("FILE")
           ->check(kFileName);
       cmd.add_option("--natives", o.run.natives,
                      "Library with the external procedures "
                      "(Kel_Func_ext_NAME); may be repeated")
           ->type_name("LIB.so")
           ->check(kFileName);
       cmd.add_flag("--trace", o.run.trace,
                    "Print each flow end the run passes, and what each rule "
                    "matched");
       cmd.add_flag("--stats", o.run.stats,
                    "Print load, check, run and save times and counts");
       cmd.add_flag("--quiet", o.run.quiet,
                    "Do not name the files the program wrote");
     },
     [](const Options &o) { return zevac::runRun(o.run); }},
    {"diagram",
     "Draw a procedure of MODEL (its control flow and its rules' patterns) "
     "as SVG; without --procedure, every procedure into a folder",
     [](CLI::App &cmd, Options &o) {
       cmd.add_option("MODEL", o.diagram.model,
                      "Repository file or notation file (.zeva)")
           ->required()
           ->check(kFileName);
       cmd.add_option("--procedure", o.diagram.procedure,
                      "The procedure to draw: its name, or UNIT::NAME when "
                      "several units have one of that name")
           ->type_name("NAME");
       cmd.add_option("-o,--output", o.diagram.output,
                      "SVG file to write (with --procedure), else the folder "
                      "for one SVG file per procedure")
           ->type_name("FILE.svg|DIR")
           ->required()
           ->check(kFileName);
     },
     [](const Options &o) { return zevac::runDiagram(o.diagram); }},
    {"report",
     "Write one self-contained HTML page of MODEL: every procedure's "
     "diagram beside its Kel listing and its messages",
     [](CLI::App &cmd, Options &o) {
       cmd.add_option("MODEL", o.report.model,
                      "Repository file (compiled or not) or notation file "
                      "(.zeva)")
           ->required()
           ->check(kFileName);
       cmd.add_option("-o,--output", o.report.output, "HTML file to write")
           ->type_name("report.html")
           ->required()
           ->check(kFileName);
     },
     [](const Options &o) { return zevac::runReport(o.report); }},
    {"metamodel", "Print the built-in repository metamodel",
     [](CLI::App &cmd, Options &o) {
       cmd.add_option("--format", o.format, "Output format")
           ->check(CLI::IsMember({"json", "md"}))
           ->type_name("json|md");
     },
     [](const Options &o) { return zevac::runMetamodel(o.format); }},
    {"explain",
     "Explain a compiler message or a warning: what causes it and how to "
     "fix it; without NUMBER, list all messages and warnings",
     [](CLI::App &cmd, Options &o) {
       cmd.add_option("NUMBER", o.explain,
                      "Message number, 'crash' for the crash message, or "
                      "a warning code such as L3")
           ->type_name("");
     },
     [](const Options &o) { return zevac::runExplain(o.explain); }},
};

} // namespace

int main(int argc, char **argv) {
  zevac::captureStandardOutput();
  CLI::App app{"zevac: the ZEVA transformation compiler", "zevac"};
  app.set_version_flag("--version", "zevac " ZEVAC_VERSION);
  app.require_subcommand(1);
  Options opts;
  std::vector<std::pair<CLI::App *, const Subcommand *>> commands;
  for (const Subcommand &s : kSubcommands) {
    CLI::App *cmd = app.add_subcommand(s.name, s.description);
    s.declare(*cmd, opts);
    commands.emplace_back(cmd, &s);
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError &e) {
    int code = app.exit(e);
    return code == 0 ? zevac::kExitOk : zevac::kExitFailure;
  }
  // Running out of memory, or any other failure that unwinds this far, is
  // one line and the failure status, never an abort.
  try {
    for (auto &[cmd, s] : commands)
      if (cmd->parsed())
        return s->run(opts);
  } catch (const std::bad_alloc &) {
    std::cerr << "zevac: error: out of memory\n";
  } catch (const std::exception &e) {
    std::cerr << "zevac: error: " << e.what() << '\n';
  }
  return zevac::kExitFailure;
}

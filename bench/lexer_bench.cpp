//===- lexer_bench.cpp - Lexing very long expression texts ----------------===//
//
// GetLexems and ClearLexems on texts of 64 KB to 1 MB: the cost must grow
// with the text, not with its square, however the text is split.
//
//===----------------------------------------------------------------------===//

#include "../compiler/expressions/lexer.h"
#include "../compiler/program/cleanup.h"
#include "connection.h"
#include "kel_var.h"
#include "repository.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace kel;

namespace {

/// Lines of ordinary expressions, strings and blanks included, repeated to
/// `bytes` characters.
std::string expressionText(std::size_t bytes) {
  const std::string line = "self.total := (price * count + 1) - \"a, b\" , "
                           "f(x, y->name) <> NULL and n >= 2\r\n";
  std::string text;
  while (text.size() + line.size() <= bytes)
    text += line;
  return text;
}

void BM_GetAndClearLexems(benchmark::State &state) {
  std::string text = expressionText(static_cast<std::size_t>(state.range(0)));
  zrep::Repository repo;
  zrep::connect(&repo);
  std::size_t lexems = 0;
  for (auto _ : state) {
    RepositoryUser::raiseGeneration(); // one compiler run per iteration
    Kel_Var_2 lexem("Le");
    zeva::GetLexems(text, lexem);
    state.PauseTiming();
    lexems = repo.objectCount();
    state.ResumeTiming();
    zeva::ClearLexems();
  }
  zrep::connect(nullptr);
  state.counters["lexems"] = static_cast<double>(lexems);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
  state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK(BM_GetAndClearLexems)
    ->Arg(64 << 10)
    ->Arg(256 << 10)
    ->Arg(1 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK_MAIN();

//===- logger.cpp - The runtime's trace log -------------------------------===//

#include "logger.h"

#include "dialogs.h"

#include <cstdio>
#include <filesystem>

namespace kel::logger {

namespace {

std::FILE *gFile = nullptr;
bool gOpened = false; ///< An open was tried; a failed one is not retried.
int gLevel = 0;

std::FILE *file() {
  if (!gOpened) {
    gOpened = true;
    gFile = std::fopen("Kel_trace.txt", "w");
    if (!gFile) {
      std::error_code ec;
      std::string dir = std::filesystem::current_path(ec).string();
      showMessage("Can not open file \"" + dir + "\\Kel_trace.txt" + "\".");
    }
  }
  return gFile;
}

} // namespace

void write(const std::string &text) {
  if (std::FILE *f = file()) {
    for (int i = 0; i < gLevel; ++i)
      std::fputs("   ", f);
    std::fwrite(text.data(), 1, text.size(), f);
  }
}

void endLine() {
  if (std::FILE *f = file()) {
    std::fputc('\n', f);
    std::fflush(f);
  }
}

void indent() { ++gLevel; }

void outdent() {
  if (gLevel > 0)
    --gLevel;
}

void close() {
  if (gFile)
    std::fclose(gFile);
  gFile = nullptr;
  gOpened = false;
  gLevel = 0;
}

} // namespace kel::logger

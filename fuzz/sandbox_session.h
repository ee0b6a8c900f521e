// A headless session on a sandbox folder of its own (drive C: is the sandbox), shared by
// the fuzz targets that drive the program's procedures directly.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "platform/headless/session.h"
#include "viewer/file_view.h"

struct SandboxSession {
  std::ostringstream out;
  std::unique_ptr<tembra::headless::Session> session;
  std::string root;
  ~SandboxSession() {
    session.reset();
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
  explicit SandboxSession(const char* prefix = "sandbox") {
    std::string tmpl = std::string("/tmp/tembra-fuzz-") + prefix + "-XXXXXX";
    root = mkdtemp(tmpl.data());
    setenv("TEMBRA_DRIVES", ("C=" + root).c_str(), 1);
    tembra::headless::Options o;
    o.cwd = root;
    o.clock = "2026-01-02 10:00:00";
    char here[4096];
    if (!getcwd(here, sizeof here)) here[0] = 0;
    session = std::make_unique<tembra::headless::Session>(o, out);
    // The fuzzer's corpus folders are relative to where it was started.
    if (here[0] && chdir(here) != 0) __builtin_trap();
  }
};

// libFuzzer target for the configuration tokenizer and keyword interpreter: the input is
// a configuration file, each line split by LineParse and interpreted by bParse1Config.
// Drive C: is mapped to a private sandbox folder, so that keywords that name files (the
// trace log) can touch nothing else. Fatal errors and ends of the program unwind here.
#include <stdlib.h>
#include <unistd.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "sandbox_session.h"
#include "fileops/fileops_state.h"
#include "config/config_state.h"

using namespace tembra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SandboxSession h;
  h.out.str(std::string());
  Lister& l = h.session->lister();
  l.zCurDir = "C:\\";
  l.nClientWidth = 80 * 120;
  l.nClientHeight = 25 * 200;
  l.View().InitViewerTables();
  l.FileWork().nDelRules = 0;
  l.Config().nExtTable = 0;
  std::string text(reinterpret_cast<const char*>(data), size);
  size_t pos = 0;
  try {
    while (pos <= text.size()) {
      size_t eol = text.find('\n', pos);
      std::string line = text.substr(pos, eol == std::string::npos ? std::string::npos : eol - pos);
      pos = eol == std::string::npos ? text.size() + 1 : eol + 1;
      l.LineParse(line);
      if (l.Config().nParms < 0 || l.Config().nParms > 128) __builtin_trap();
      if (!l.bParse1Config(line)) break;
      if (l.Config().nExtTable > 63 || l.FileWork().nDelRules > 63 || l.View().nTabStops.size() != 64) __builtin_trap();
    }
  } catch (const headless::ProcessEnded&) {
  }
  return 0;
}

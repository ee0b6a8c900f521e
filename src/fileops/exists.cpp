// Existence look-up used by start-up, the commands and the configuration.
#include "core/lister.h"

namespace tembra {

int Lister::DoesFileExist(const std::string& ZFQN) {
  if (ZFQN.empty()) return -1;
  // A final "\" is dropped: "C:\dir\file\" names the file.
  if (ZFQN.size() > 1 && ZFQN.back() == '\\') return DoesFileExist(ZFQN.substr(0, ZFQN.size() - 1));
  // A bare drive ("C:") counts as a directory.
  if (ZFQN.size() == 2 && ZFQN[1] == ':') return P.files.Exists(ZFQN + "\\") == 1 ? 1 : -1;
  return P.files.Exists(ZFQN);
}

}  // namespace tembra

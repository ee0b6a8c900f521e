// Number fields: a number formatted with a pattern, right-aligned to the pattern's length.
#include "core/lister.h"

namespace tembra {

std::string Lister::qbFl(double nLong, const std::string& ZFormat) {
  std::string s = Format(nLong, ZFormat);
  if (s.size() < ZFormat.size()) s = Space(static_cast<long>(ZFormat.size() - s.size())) + s;
  return s;
}

std::string Lister::vxFD(double Doubler, const std::string& ZFormat) { return qbFl(Doubler, ZFormat); }

}  // namespace tembra

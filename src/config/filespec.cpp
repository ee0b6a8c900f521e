// File specifications: name patterns, date ranges and size ranges for the directory view.
#include <algorithm>

#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "dirlist/entry_list.h"

namespace tembra {

namespace {

// Value of one size part: its leading number times the units it names.
double SizePart(const std::string& part) {
  double v = Val(part);
  if (InStr(part, "K") > 0) v *= 1024;
  if (InStr(part, "M") > 0) v *= 1048576;
  if (InStr(part, "G") > 0) v *= 1073741824;
  return v;
}

int32_t ToInt32(double v) {
  return static_cast<int32_t>(RoundHalfEven(std::clamp(v, -2147483648.0, 2147483647.0)));
}

}  // namespace

void Lister::ParseFileSpec(const std::string& zInSpec) {
  std::string spec = Trim(zInSpec);
  if (spec == "*") {
    Entries().ClearFilters();
    return;
  }
  if (Left(spec, 1) == ">") spec = UCase(spec);

  if (Left(spec, 2) == ">D") {
    std::string T = Mid(spec, 2);
    long p = InStr(T, "-");
    if (p == 0) {
      std::string d = zDateFix(Mid(T, 2));
      if (Entries().zDateTo.empty() || d <= Entries().zDateTo) {
        Entries().zDateFrom = d;
      } else {
        VXERROR(MsgText(Msg::VX1028));
        Entries().zDateFrom.clear();
        Entries().zDateTo.clear();
      }
    } else if (p == 2) {
      std::string d = zDateFix(Mid(T, 3));
      if (Entries().zDateFrom.empty() || d >= Entries().zDateFrom) {
        Entries().zDateTo = d;
      } else {
        VXERROR(MsgText(Msg::VX1028));
        Entries().zDateFrom.clear();
        Entries().zDateTo.clear();
      }
    } else {
      Entries().zDateFrom = zDateFix(Mid(T, 2, p - 2));
      Entries().zDateTo = zDateFix(Mid(T, p + 1));
      // An unreadable bound means no bound and is not compared.
      if (!Entries().zDateFrom.empty() && !Entries().zDateTo.empty() && Entries().zDateFrom > Entries().zDateTo) {
        VXERROR(MsgText(Msg::VX1028Range));
        Entries().zDateFrom.clear();
        Entries().zDateTo.clear();
      }
    }
    return;
  }

  if (Left(spec, 2) == ">S" || Left(spec, 2) == ">Z") {
    std::string T = Mid(spec, 3);
    long p = InStr(T, "-");
    std::string minPart, maxPart;
    if (p == 0) {
      minPart = T;
    } else if (p == 1) {
      Entries().nSizeMin = 0;
      maxPart = Mid(T, 2);
    } else {
      minPart = Left(T, p - 1);
      maxPart = Mid(T, p + 1);
    }
    if (!minPart.empty()) {
      double v = std::clamp(SizePart(minPart), 0.0, 1073741824.0);  // no file is smaller than 0
      Entries().nSizeMin = ToInt32(v);
      Entries().nSizeMax = 2147483647;
    }
    if (!maxPart.empty()) {
      double v = SizePart(maxPart);
      if (v > 2147483647.0) v = 0;
      Entries().nSizeMax = ToInt32(v);
    }
    return;
  }

  std::string f = zInSpec;
  if (InStr(f, ".") == 0) f += InStr(f, "*") > 0 ? ".*" : "*.*";
  f = Trim(NameU(f));
  if (f == "*.*" || f == "*") f.clear();
  Entries().zNameFilter = f;
}

std::string Lister::zDateFix(const std::string& zDateIn) {
  std::string d = zDateIn;
  if (InStr(d, "/") > 0) {
    if (Mid(d, 2, 1) == "/") d = "0" + d;
    if (Mid(d, 5, 1) == "/") d = Left(d, 3) + "0" + Mid(d, 4);
    if (d.size() == 7) d = Left(d, 6) + "0" + Mid(d, 7);
    d = Left(d, 6) + (Mid(d, 7, 1) > "7" ? "19" : "20") + Mid(d, 7);
    if (d.size() != 10) return std::string();
    return Mid(d, 7, 4) + Left(d, 2) + Mid(d, 4, 2);
  }
  if (d.size() == 6) return (Left(d, 1) > "7" ? "19" : "20") + d;
  return d;
}

}  // namespace tembra

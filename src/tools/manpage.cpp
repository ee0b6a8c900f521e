// tembra-manpage TEMPLATE OUTPUT: writes the manual page tembra.1 from its template,
// with the version label for "@VERSION@" and the key reference for the line "@KEYS@".
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "core/usage.h"
#include "input/key_reference.h"

namespace {
// A text as roff shows it literally: backslashes escaped, no request at a line's start.
std::string Roff(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out += "\\e";
    else if (c == '-') out += "\\-";
    else out += c;
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out = "\\&" + out;
  return out;
}

std::string KeySections() {
  std::string out;
  for (const tembra::KeySection& section : tembra::KeyReference()) {
    out += ".SS " + std::string(section.title) + "\n";
    for (const tembra::KeyRow& row : section.rows) {
      out += ".TP\n.B " + Roff(tembra::PlainKeyText(row.key)) + "\n";
      out += Roff(tembra::PlainKeyText(row.action)) + "\n";
    }
  }
  return out;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: tembra-manpage TEMPLATE OUTPUT\n";
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::cerr << "tembra-manpage: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::ostringstream page;
  std::string line;
  while (std::getline(in, line)) {
    if (line == "@KEYS@") {
      page << KeySections();
      continue;
    }
    for (size_t at = line.find("@VERSION@"); at != std::string::npos; at = line.find("@VERSION@"))
      line.replace(at, 9, tembra::VersionLabel());
    page << line << "\n";
  }
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << page.str();
  out.close();
  if (!out) {
    std::cerr << "tembra-manpage: cannot write " << argv[2] << "\n";
    return 1;
  }
  return 0;
}

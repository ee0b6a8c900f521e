// tembra: the lister in a terminal. Every argument is part of the program's command line.
#include <clocale>
#include <exception>

#include "platform/terminal/frontend.h"

int main(int argc, char** argv) {
  std::setlocale(LC_CTYPE, "");
  tembra::terminal::FrontEnd frontEnd(argc, argv);
  return frontEnd.Run();
}

// The engine of work on many entries as one command, for bench/copy:
//   copy_bench copy|move SOURCE... FOLDER   copies or moves the entries into the folder
//   copy_bench rename FROM TO               one rename(2), the floor of a move
// Prints the summary; the exit status is 0 when every entry was done.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fileops/batch.h"
#include "platform/posix/posix_platform.h"

using namespace tembra;

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: copy_bench copy|move SOURCE... FOLDER | rename FROM TO\n");
    return 2;
  }
  const std::string work = argv[1];
  if (work == "rename") return std::rename(argv[2], argv[3]) == 0 ? 0 : 1;
  posix::PosixFileSystem files;
  std::vector<std::string> sources;
  for (int i = 2; i < argc - 1; ++i) sources.push_back(files.WinPathOfHost(argv[i]));
  BatchSummary s = CopyOrMoveEntries(files, work == "move" ? BatchWork::kMove : BatchWork::kCopy, sources,
                                     files.WinPathOfHost(argv[argc - 1]), BatchCallbacks());
  std::printf("done %lld skipped %lld failed %lld refused %d%s%s\n", static_cast<long long>(s.done),
              static_cast<long long>(s.skipped), static_cast<long long>(s.failed), static_cast<int>(s.refused),
              s.failed ? ": " : "", s.failed ? (s.firstFailure.path + ": " + s.firstFailure.reason).c_str() : "");
  return s.failed == 0 && s.refused == BatchRefusal::kNone ? 0 : 1;
}

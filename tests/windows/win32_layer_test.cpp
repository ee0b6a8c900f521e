// Checks of the Win32 layer itself, run under Wine (or on Windows) by scripts/windows.sh:
// the find functions, file times, shared reads, copy/rename/delete, the recycle bin and
// its contents, the calls of the work on many entries (and the engine over them),
// current directories, processes, standard input viewed as a file, the upper-case
// conversions, the window's font measurement, drawing and the clipboard, and the
// contract on the unit tests' file system in memory. Prints "N passed, M failed".
#include "platform/win32/gui/desktop.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <sddl.h>

#include "../unit/platform/entries_contract.h"
#include "../unit/platform/filesystem_contract.h"
#include "archive/tar_reader.h"
#include "fileops/batch.h"
#include "core/text.h"
#include "platform/memory/memory_files.h"
#include "platform/win32/win32_platform.h"

using namespace tembra;
using namespace tembra::win32;

namespace {
int passed = 0, failed = 0;

void Check(bool ok, const char* what, const std::string& detail = "") {
  if (ok) {
    ++passed;
  } else {
    ++failed;
    std::printf("FAIL: %s %s\n", what, detail.c_str());
  }
}

void FileChecks(Win32FileSystem& fs, const std::string& root) {
  std::string dir = root + "\\files";
  ::CreateDirectoryA(dir.c_str(), nullptr);
  const contract::ContractFiles files =
      contract::FileSystemContract(fs, dir, [](bool ok, const char* what, const std::string& detail) {
        Check(ok, what, detail);
      });
  const std::string &a = files.a, &b = files.b, &c = files.c;
  // A move within the volume is a rename; it replaces only when asked. A copy told to
  // stop by its progress report leaves nothing behind.
  Check(fs.SameFileSystem(c, dir + "\\moved.txt"), "one volume");
  Check(fs.MoveByRename(c, a, false) != 0 && fs.Exists(c) == 0, "move by rename keeps an existing target");
  Check(fs.MoveByRename(c, b, false) == 0 && fs.Exists(b) == 0 && fs.Exists(c) == -1, "move by rename");
  Check(fs.MoveByRename(b, c, false) == 0, "move by rename, back");
  int reports = 0;
  fs.copyProgress = [&](int64_t, int64_t) { return ++reports, false; };
  const bool cancelled = fs.CopyFile(a, b, true) != 0;
  fs.copyProgress = nullptr;
  Check(reports == 0 || (cancelled && fs.Exists(b) == -1), "a cancelled copy leaves no file");
  if (!cancelled) fs.DeleteFile(b);
  int err = fs.DeleteFile(dir + "\\missing.txt");
  Check(err != 0 && !fs.ErrorText(err).empty(), "delete of a missing file reports", fs.ErrorText(err));

  // The find functions: names, sizes, attributes and short names.
  FindData d;
  FindHandle f = fs.FindFirstFile(dir + "\\*", d);
  Check(f != kInvalidFind, "find first");
  bool sawA = false, sawLong = false, sawDot = false;
  int count = 0;
  while (f != kInvalidFind) {
    ++count;
    if (d.cFileName == ".") sawDot = (d.dwFileAttributes & kAttrDirectory) != 0;
    if (d.cFileName == "a.txt") sawA = d.nFileSizeLow == 28 && d.nFileSizeHigh == 0 && d.ftLastWriteTime > 0;
    if (d.cFileName == "A Long Name With Blanks.text") sawLong = !d.cAlternateFileName.empty();
    if (!fs.FindNextFile(f, d)) break;
  }
  fs.FindClose(f);
  Check(sawDot, "find lists the folder's own entry as a directory");
  Check(sawA, "find data of a file");
  Check(sawLong, "a long name has a short name");
  Check(count == 5, "find lists every entry", std::to_string(count));
  Check(fs.FindFirstFile(dir + "\\*.none", d) == kInvalidFind, "find of no match");
  Check(fs.ShortPathName(c).find('~') != std::string::npos, "short path name", fs.ShortPathName(c));

  // File times: 1970-01-01 00:00:00 UTC in ticks since 1601.
  DateTime t = fs.FileTimeToSystemTime(116444736000000000ull);
  Check(t.year == 1970 && t.month == 1 && t.day == 1 && t.hour == 0 && t.minute == 0, "file time to system time");
  uint64_t local = fs.FileTimeToLocalFileTime(116444736000000000ull);
  Check(local >= 116444736000000000ull - 14ull * 36000000000ull &&
            local <= 116444736000000000ull + 14ull * 36000000000ull,
        "file time to local file time");
  Check(fs.TouchFile(c) == 0, "touch");

  // The recycle bin, without and with a refused confirmation.
  struct Refuse : Dialogs {
    int asked = 0;
    int MsgBox(const std::string&, const std::string&, MsgButtons) override { return ++asked, kAnswerNo; }
    bool InputBox(const std::string&, const std::string&, const std::string&, std::string&) override { return false; }
    void Beep() override {}
  } refuse;
  fs.confirmDialogs = &refuse;
  Check(fs.RecycleFile(c, true) == kRecycleRefused && refuse.asked == 1 && fs.Exists(c) == 0,
        "a refused recycle keeps the file");
  fs.confirmDialogs = nullptr;
  int rc = fs.RecycleFile(c, false);
  Check(rc == 0 && fs.Exists(c) == -1, "recycle", std::to_string(rc));
  Check(fs.RecycleFile(dir + "\\*.txt", false) != 0 && fs.Exists(a) == 0, "recycle refuses a pattern");
  Check(fs.DeleteFile(a) == 0 && fs.Exists(a) == -1, "delete");

  // Current directories, one per drive.
  std::string start = fs.CurrentDirectory();
  Check(fs.ChangeDirectory(dir) && fs.CurrentDirectory() == dir, "change directory", fs.CurrentDirectory());
  Check(fs.CurrentDirectoryOfDrive(dir[0]) == dir, "current directory of the drive", fs.CurrentDirectoryOfDrive(dir[0]));
  Check(!fs.ChangeDirectory(dir + "\\missing"), "change to a missing directory fails");
  Check(fs.CurrentDirectory() == dir, "a failed change keeps the directory");
  char other = dir[0] == 'C' ? 'Z' : 'C';
  if (fs.Exists(std::string(1, other) + ":\\") == 1) {
    Check(fs.ChangeDrive(other) && fs.CurrentDirectory()[0] == other, "change drive");
    Check(fs.ChangeDrive(dir[0]) && fs.CurrentDirectory() == dir, "back on a drive returns to its directory",
          fs.CurrentDirectory());
  }
  fs.ChangeDirectory(start);
}

// Names in UTF-8: written, found, copied, renamed and recycled under their own UTF-16
// names; the same file in the ANSI code page is what the A calls made of it.
// Compressed files and archive members: gzip decodes (zlib is linked), xz and tar say this
// build cannot read them, and an extraction stays in its folder and leaves no part behind.
void ArchiveChecks(Win32FileSystem& fs, const std::string& root) {
  const std::string dir = root + "\\archive";
  ::CreateDirectoryA(dir.c_str(), nullptr);
  const unsigned char gz[] = {0x1f, 0x8b, 8, 0, 0, 0, 0, 0, 0, 3, 0xcb, 0x48, 0xcd, 0xc9, 0xc9,
                              0xe7, 2, 0, 0x20, 0x30, 0x3a, 0x36, 6, 0, 0, 0};
  fs.WriteWholeFile(dir + "\\a.gz", std::string(reinterpret_cast<const char*>(gz), sizeof gz));
  fs.WriteWholeFile(dir + "\\a.xz", std::string("\xfd" "7zXZ\0\0\4", 8));
  for (const char* name : {"a.gz", "a.xz"}) {
    const FileHandle h = fs.OpenDecompressed(dir + "\\" + name);
    FileSystem::StreamState st;
    while ((st = fs.StreamStateOf(h)).running) ::Sleep(5);
    char text[16] = {};
    const long got = fs.ReadAt(h, 1, text, sizeof text);
    fs.CloseFile(h);
    if (name[2] == 'g') Check(got == 6 && std::string(text, 6) == "hello\n" && !st.fault, "a gzip file decoded");
    else Check(st.fault.kind == DataFault::kUnsupported && st.error == "this build cannot read xz files", "xz refused", st.error);
  }
  std::string block(512, '\0');
  block.replace(257, 5, "ustar");
  const archive::TarListing tar = archive::ListTar([&](int64_t pos, char* b, long n) {
    return static_cast<long>(block.copy(b, static_cast<size_t>(n), static_cast<size_t>(pos)));
  }, 512);
  Check(tar.recognised && tar.fault.text == "this build cannot read tar archives", "tar refused", tar.fault.text);
  ExtractItem item;
  item.name = "sub/b.txt";
  item.data = [](const ByteSink& put) { return put("member", 6), DataFault(); };
  Check(fs.ExtractMember(dir, item, false).kind == ExtractResult::kDone, "a member extracted");
  Check(fs.ExtractMember(dir, item, false).kind == ExtractResult::kExists, "an extracted member is not replaced unasked");
  std::string text;
  Check(fs.ReadWholeFile(dir + "\\sub\\b.txt", text) && text == "member", "an extracted member's bytes", text);
  for (const char* bad : {"..\\x", "C:x", "\\\\server\\x", "a:b", "con"}) {
    item.name = bad;
    Check(fs.ExtractMember(dir, item, false).kind == ExtractResult::kUnsafeName, "an unsafe member name refused", bad);
  }
  item.name = "sub/c.txt";
  item.data = [](const ByteSink& put) {
    put("part", 4);
    DataFault f;
    f.kind = DataFault::kDamaged;
    return f;
  };
  Check(fs.ExtractMember(dir, item, true).kind == ExtractResult::kFault, "a damaged member fails");
  FindData d;
  const FindHandle f = fs.FindFirstFile(dir + "\\sub\\*.*", d);
  int files = 0;
  for (bool more = f != kInvalidFind; more; more = fs.FindNextFile(f, d)) files += (d.dwFileAttributes & kAttrDirectory) == 0;
  if (f != kInvalidFind) fs.FindClose(f);
  Check(files == 1, "a failed extraction leaves no part behind", std::to_string(files));
}

void Utf8NameChecks(Win32FileSystem& fs, Win32Processes& p, const std::string& root) {
  const std::string dir = root + "\\\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1";  // Ωμέγα
  const std::wstring wdir = Wide(root) + L"\\\u03A9\u03BC\u03AD\u03B3\u03B1";
  ::CreateDirectoryW(wdir.c_str(), nullptr);
  fs.SetUtf8Names(true);
  const std::string name = "\xE6\x96\x87\xE4\xBB\xB6 \xCE\xB1\xCE\xB2\xCE\xB3 long name.txt";  // 文件 αβγ
  const std::string file = dir + "\\" + name;
  Check(fs.WriteWholeFile(file, "hello"), "UTF-8: write a Chinese and Greek name");
  Check(::GetFileAttributesW((wdir + L"\\\u6587\u4EF6 \u03B1\u03B2\u03B3 long name.txt").c_str()) !=
            INVALID_FILE_ATTRIBUTES,
        "UTF-8: the file has its UTF-16 name");
  FindData d;
  FindHandle f = fs.FindFirstFile(dir + "\\*.txt", d);
  Check(f != kInvalidFind && d.cFileName == name, "UTF-8: find gives the name's UTF-8 bytes", d.cFileName);
  Check(!d.cAlternateFileName.empty() && fs.Exists(dir + "\\" + d.cAlternateFileName) == 0,
        "UTF-8: the short name addresses the file", d.cAlternateFileName);
  fs.FindClose(f);
  std::string text;
  Check(fs.ReadWholeFile(file, text) && text == "hello", "UTF-8: read");
  const std::string copy = dir + "\\\xE5\xA4\x8D\xE5\x88\xB6.txt";  // 复制.txt
  Check(fs.CopyFile(file, copy, true) == 0 && fs.Exists(copy) == 0, "UTF-8: copy");
  const std::string renamed = dir + "\\\xCE\xA9mega.txt";
  Check(fs.RenameFile(copy, renamed) == 0 && fs.Exists(renamed) == 0 && fs.Exists(copy) == -1, "UTF-8: rename");
  Check(fs.ShortPathName(file).find('~') != std::string::npos, "UTF-8: short path name", fs.ShortPathName(file));
  std::string start = fs.CurrentDirectory();
  Check(fs.ChangeDirectory(dir) && fs.CurrentDirectory() == dir, "UTF-8: current directory", fs.CurrentDirectory());
  ::SetEnvironmentVariableW(L"TEMBRA_CHECK", wdir.c_str());
  Check(p.GetEnv("TEMBRA_CHECK") == dir, "UTF-8: environment value", p.GetEnv("TEMBRA_CHECK"));
  struct Record : Dialogs {
    std::string text;
    int MsgBox(const std::string& t, const std::string&, MsgButtons) override { return text = t, kAnswerNo; }
    bool InputBox(const std::string&, const std::string&, const std::string&, std::string&) override { return false; }
    void Beep() override {}
  } record;
  fs.confirmDialogs = &record;
  Check(fs.RecycleFile(renamed, true) == kRecycleRefused &&
            record.text == "Are you sure you want to move \"\xCE\xA9mega.txt\" to the Recycle Bin?",
        "UTF-8: the recycle question names the file", record.text);
  fs.confirmDialogs = nullptr;
  Check(fs.DeleteFile(renamed) == 0 && fs.Exists(renamed) == -1, "UTF-8: delete");
  // A program started with a UTF-8 command line gets the UTF-16 names.
  std::string comspec = p.GetEnv("COMSPEC");
  if (comspec.empty()) comspec = "cmd.exe";
  const std::string made = dir + "\\\xCE\xB4.txt";  // δ.txt
  Check(p.Run("\"" + comspec + "\" /C echo x>\"" + made + "\"", true) > 0 &&
            ::GetFileAttributesW((wdir + L"\\\u03B4.txt").c_str()) != INVALID_FILE_ATTRIBUTES,
        "UTF-8: a started program gets the names");
  fs.ChangeDirectory(start);
  const std::wstring commandLine = L"t.exe /Q \"" + wdir + L"\\\u6587\u4EF6 \u03B1\u03B2\u03B3 long name.txt\"";
  Check(CommandLineBytes(commandLine) == "/Q \"" + file + "\"", "UTF-8: the command line", CommandLineBytes(commandLine));

  // The ANSI code page (Windows-1252 here): a name of that set is its bytes, as before.
  fs.SetUtf8Names(false);
  // A name on the command line beyond the code page is given by its short path.
  const std::string args = CommandLineBytes(commandLine);
  Check(args.size() > 5 && args.rfind("/Q \"", 0) == 0 && args.find('~') != std::string::npos &&
            fs.Exists(args.substr(4, args.size() - 5)) == 0,
        "1252: a command-line name beyond the code page as its short path", args);
  Check(CommandLineBytes(L"t.exe  caf\u00E9 \"a b\"") == "caf\xE9 \"a b\"", "1252: the command line as before");
  const std::string cafe = root + "\\caf\xE9.txt";
  Check(fs.WriteWholeFile(cafe, "x") &&
            ::GetFileAttributesW((Wide(root) + L"\\caf\u00E9.txt").c_str()) != INVALID_FILE_ATTRIBUTES,
        "1252: a name of the set");
  f = fs.FindFirstFile(root + "\\caf*.txt", d);
  Check(f != kInvalidFind && d.cFileName == "caf\xE9.txt", "1252: find gives the name's bytes", d.cFileName);
  fs.FindClose(f);
  fs.DeleteFile(cafe);
  // A current folder beyond the code page is given by its short path, which reaches it;
  // in UTF-8 that short path is given back as the long one.
  ::SetCurrentDirectoryW(wdir.c_str());
  const std::string shortDir = fs.CurrentDirectory();
  Check(shortDir.find('~') != std::string::npos && fs.Exists(shortDir) == 1,
        "1252: a folder beyond the code page as its short path", shortDir);
  fs.SetUtf8Names(true);
  Check(fs.ChangeDirectory(shortDir) && fs.CurrentDirectory() == dir, "UTF-8: a short current folder as the long one",
        fs.CurrentDirectory());
  fs.SetUtf8Names(false);
  fs.ChangeDirectory(start);
}

void ProcessChecks(Win32Processes& p, const std::string& root) {
  Check(ArgumentsOf("\"C:\\Program Files\\t.exe\" /Q  a b") == "/Q  a b", "arguments after a quoted name");
  Check(ArgumentsOf("t.exe") == "", "no arguments");
  Check(ArgumentsOf("t.exe   x") == "x", "arguments after blanks");
  ::SetEnvironmentVariableA("TEMBRA_CHECK", "value 1");
  Check(p.GetEnv("TEMBRA_CHECK") == "value 1", "environment");
  Check(p.GetEnv("TEMBRA_NOT_SET") == "", "missing environment variable");
  Check(!p.AppPath().empty() && p.AppPath().back() != '\\', "own folder", p.AppPath());
  Check(p.AppExeName() == "tembra_win32_test.exe", "own name", p.AppExeName());

  std::string up = "abc \xE4\xF6\xFC\xE9 xyz";
  p.CharUpperBuffA(up);
  Check(up == "ABC \xC4\xD6\xDC\xC9 XYZ", "upper case of Windows-1252 bytes", up);
  std::u16string w = u"stra\u00DFe \u00E9\u03B1";
  p.CharUpperBuffW(w);
  Check(w == u"STRA\u00DFE \u00C9\u0391", "upper case of UTF-16");

  // A started program runs to its end before a waiting start returns.
  std::string flag = root + "\\ran.txt";
  std::string comspec = p.GetEnv("COMSPEC");
  if (comspec.empty()) comspec = "cmd.exe";
  long pid = p.Run("\"" + comspec + "\" /C echo done>\"" + flag + "\"", true);
  Check(pid > 0, "run and wait");
  Check(::GetFileAttributesA(flag.c_str()) != INVALID_FILE_ATTRIBUTES, "the started program ran");
  Check(p.Run("no-such-program-anywhere.exe", true) == 0, "a program that cannot start gives 0");
  // An extension of our own, associated with the system's text editor.
  HKEY key;
  if (::RegCreateKeyExA(HKEY_CLASSES_ROOT, ".tembracheck", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
    ::RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("tembracheckfile"), 16);
    ::RegCloseKey(key);
  }
  ::RegSetValueA(HKEY_CLASSES_ROOT, "tembracheckfile\\shell\\open\\command", REG_SZ,
                 "notepad.exe \"%1\"", 16);
  std::string assoc = root + "\\doc.tembracheck";
  ::DeleteFileA(assoc.c_str());
  HANDLE h = ::CreateFileA(assoc.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
  std::string exe = p.FindExecutable(assoc);
  Check(UCase(exe).find("NOTEPAD.EXE") != std::string::npos, "associated program of a file", exe);
  Check(p.FindExecutable(root + "\\missing.tembracheck").empty(), "no program for a missing file");
  ::RegDeleteTreeA(HKEY_CLASSES_ROOT, "tembracheckfile");
  ::RegDeleteTreeA(HKEY_CLASSES_ROOT, ".tembracheck");
}

std::vector<TextCell> Cells(const std::u32string& chars) {
  std::vector<TextCell> cells;
  for (char32_t c : chars) {
    if (c == U'\u0301') {
      cells.back().mark = c;
      continue;
    }
    cells.push_back(TextCell{c, 0, 1});
    if (c >= 0x3000) {  // the wide characters used here
      cells.back().width = 2;
      cells.push_back(TextCell{c, 0, 0});
    }
  }
  return cells;
}

// The pixels of the first line's cells, drawn one way, as text for comparison.
template <class Draw>
std::string Pixels(DesktopWindow& win, int cells, Draw draw) {
  win.FillRect(0, 0, 6000, 600, 0xFFFFFF);
  draw();
  std::string s;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < cells * 8 + 8; ++x) s += win.PixelAt(x, y) == 0xFFFFFF ? '.' : '#';
  return s;
}

// Decoded cells as UTF-16 with their advances.
void CellTextChecks() {
  std::vector<TextCell> cut = Cells(U"\u00E9\u6587\U00020000x\u0301\u6587");
  cut.pop_back();
  CellText t = CellsToUtf16(cut, 8);
  Check(t.text == L"\u00E9\u6587\U00020000x\u0301 ", "cells to UTF-16: pair, mark, half a wide character at the end");
  Check(t.dx == std::vector<INT>{8, 16, 0, 16, 8, 0, 8}, "cells to UTF-16: advances", std::to_string(t.dx.size()));
  std::vector<TextCell> odd = {TextCell{U'x', 0, 0}, TextCell{0xD800, 0, 1}, TextCell{0x110000, 0, 1}};
  t = CellsToUtf16(odd, 8);
  Check(t.text == L" \uFFFD\uFFFD" && t.dx == std::vector<INT>{8, 8, 8}, "cells to UTF-16: a lone second half, no characters");
  t = CellsToUtf16(Cells(U"e\u0301x"), 8);
  Check(t.text == L"\u00E9x" && t.dx == std::vector<INT>{8, 8}, "cells to UTF-16: a character and mark in precomposed form");
}

// What the window draws of decoded cells.
void CellChecks(DesktopWindow& win) {
  win.SetFontName("Courier New");
  win.SetForeColor(0);
  const std::string ansi = Pixels(win, 4, [&] { win.PrintAt(0, 0, "a\xE9\x80z"); });
  const std::string wide = Pixels(win, 4, [&] { win.PrintCellsAt(0, 0, Cells(U"a\u00E9\u20ACz")); });
  Check(ansi == wide && ansi.find('#') != std::string::npos, "cells draw Windows-1252 characters as the 1252 print does");
  const std::string omega = Pixels(win, 1, [&] { win.PrintCellsAt(0, 0, Cells(U"\u03A9")); });
  const std::string question = Pixels(win, 1, [&] { win.PrintAt(0, 0, "?"); });
  Check(omega.find('#') != std::string::npos && omega != question, "a Greek letter draws as itself, not as \"?\"");
  // After a wide character the next one starts two cells on, as after two blanks.
  win.SetBold(false);
  const std::string after = Pixels(win, 4, [&] {
    win.PrintCellsAt(0, 0, Cells(U"\u6587z"));
    win.FillRect(0, 0, static_cast<long>(win.TextWidth("  ")) - 15, 600, 0xFFFFFF);
  });
  const std::string spaced = Pixels(win, 4, [&] { win.PrintAt(0, 0, "  z"); });
  Check(after == spaced, "a wide character takes two cells");
}

// The clipboard's text in one format.
template <class Char>
std::basic_string<Char> Clip(DesktopWindow& win, UINT format) {
  std::basic_string<Char> text;
  if (::OpenClipboard(win.Handle())) {
    if (HANDLE g = ::GetClipboardData(format)) {
      if (const Char* s = static_cast<const Char*>(::GlobalLock(g))) {
        text = s;
        ::GlobalUnlock(g);
      }
    }
    ::CloseClipboard();
  }
  return text;
}

void WindowChecks() {
  DesktopWindow win;
  if (!win.Create(::GetModuleHandleW(nullptr))) {
    Check(false, "window creation");
    return;
  }
  win.SetFontName("Courier New");
  win.SetFontSize(10);
  std::printf("font: %s\n", win.ActualFontFace().c_str());
  double i = win.TextWidth("i"), m = win.TextWidth("M");
  Check(i > 0 && i == m, "a fixed-pitch face: i as wide as M");
  Check(win.TextWidth("II") == 2 * win.TextWidth("A"), "two characters twice as wide as one");
  Check(win.TextWidth("") == 0, "empty text has no width");
  win.SetBold(true);
  Check(win.TextWidth("1234") > 0, "bold measures");
  win.SetBold(false);
  // A proportional face measures as such (the first of these that is installed).
  bool measured = false;
  for (const char* face : {"Tahoma", "Arial", "Liberation Sans", "DejaVu Sans"}) {
    win.SetFontName(face);
    if (win.ActualFontFace() != face) continue;
    Check(win.TextWidth("i") < win.TextWidth("M"), "a proportional face: i narrower than M", face);
    measured = true;
    break;
  }
  if (!measured) std::printf("note: no proportional face installed to measure\n");
  win.SetFontName("Courier New");

  Check(win.TwipsPerPixelX() > 0 && win.ScreenWidth() > 0 && win.ScreenHeight() > 0, "screen metrics");
  win.SetOuterWidth(9000);
  win.SetOuterHeight(6000);
  long ow = win.OuterWidth(), cw = win.ClientWidth();
  Check(std::labs(ow - 9000) <= 15, "outer width", std::to_string(ow));
  Check(cw > 0 && cw <= ow && win.ClientHeight() <= win.OuterHeight(), "client inside the frame");

  win.SetCaption("TEMBRA \x95 DIR \x95 C:\\");
  wchar_t cap[64] = {0};
  ::GetWindowTextW(win.Handle(), cap, 64);
  Check(std::wstring(cap) == L"TEMBRA \u2022 DIR \u2022 C:\\", "caption with bullets");

  win.FillRect(0, 0, 1500, 300, 0x9F9F9F);
  Check(win.PixelAt(5, 5) == 0x9F9F9F, "fill rectangle");
  win.FillRect(0, 0, 1500, 300, 0xB7D5EE);
  win.SetForeColor(0x0000FF);
  win.PrintAt(0, 0, "MMMMMMMM");
  bool red = false;
  for (int y = 0; y < 16 && !red; ++y)
    for (int x = 0; x < 60 && !red; ++x) red = win.PixelAt(x, y) == 0x0000FF;
  Check(red, "text in the lettering colour");

  CellChecks(win);

  win.SetText("copied \x95 text");
  std::string got = Clip<char>(win, CF_TEXT);
  Check(got == "copied \x95 text", "clipboard text", got);
  // In UTF-8 the bytes stay as they are and other programs get the characters they spell.
  bool utf8 = true;
  win.FollowCharset(&utf8);
  win.SetText("caf\xC3\xA9 \x95");
  got = Clip<char>(win, CF_TEXT);
  Check(Clip<wchar_t>(win, CF_UNICODETEXT) == L"caf\u00E9 \u2022" && got == "caf\xC3\xA9 \x95", "UTF-8: clipboard text",
        got);
  win.FollowCharset(nullptr);
}
// Answers the next top-level window with this caption, as a user would: types the
// text into its answer field (when given) and presses the button.
std::thread Answer(const std::wstring& caption, int button, const std::wstring& text = L"") {
  return std::thread([=] {
    for (int i = 0; i < 500; ++i) {
      HWND w = ::FindWindowW(nullptr, caption.c_str());
      if (w && ::IsWindowVisible(w)) {
        ::Sleep(100);  // the box finishes setting itself up
        if (!text.empty()) ::SetDlgItemTextW(w, 100, text.c_str());
        ::PostMessageW(w, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        return;
      }
      ::Sleep(20);
    }
  });
}

// The input box with this caption (`shown` as the window has it), answered with OK after
// typing `typed` into it (when given).
bool Input(DesktopDialogs& dialogs, const std::wstring& shown, const std::string& caption, const std::string& def,
           const std::wstring& typed, std::string& answer) {
  std::thread t = Answer(shown, IDOK, typed);
  bool ok = dialogs.InputBox("prompt", caption, def, answer);
  t.join();
  return ok;
}

void DialogChecks() {
  DesktopWindow win;
  if (!win.Create(::GetModuleHandleW(nullptr))) return;
  DesktopDialogs dialogs(win);
  std::thread t = Answer(L"Box \u2022 check", IDNO);
  int rc = dialogs.MsgBox("VX8009 - question", "Box \x95 check", MsgButtons::YesNo);
  t.join();
  Check(rc == kAnswerNo, "message box answered No", std::to_string(rc));
  t = Answer(L"Box check 2", IDCANCEL);
  rc = dialogs.MsgBox("text", "Box check 2", MsgButtons::OKCancel);
  t.join();
  Check(rc == kAnswerCancel, "message box answered Cancel", std::to_string(rc));

  std::string answer;
  t = Answer(L"Input check 1", IDOK);
  bool ok = dialogs.InputBox("VX0011-Enter Size Specifications", "Input check 1", "default \xE9", answer);
  t.join();
  Check(ok && answer == "default \xE9", "input box keeps its default answer", answer);
  t = Answer(L"Input check 2", IDOK, L"typed \u00FC text");
  ok = dialogs.InputBox("prompt", "Input check 2", "x", answer);
  t.join();
  Check(ok && answer == "typed \xFC text", "input box returns the typed answer", answer);
  // In UTF-8 the texts are UTF-8 (a stray byte is its Windows-1252 character) and a
  // typed answer comes back as UTF-8; the character set is the one of the moment.
  bool utf8 = true;
  win.FollowCharset(&utf8);
  ok = Input(dialogs, L"Input \u2022 \u03A9", "Input \x95 \xCE\xA9", "caf\xC3\xA9 \xE6\x96\x87", L"", answer);
  Check(ok && answer == "caf\xC3\xA9 \xE6\x96\x87", "UTF-8: input box caption and default answer", answer);
  ok = Input(dialogs, L"Input check 4", "Input check 4", "x", L"CAF\u00C9 \u6587", answer);
  Check(ok && answer == "CAF\xC3\x89 \xE6\x96\x87", "UTF-8: the typed answer is UTF-8", answer);
  t = Answer(L"Box \u03A9", IDOK);
  rc = dialogs.MsgBox("text", "Box \xCE\xA9", MsgButtons::OK);
  t.join();
  Check(rc == kAnswerOK, "UTF-8: message box caption", std::to_string(rc));
  win.SetCaption("TEMBRA \x95 DIR \x95 C:\\\xCE\xA9\\");
  wchar_t cap[64] = {0};
  ::GetWindowTextW(win.Handle(), cap, 64);
  Check(std::wstring(cap) == L"TEMBRA \u2022 DIR \u2022 C:\\\u03A9\\", "UTF-8: caption");
  utf8 = false;
  ok = Input(dialogs, L"Input check 5", "Input check 5", "x", L"caf\u00E9", answer);
  Check(ok && answer == "caf\xE9", "the set of the moment: Windows-1252 again", answer);
  t = Answer(L"Input check 3", IDCANCEL, L"ignored");
  ok = dialogs.InputBox("prompt", "Input check 3", "x", answer);
  t.join();
  Check(!ok && answer.empty(), "cancelled input box");
}
// Standard input named on the command line: "-", or nothing named; then read through a
// file that grows, to the writer's end, and the same bytes when viewed again.
void StandardInputChecks(Win32FileSystem& fs, const std::string& root) {
  std::string problem;
  ::SetStdHandle(STD_INPUT_HANDLE, nullptr);
  Check(ArgumentsWithStandardInput("-", false, true, problem) == "-" && !problem.empty(), "no standard input to view");
  HANDLE r = nullptr, w = nullptr;
  ::CreatePipe(&r, &w, nullptr, 0);
  ::SetStdHandle(STD_INPUT_HANDLE, r);
  ArgumentsWithStandardInput("-", false, false, problem);
  Check(!problem.empty(), "standard input holding the script is not viewed");
  const char* const cases[][3] = {{"/Q-S \"a - b.txt\",'-' -- -", "", "/Q-S \"a - b.txt\",<stdin> -- -"},
                                  {"/Q-S", "implicit", "/Q-S <stdin>"}, {"a.txt", "implicit", "a.txt"}, {"/Q-S", "", "/Q-S"}};
  for (const auto& c : cases)
    Check(ArgumentsWithStandardInput(c[0], *c[1] != 0, true, problem) == c[2] && problem.empty(), "standard input named", c[0]);
  const std::string name = root + "\\" + kStandardInputName;
  Check(fs.StreamKind(name) == FileSystem::kStandardInput && fs.Exists(name) == 0, "standard input's name");
  FindData d;
  bool listed = false;
  const FindHandle f = fs.FindFirstFile(root + "\\*", d);
  for (bool more = f != kInvalidFind; more; more = fs.FindNextFile(f, d)) listed = listed || d.cFileName == kStandardInputName;
  fs.FindClose(f);
  Check(listed, "its folder lists standard input");
  DWORD put = 0;
  ::WriteFile(w, "one\r\ntwo\r\n", 10, &put, nullptr);
  FileHandle h = fs.OpenStream(name);
  for (int i = 0; i < 1000 && fs.FileLength(h) < 10; ++i) ::Sleep(10);
  Check(fs.StreamStateOf(h).running, "the pipe's writer is still open");
  ::CloseHandle(w);
  for (int i = 0; i < 1000 && fs.StreamStateOf(h).running; ++i) ::Sleep(10);
  Check(!fs.StreamStateOf(h).running && fs.StreamStateOf(h).stop == FileSystem::StreamStop::kEnd, "the pipe's end");
  fs.CloseFile(h);
  h = fs.OpenStream(name);
  char got[16] = {0};
  Check(fs.ReadAt(h, 1, got, 16) == 10 && std::string(got) == "one\r\ntwo\r\n", "standard input viewed again", got);
  fs.CloseFile(h);
}

// The file system in memory of the unit tests keeps the same contract in this build.
void MemoryChecks() {
  memory::MemoryFileSystem fs;
  fs.PutFolder("C:\\contract");
  contract::FileSystemContract(fs, "C:\\contract", [](bool ok, const char* what, const std::string& detail) {
    Check(ok, ("memory: " + std::string(what)).c_str(), detail);
  });
}
}  // namespace


// The calls of the work on many entries and the engine over them; links where the host
// makes them; a move across volumes (the rename told to fail as across volumes); the
// Recycle Bin's contents and their restoration, on a bin of the test's drive.
void EntryChecks(Win32FileSystem& fs, const std::string& root) {
  const std::string dir = root + "\\entries";
  ::CreateDirectoryA(dir.c_str(), nullptr);
  contract::EntriesContract(fs, dir, [](bool ok, const char* what, const std::string& detail) { Check(ok, what, detail); });
  const std::string link = dir + "\\link";
  // Wine's CreateSymbolicLink says it made a link and makes nothing.
  if ((::CreateSymbolicLinkA(link.c_str(), "src\\a.txt", 2 /* without the right to make links */) ||
       ::CreateSymbolicLinkA(link.c_str(), "src\\a.txt", 0)) &&
      fs.Exists(link) != -1) {
    Check(fs.Inspect(link).kind == EntryKind::kLink, "a link is a link");
    Check(fs.CopyLink(link, dir + "\\link2", false) == 0 && fs.CompareContents(link, dir + "\\link2") == 0,
          "a link copied as a link");
  } else {
    std::printf("note: this host makes no symbolic links; a link in a tree fails with its reason\n");
  }
  ::SetEnvironmentVariableA("TEMBRA_SIMULATE_OTHER_FILE_SYSTEM", "1");
  ::CreateDirectoryA((dir + "\\mv").c_str(), nullptr);
  fs.WriteWholeFile(dir + "\\mv\\x.txt", "x");
  ::CreateDirectoryA((dir + "\\to").c_str(), nullptr);
  BatchSummary moved = CopyOrMoveEntries(fs, BatchWork::kMove, {dir + "\\mv"}, dir + "\\to", BatchCallbacks());
  ::SetEnvironmentVariableA("TEMBRA_SIMULATE_OTHER_FILE_SYSTEM", nullptr);
  Check(moved.done == 2 && fs.Exists(dir + "\\to\\mv\\x.txt") == 0 && fs.Exists(dir + "\\mv") == -1,
        "a move across volumes: copied, checked, the original in the bin", moved.firstFailure.reason);
  std::printf("note: the bin recorded %zu entries of that move\n", moved.trashed.size());

  // A bin of the test's drive with one entry described in format 2.
  HANDLE token = nullptr;
  DWORD size = 0;
  ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token);
  ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<char> user(size);
  char* sid = nullptr;
  ::GetTokenInformation(token, TokenUser, user.data(), size, &size);
  ::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &sid);
  ::CloseHandle(token);
  const std::string bin = root.substr(0, 3) + "$Recycle.Bin", mine = bin + "\\" + (sid ? sid : "");
  ::LocalFree(sid);
  ::CreateDirectoryA(bin.c_str(), nullptr);
  ::CreateDirectoryA(mine.c_str(), nullptr);
  const std::wstring original = std::wstring(dir.begin(), dir.end()) + L"\\gone\\back.txt";
  std::string info(28, '\0');
  const uint64_t version = 2, ticks = 116444736000000000ull;
  const uint32_t length = static_cast<uint32_t>(original.size() + 1);
  std::memcpy(&info[0], &version, 8);
  std::memcpy(&info[16], &ticks, 8);
  std::memcpy(&info[24], &length, 4);
  info.append(reinterpret_cast<const char*>(original.c_str()), length * 2);
  fs.WriteWholeFile(mine + "\\$IAB12CD.txt", info);
  fs.WriteWholeFile(mine + "\\$RAB12CD.txt", "restored");
  std::vector<TrashItem> items = fs.TrashContents();
  const TrashItem* item = nullptr;
  for (const TrashItem& t : items)
    if (t.name == "back.txt") item = &t;
  Check(item && item->original == dir + "\\gone\\back.txt" && item->deleted.size() == 19, "the bin lists its entry",
        item ? item->original + " " + item->deleted : std::to_string(items.size()));
  if (!item) return;
  const TrashItem entry = *item;
  fs.WriteWholeFile(dir + "\\in-the-way.txt", "x");
  Check(fs.RestoreTrashItem(entry, dir + "\\in-the-way.txt") == kErrExists, "a restore never replaces");
  std::string text;
  Check(fs.RestoreTrashItem(entry, entry.original) == 0 && fs.ReadWholeFile(entry.original, text) && text == "restored" &&
            fs.Exists(entry.info) == -1,
        "a restore makes the missing folder and puts the entry back");
}

int main(int argc, char** argv) {
  std::string root = argc > 1 ? argv[1] : ".";
  Win32FileSystem fs;
  char full[MAX_PATH];
  ::GetFullPathNameA(root.c_str(), MAX_PATH, full, nullptr);
  root = full;
  while (root.size() > 3 && root.back() == '\\') root.pop_back();
  Win32Processes p;
  FileChecks(fs, root);
  EntryChecks(fs, root);
  ArchiveChecks(fs, root);
  Utf8NameChecks(fs, p, root);
  ProcessChecks(p, root);
  CellTextChecks();
  StandardInputChecks(fs, root);
  MemoryChecks();
  if (argc <= 2 || std::string(argv[2]) != "--no-window") {
    WindowChecks();
    DialogChecks();
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}

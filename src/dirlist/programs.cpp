// Running the file under the cursor, opening a file with the program of its
// extension, and the one starter every command uses.
#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "fileops/fileops_state.h"
#include "config/config_state.h"
#include "dirlist/dir_page.h"
#include "dirlist/entry_list.h"
#include "dirlist/entry_table.h"

namespace tembra {

void Lister::ShellAndWait(const std::string& command) {
  // The platform starts the command (as an argument vector) and waits for it only
  // when asked; a command that could not start gives 0 and is not waited for.
  // A command that cannot start says what is missing (the editor, the opener).
  if (StartProgram(command, FileWork().bWaitForProgram) == 0) {
    if (std::string why = P.processes.WhyNotStarted(command); !why.empty()) {
      VXERROR(MsgText(Msg::VX1041, why));
      Beep();
    }
  }
  SleepMs(200);
  FileWork().bWaitForProgram = false;
}

bool Lister::ShellConfiguredAndWait(const std::string& command, const std::string& program, bool allowLocal) {
  if (P.processes.RunConfigured(command, FileWork().bWaitForProgram, allowLocal) == kRunRefused) {
    FileWork().bWaitForProgram = false;
    VXERROR(MsgText(Msg::VX1037, program));
    return false;
  }
  SleepMs(200);
  FileWork().bWaitForProgram = false;
  return true;
}

std::string DirPage::zCurCommandName() {
  for (int32_t i = 1; i <= E.Last(); ++i)
    if (i != E.iCurZDir && ZdNameUpper(E.Record(i)) == E.zCurNameU) return E.zCurName;
  return E.zCurNameU;
}

int DirPage::InvokeProgramAtCursor(bool bAskForParm) {
  if (E.zCurType != "F") {
    W.VXERROR(MsgText(Msg::VX8011));
    return 12;
  }
  if (InStr(E.zCurNameU, ".COM") == 0 && InStr(E.zCurNameU, ".BAT") == 0 && InStr(E.zCurNameU, ".EXE") == 0) {
    if (W.MsgBox(MsgText(Msg::VX1007), "", MsgButtons::OKCancel) == kAnswerCancel) {
      W.VXERROR(MsgText(Msg::VX0111));
      return 12;
    }
  }
  // A name with blanks is quoted, so that no program named by its first word runs instead.
  std::string name = zCurCommandName();
  std::string command = InStr(name, " ") > 0 ? W.zQuote + name + W.zQuote : name;
  if (bAskForParm) {
    // Where names show as stored, the prompt names the file so too.
    const std::string& shown = E.piFullNames.On(W.eProfile) ? E.zCurName : E.zCurNameU;
    std::string parms = W.InputBox(MsgText(Msg::VX0012, shown), "Tembra Invoke File", "");
    command = command + " " + parms;
  }
  W.ShellAndWait(command);
  return 0;
}

void DirPage::CallWindowsProgram(const std::string& zFile) {
  long dot = InStrRev(zFile, ".");
  std::string ext = dot > 0 ? UCase(Mid(zFile, dot + 1)) : UCase(zFile);
  if (ext.size() >= 5) return;

  std::string program = zFile;
  bool matched = false;
  for (int32_t i = 1; i <= W.Config().nExtTable && i < static_cast<int32_t>(W.Config().zExtTable.size()); ++i) {
    if (W.Config().zExtTable[i] == ext) {
      program = i < static_cast<int32_t>(W.Config().zExtProgram.size()) ? W.Config().zExtProgram[i] : std::string();
      matched = true;
    }
  }
  if (matched && program.empty()) {
    W.MsgBox(MsgText(Msg::VX0253));
    return;
  }
  if (!matched) {
    std::string found = W.P.processes.FindExecutable(zFile);
    size_t nul = found.find('\0');
    if (nul != std::string::npos) found.resize(nul);
    program = Trim(found);
  }
  if (program.empty()) {
    // No opener at all on this system: the message line says which and how to set one.
    if (!matched) {
      if (std::string missing = W.P.processes.MissingOpener(); !missing.empty()) W.VXERROR(MsgText(Msg::VX1042, missing));
    }
    std::string def = W.Config().zExtTable.empty() ? std::string() : W.Config().zExtTable[0];
    if (def.empty()) {
      if (W.MsgBox(MsgText(Msg::VX0254, ext), " Notepad?  Hit cancel to end Tembra",
                 MsgButtons::OKCancel) == kAnswerCancel)
        W.EndProcess(ExitKind::Immediate);
      program = "Notepad.exe";
    } else {
      program = def;
    }
  }
  const std::string proposed = program;
  if (W.FileWork().bAskPgm) program = W.InputBox("Select name of program to process this file", MsgText(Msg::VX8015Caption), program);
  program = Trim(program);
  // A program named by the configuration is looked for in the current folder only when
  // the user's own configuration allows it, or when the user typed a name of their own.
  const bool allowLocal = W.Config().bRunLocal || (W.FileWork().bAskPgm && program != Trim(proposed));
  if (program.size() >= 3)
    W.ShellConfiguredAndWait(W.zQuote + program + W.zQuote + " " + W.zQuote + zFile + W.zQuote, program, allowLocal);
}

}  // namespace tembra

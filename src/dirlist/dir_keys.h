// The actions of the directory page's keys, bound in its rows of the key reference
// (DirectoryPageKeys, src/input/key_reference.cpp). The key-down commands are in
// src/dirlist/navigate.cpp, the character commands in src/input/dir_commands.cpp.
#pragma once

#include "input/key_reference.h"

namespace tembra::dir_keys {

// Key-down commands (navigate.cpp).
KeyNext DeleteToTrash(Lister& l, int code, int shift);    // Alt+D
KeyNext SetAside(Lister& l, int code, int shift);         // Ctrl+D
KeyNext EditWithBackup(Lister& l, int code, int shift);   // Ctrl+E, Alt+E
KeyNext ListingFile(Lister& l, int code, int shift);      // Ctrl+F
KeyNext Shell(Lister& l, int code, int shift);            // Alt+G
KeyNext RunWithParameters(Lister& l, int code, int shift);  // Alt+I
KeyNext OpenWithBackup(Lister& l, int code, int shift);   // Ctrl+O, Alt+O
KeyNext DebugUndo(Lister& l, int code, int shift);        // Alt+R
KeyNext ArchiveByKey(Lister& l, int code, int shift);     // Ctrl+V
KeyNext ShellByAltX(Lister& l, int code, int shift);      // Alt+X
KeyNext LongerFarewell(Lister& l, int code, int shift);   // Tab
KeyNext End(Lister& l, int code, int shift);              // F10
KeyNext DeleteKey(Lister& l, int code, int shift);        // Delete with Shift, Ctrl, Alt
KeyNext LeftRight(Lister& l, int code, int shift);        // Left, Right

// Character commands (dir_commands.cpp).
KeyNext PageForward(Lister& l, int code, int shift);      // Space
KeyNext SizeSpec(Lister& l, int code, int shift);         // &
KeyNext ScanAgain(Lister& l, int code, int shift);        // *
KeyNext Open(Lister& l, int code, int shift);             // Enter, ., l
KeyNext Columns(Lister& l, int code, int shift);          // 0-9
KeyNext UpByBackspace(Lister& l, int code, int shift);    // Backspace
KeyNext ParentNextPrevious(Lister& l, int code, int shift);  // h, j, k
KeyNext FindAsTyped(Lister& l, int code, int shift);      // /
KeyNext ClearFilters(Lister& l, int code, int shift);     // =
KeyNext ConfigLine(Lister& l, int code, int shift);       // ?
KeyNext CopyMoveDelete(Lister& l, int code, int shift);   // b, c, d, m
KeyNext Edit(Lister& l, int code, int shift);             // e
KeyNext FileSpec(Lister& l, int code, int shift);         // f
KeyNext Run(Lister& l, int code, int shift);              // i
KeyNext OpenWith(Lister& l, int code, int shift);         // o
KeyNext NewPath(Lister& l, int code, int shift);          // p
KeyNext BackToFile(Lister& l, int code, int shift);       // q
KeyNext Rename(Lister& l, int code, int shift);           // r
KeyNext SortPrompt(Lister& l, int code, int shift);       // s
KeyNext Archive(Lister& l, int code, int shift);          // v
KeyNext ShellAndEnd(Lister& l, int code, int shift);      // x

}  // namespace tembra::dir_keys

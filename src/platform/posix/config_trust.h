// Configuration files on POSIX: who may have written them, and the user's list of
// trusted configuration files found outside the user's own configuration folder.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace tembra::posix {

// SHA-256 of the bytes, as 64 lower-case hexadecimal digits (OpenSSL's libcrypto); ""
// where the library cannot make one.
std::string Sha256Hex(std::string_view data);

// Reads a configuration file whole through one open descriptor. Refuses a file another
// user could have written: group- or world-writable, or owned by someone other than
// this user or root. Returns "" when read; else why not ("is writable by its group",
// ...); a file that cannot be read at all gives "-" and errno in `error`.
std::string ReadOwnConfigFile(const std::string& hostPath, std::string& contents, int& error);

// The host path of the trust list: $XDG_CONFIG_HOME/tembra/trusted, else
// ~/.config/tembra/trusted; "" when neither variable gives a folder.
std::string TrustListPath();

// The list holds this file (by its resolved path) with exactly these contents.
bool IsTrustedConfig(const std::string& hostPath, const std::string& contents);

// `tembra --trust [FILE]`: shows the lines of FILE (default ./VXCONFIG.TXT) that name
// programs or delete files, and records it in the trust list. Returns the exit status.
int TrustCommand(const char* file, std::FILE* out, std::FILE* err);

}  // namespace tembra::posix

#!/usr/bin/env bash
# Stands in for tembra-headless in the end-to-end scripts: runs the Windows build under
# Wine. A host folder given to --cwd becomes the same folder on drive C:, where
# scripts/windows.sh maps the test folder at its own path (so "/x/y" is "C:\x\y").
# Needs TEMBRA_WIN_HEADLESS (the .exe) and TEMBRA_WINE (the wine loader).
set -u
: "${TEMBRA_WIN_HEADLESS:?}" "${TEMBRA_WINE:?}"
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --cwd)
      if [ $# -lt 2 ]; then args+=("$1"); shift; continue; fi
      args+=("$1" "C:${2//\//\\}")
      shift 2
      ;;
    *)
      args+=("$1")
      shift
      ;;
  esac
done
exec timeout -k 5 "${TEMBRA_WINE_TIMEOUT:-90}" "$TEMBRA_WINE" "$TEMBRA_WIN_HEADLESS" "${args[@]}"

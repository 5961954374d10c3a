#!/usr/bin/env bash
# Builds Quillory and starts the editor, opening the file given, if any.
set -euo pipefail
# A picture named relative to the caller's folder must still be found after the change of folder.
args=()
for a in "$@"; do
  if [ -e "$a" ]; then args+=("$(realpath "$a")"); else args+=("$a"); fi
done
set -- "${args[@]+"${args[@]}"}"
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLORY_BUILD_SHELL=ON -DQUILLORY_BUILD_FUZZ=OFF -DQUILLORY_SANITIZE=OFF >/dev/null
cmake --build build -j "$(nproc)"
if [ -x build/src/shell/quillory ]; then
  exec build/src/shell/quillory "$@"
fi
# Until the editor is built, the command-line tool describes the file.
if [ $# -gt 0 ]; then
  exec build/quillory-cli info "$1"
fi
exec build/quillory-cli

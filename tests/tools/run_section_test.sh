#!/usr/bin/env bash
# Every program under build/ that the README's Run section names is built by
# the command that section starts with (tools/run-client), so a newcomer can
# run it straight after.
#   run_section_test.sh SOURCE-FOLDER BUILD-FOLDER
set -euo pipefail
source="$1"
build="$2"

targets=$(sed -n 's/^cmake --build build .*--target //p' "$source/tools/run-client")
[ -n "$targets" ] || { echo "tools/run-client names no targets"; exit 1; }
# shellcheck disable=SC2086
commands=$(ninja -C "$build" -t commands $targets)
named=$(sed -n '/^## Run/,/^## /p' "$source/README.md" | grep -o 'build/[A-Za-z0-9_./-]*' | sort -u)
[ -n "$named" ] || { echo "the Run section names no program under build/"; exit 1; }
for path in $named; do
  if ! grep -q -- "-o ${path#build/}\( \|$\)" <<<"$commands"; then
    echo "the Run section names $path, which tools/run-client does not build"
    exit 1
  fi
done
echo "tools/run-client builds every program the Run section names:" $named

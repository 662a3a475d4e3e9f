#!/usr/bin/env bash
# Laying out the installation folder again while a client started from it
# runs: the running program stays as it is, the folder takes the new one,
# and a second copy starts beside the first. The database there is kept.
#   lay_out_test.sh tools/lay-out
set -euo pipefail
layout="$1"
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT

# A build whose client is a program that keeps running.
mkdir -p "$work/build/reports"
cp "$(command -v sleep)" "$work/build/plaxon"
for f in selbrin morvane data.mdb reports/header.htm reports/footer.htm reports/reportlogo.jpg; do
  echo "$f" > "$work/build/$f"
done
"$layout" "$work/build" "$work/install"
"$work/install/plaxon" 60 & pids+=($!)
echo "the school's bookings" > "$work/install/data.mdb"

# A rebuilt client and importer; the rest unchanged.
printf 'x' >> "$work/build/plaxon"
echo "selbrin 2" > "$work/build/selbrin"
"$layout" "$work/build" "$work/install"
"$work/install/plaxon" 60 & pids+=($!)
sleep 0.2
kill -0 "${pids[@]}"
cmp "$work/build/plaxon" "$work/install/plaxon"
cmp "$work/build/selbrin" "$work/install/selbrin"
[ "$(cat "$work/install/data.mdb")" = "the school's bookings" ]
[ -z "$(ls "$work/install" | grep -v -x -e plaxon -e selbrin -e morvane -e data.mdb -e reports)" ]
echo "laid out beside two running clients"

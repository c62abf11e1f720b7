#!/bin/bash
# Reliability figures of ztdesc and the ISAM engine:
#   1. forty "count" runs started at once on one file while an import writes it
#   2. "create" and "import" killed at random moments: every file checks and
#      holds all or nothing
#   3. the time "create" takes for 10,000 tables
#
#   scripts/reliability-figures.sh [WORKDIR] [KILL_ROUNDS]
#
# ZTDESC names the tool to measure (default: the native release build).
set -u
cd "$(dirname "$0")/.."
Z=${ZTDESC:-$PWD/build/native-release/bin/ztdesc}
W=${1:-/tmp/ztdesc-figures}
ROUNDS=${2:-200}
rm -rf "$W"
mkdir -p "$W"

# Description files of n tables.
tables() {
  local n=$1 i
  for ((i = 0; i < n; ++i)); do
    printf 'Table: "T%05d"\nIndexNodeSize: 1024\n' "$i"
    printf 'Field:  0, 4, 2, 0x0001, 1, 0x0001, 1, 8, "No"\n'
    printf 'Field:  4, 30, 7, 0x0000, 0, 0x0000, 0, 40, "Name"\n'
    printf 'Key: 1\nKeyPart: "UINT32", "No"\nKey: 0\nKeyPart: "ITEXT", "Name"\nTable: END\n'
  done
}

# Sleeps a random time below $1 milliseconds.
nap() {
  local ms=$(((RANDOM * 32768 + RANDOM) % $1))
  sleep "$((ms / 1000)).$(printf '%03d' $((ms % 1000)))"
}
# Milliseconds since $1 (a time from "date +%s%N").
since() { echo $((($(date +%s%N) - $1) / 1000000)); }

"$Z" demo "$W/demo" >/dev/null 2>&1 || { echo "ztdesc demo failed"; exit 1; }
"$Z" dump "$W/demo/sample.isa" Order --csv >"$W/orders.csv"
ORDERS=$(($(wc -l <"$W/orders.csv") - 1))
"$Z" copy "$W/demo/sample.isa" "$W/empty.isa" >/dev/null

# 1. Forty counts while the import writes (from the moment its log appears).
cp "$W/empty.isa" "$W/parallel.isa"
"$Z" import "$W/parallel.isa" Order "$W/orders.csv" >"$W/import.out" 2>&1 &
import=$!
while [ ! -e "$W/parallel.isa-wal" ] && kill -0 $import 2>/dev/null; do sleep 0.005; done
for i in $(seq 40); do
  ("$Z" count "$W/parallel.isa" Customer >"$W/count$i.out" 2>&1; echo $? >"$W/count$i.rc") &
done
wait $import
importRc=$?
wait
failed=0
for i in $(seq 40); do [ "$(cat "$W/count$i.rc")" = 0 ] || failed=$((failed + 1)); done
echo "| 40 parallel counts during an import | $failed failed | import exit $importRc, $("$Z" count "$W/parallel.isa" Order 2>&1) of $ORDERS orders |"
[ $failed -gt 0 ] && { for i in $(seq 40); do [ "$(cat "$W/count$i.rc")" = 0 ] || { head -c 300 "$W/count$i.out"; break; }; done; }

# 2a. create killed: whole file or none; a partial one is a fault.
tables 1000 >"$W/t1000.cfg"
start=$(date +%s%N)
"$Z" create "$W/t1000.cfg" "$W/time.isa" >/dev/null
span=$(since $start)
[ "$span" -lt 20 ] && span=20
whole=0 none=0 partial=0
for ((r = 0; r < ROUNDS; ++r)); do
  rm -f "$W/killed.isa"
  "$Z" create "$W/t1000.cfg" "$W/killed.isa" >/dev/null 2>&1 &
  p=$!
  nap $((span * 3 / 2))
  kill -9 $p 2>/dev/null
  wait $p 2>/dev/null
  if [ ! -e "$W/killed.isa" ]; then
    none=$((none + 1))
  elif "$Z" check "$W/killed.isa" >/dev/null 2>&1 && "$Z" show "$W/killed.isa" | grep -q '^Tables: 1000$'; then
    whole=$((whole + 1))
  else
    partial=$((partial + 1))
  fi
done
echo "| $ROUNDS kill rounds of create (1,000 tables, killed within $((span * 3 / 2)) ms) | $whole whole, $none none, $partial partial or damaged | |"

# 2b. import killed: every file checks and holds all orders or none.
cp "$W/empty.isa" "$W/timed.isa"
start=$(date +%s%N)
"$Z" import "$W/timed.isa" Order "$W/orders.csv" >/dev/null 2>&1
span=$(since $start)
all=0 nothing=0 bad=0
cp "$W/empty.isa" "$W/killed.isa"
rm -f "$W/killed.isa-wal"
for ((r = 0; r < ROUNDS; ++r)); do
  "$Z" import "$W/killed.isa" Order "$W/orders.csv" >/dev/null 2>&1 &
  p=$!
  nap $((span * 3 / 2))
  kill -9 $p 2>/dev/null
  wait $p 2>/dev/null
  n=$("$Z" count "$W/killed.isa" Order 2>/dev/null)
  if ! "$Z" check "$W/killed.isa" >/dev/null 2>&1; then
    bad=$((bad + 1))
  elif [ "$n" = 0 ]; then
    nothing=$((nothing + 1))
  elif [ "$n" = "$ORDERS" ]; then
    all=$((all + 1))
  else
    bad=$((bad + 1))
  fi
  if [ "$n" != 0 ]; then
    rm -f "$W/killed.isa" "$W/killed.isa-wal"
    cp "$W/empty.isa" "$W/killed.isa"
  fi
done
echo "| $ROUNDS kill rounds of import ($ORDERS orders, killed within $((span * 3 / 2)) ms) | $all all, $nothing nothing, $bad partial or damaged | |"

# 3. 10,000 tables.
tables 10000 >"$W/t10000.cfg"
start=$(date +%s%N)
"$Z" create "$W/t10000.cfg" "$W/t10000.isa" >/dev/null
ms=$(since $start)
echo "| create of 10,000 tables | $((ms / 1000)).$(printf '%03d' $((ms % 1000))) s | $("$Z" check "$W/t10000.isa" 2>&1) |"

#!/bin/sh
# Replays the examples of an author's guide: every ```kiv block is a game
# (```kiv + continues the game before it) and the ```transcript block that
# follows it is replayed against it with kivplay --transcript.
# Usage: check_examples.sh BIN_FOLDER GUIDE WORK_FOLDER
# Exit status 77 (skipped) without the full dictionary beside kivplay.
set -u
bin=$1
guide=$2
work=$3

test -e "$bin/kiv.dic" || exit 77

rm -rf "$work"
mkdir -p "$work" || exit 1

# Cuts the guide into $work/N/game.kiv and $work/N/walk.txt, listing
# "N LINE" (the line of the game's block) in $work/examples.
awk -v work="$work" '
  function fail(message) { print FILENAME ":" NR ": " message > "/dev/stderr"; failed = 1; exit 1 }
  function new_dir(n) { system("mkdir -p \"" work "/" n "\"") }
  /^```/ {
    if (block != "") {
      if ($0 != "```") fail("a block is not closed before another fence")
      if (block == "kiv") awaiting = 1
      block = ""
      next
    }
    fence = $0
    sub(/^```/, "", fence)
    if (fence == "kiv" || fence == "kiv +") {
      if (awaiting) fail("the game before this one has no ```transcript block")
      if (fence == "kiv +") {
        if (n == 0) fail("```kiv + continues no game")
        previous = work "/" n "/game.kiv"
        n++
        new_dir(n)
        system("cp \"" previous "\" \"" work "/" n "/game.kiv\"")
      } else {
        n++
        new_dir(n)
      }
      game = work "/" n "/game.kiv"
      print n, NR >> (work "/examples")
      block = "kiv"
      next
    }
    if (fence == "transcript") {
      if (!awaiting) fail("a ```transcript block follows no ```kiv block")
      awaiting = 0
      walk = work "/" n "/walk.txt"
      printf "" > walk
      block = "transcript"
      next
    }
    block = "other"
    next
  }
  block == "kiv" { print >> game; close(game) }
  block == "transcript" { print >> walk; close(walk) }
  END {
    if (failed) exit 1
    if (block != "") fail("the last block is not closed")
    if (awaiting) fail("the last game has no ```transcript block")
    if (n == 0) fail("no ```kiv examples found")
  }
' "$guide" || exit 1

failures=0
count=0
while read -r n line; do
  count=$((count + 1))
  if ! output=$("$bin/kivplay" --transcript "$work/$n/walk.txt" "$work/$n/game.kiv" 2>&1); then
    failures=$((failures + 1))
    echo "$guide:$line: the example does not play as its transcript says"
    echo "$output" | sed 's/^/    /'
  fi
done < "$work/examples"

echo "$count examples, $failures failed"
test "$failures" -eq 0

#!/bin/sh
# Builds the Russian dictionary build/dictionary/kiv.dic with kivdic from the
# OpenCorpora data, fetching the data once into build/dictionary/az, and puts
# it beside the programs of build/release. Rebuilds only when the builder or
# its special articles changed since. Expects scripts/build.sh release to
# have run.
set -e
cd "$(dirname "$0")/.."
cache=build/dictionary
data=$cache/az/package/dicts
dictionary=$cache/kiv.dic
builder=build/release/bin/kivdic

if [ ! -f "$data/words.dawg" ]; then
  if ! command -v npm >/dev/null 2>&1; then
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y npm
  fi
  rm -rf "$cache/az"
  mkdir -p "$cache/az"
  (cd "$cache/az" && npm pack --silent az@0.2.3 >/dev/null && tar xzf az-0.2.3.tgz)
fi

stale() {
  [ ! -f "$dictionary" ] && return 0
  [ -n "$(find "$builder" tools/kivdic/special tools/kivdic/aspect_pairs.txt -newer "$dictionary" 2>/dev/null | head -n 1)" ]
}
if stale; then
  echo "Building the dictionary (OpenCorpora data, CC BY-SA 3.0)..."
  "$builder" --data "$data" --aspect-pairs tools/kivdic/aspect_pairs.txt --special tools/kivdic/special \
    --out "$dictionary.part"
  mv "$dictionary.part" "$dictionary"
fi
ln -sf "$(pwd)/$dictionary" build/release/bin/kiv.dic

#!/bin/sh
# Builds kiv (and the dictionary, when missing) and plays a game on the console («Плащ Тьмы» by
# default); commands come from standard input.
set -e
cd "$(dirname "$0")/.."
scripts/setup.sh >&2
scripts/build.sh release -DCMAKE_BUILD_TYPE=Release >&2
scripts/dictionary.sh >&2
game=${1:-games/cloak/cloak.kiv}
[ $# -gt 0 ] && shift
exec build/release/bin/kivplay "$@" "$game"

#!/bin/sh
# Builds kiv into build/<name> with the given CMake options:
#   scripts/build.sh release -DCMAKE_BUILD_TYPE=Release
set -e
cd "$(dirname "$0")/.."
name=$1
shift
cmake -S . -B "build/$name" "$@" >/dev/null
cmake --build "build/$name" -j2

#!/bin/sh
# Builds kiv and runs every test: first a Release build, then again with
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -e
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh release -DCMAKE_BUILD_TYPE=Release
ctest --test-dir build/release --output-on-failure -j2
scripts/build.sh sanitize -DCMAKE_BUILD_TYPE=Debug -DKIV_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/sanitize --output-on-failure -j2
echo "All tests passed (Release and sanitizer builds)."

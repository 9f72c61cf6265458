#!/bin/sh
# Builds kiv and runs every test: first a Release build, then again with
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -e
cd "$(dirname "$0")/.."
scripts/setup.sh
# The browser tests run in both builds: Chromium and playwright-core first.
scripts/browser-setup.sh
export KIV_BROWSER_TESTS_REQUIRED=1
scripts/build.sh release -DCMAKE_BUILD_TYPE=Release
# The full dictionary and its data are tested too.
scripts/dictionary.sh
export KIV_DICTIONARY_DATA="$(pwd)/build/dictionary/az/package/dicts"
export KIV_FULL_DICTIONARY="$(pwd)/build/dictionary/kiv.dic"
ctest --test-dir build/release --output-on-failure -j2
scripts/build.sh sanitize -DCMAKE_BUILD_TYPE=Debug -DKIV_SANITIZE=ON
ln -sf "$KIV_FULL_DICTIONARY" build/sanitize/bin/kiv.dic
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/sanitize --output-on-failure -j2
# Every fuzz target briefly: its seeds and the inputs that once failed, then
# ten seconds of new inputs each (see docs/fuzzing.md).
scripts/fuzz.sh all 10
echo "All tests passed (Release and sanitizer builds, fuzz targets)."

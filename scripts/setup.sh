#!/bin/sh
# Installs what building and testing kiv needs, when it is missing.
set -e
missing=""
command -v cmake >/dev/null 2>&1 || missing="$missing cmake"
command -v g++ >/dev/null 2>&1 || missing="$missing g++"
command -v make >/dev/null 2>&1 || missing="$missing make"
[ -f /usr/include/gtest/gtest.h ] || missing="$missing libgtest-dev"
# The fuzz targets: clang with its libFuzzer and sanitizer runtimes.
command -v clang++ >/dev/null 2>&1 || missing="$missing clang"
ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 ||
  missing="$missing libclang-rt-dev"
# Russian texts that rank the dictionary's words by use.
[ -f /usr/share/games/fortunes/ru ] || missing="$missing fortunes-ru"
[ -f /usr/share/mythes/th_ru_RU_v2.dat ] || missing="$missing mythes-ru"
[ -f /usr/share/hunspell/ru_RU.dic ] || missing="$missing hunspell-ru"
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y $missing
fi

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
# The server window (GTK 3), its page window's web view (loaded at run
# time) and the virtual display its test runs on.
[ -f /usr/include/gtk-3.0/gtk/gtk.h ] || missing="$missing libgtk-3-dev"
[ -f /usr/include/webkitgtk-4.1/webkit2/webkit2.h ] || missing="$missing libwebkit2gtk-4.1-dev"
command -v Xvfb >/dev/null 2>&1 || missing="$missing xvfb"
command -v xauth >/dev/null 2>&1 || missing="$missing xauth"
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y $missing
fi

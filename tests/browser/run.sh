#!/bin/sh
# Runs the browser tests against the webkiv given as the argument (CTest
# calls this). Without Debian's chromium or the pinned playwright-core the
# tests are skipped (exit 77), unless KIV_BROWSER_TESTS_REQUIRED is set, as
# scripts/test.sh sets it after installing both.
cd "$(dirname "$0")"
chromium=${KIV_CHROMIUM:-/usr/bin/chromium}
if [ ! -x "$chromium" ] || [ ! -d node_modules/playwright-core ]; then
  echo "The browser tests need $chromium and tests/browser/node_modules" \
       "(scripts/browser-setup.sh installs both)."
  [ -n "$KIV_BROWSER_TESTS_REQUIRED" ] && exit 1
  exit 77
fi
WEBKIV="$1" exec node --experimental-detect-module --test game.test.js ide.test.js

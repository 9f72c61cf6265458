#!/bin/sh
# Installs what the browser tests need, when it is missing: Debian's chromium
# and the pinned playwright-core (npm ci in tests/browser).
set -e
cd "$(dirname "$0")/.."
missing=""
[ -x /usr/bin/chromium ] || missing="$missing chromium"
command -v npm >/dev/null 2>&1 || missing="$missing nodejs npm"
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y $missing
fi
if [ ! -d tests/browser/node_modules/playwright-core ]; then
  (cd tests/browser && npm ci --no-audit --no-fund)
fi

#!/bin/sh
# Builds kiv and the web host (and the dictionary, when missing) and serves
# the bundled games to browsers on a free local port; the address to open is
# printed. Extra arguments are webkiv options (see build/release/bin/webkiv
# --help). Ctrl+C stops the server.
set -e
cd "$(dirname "$0")/.."
scripts/setup.sh >&2
scripts/build.sh release -DCMAKE_BUILD_TYPE=Release >&2
scripts/dictionary.sh >&2
exec build/release/bin/webkiv --port 0 --listen 127.0.0.1 "$@" / s

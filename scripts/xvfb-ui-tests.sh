#!/usr/bin/env bash
# Runs the user-interface tests with real windows on a virtual X server.
#   scripts/xvfb-ui-tests.sh [build-dir] [gtest arguments...]
# Default build dir: build. Default filter: the window tests (NativeWindow.*).
set -euo pipefail
build="${1:-build}"
shift || true
if [ $# -eq 0 ]; then set -- --gtest_filter='NativeWindow.*'; fi
exec xvfb-run -a -s '-screen 0 1280x1024x24' env QT_QPA_PLATFORM=xcb QOR_UNDER_XVFB=1 "$build/tests/test_ui" "$@"

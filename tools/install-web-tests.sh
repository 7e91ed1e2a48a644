#!/usr/bin/env bash
# Installs the npm packages of the page's tests and benchmarks (Playwright,
# axe-core, and the parsers benchmarked against) into tests/web, exactly as
# its package-lock.json pins them, when they are not there yet. Browsers are
# never downloaded: the tests drive Debian's chromium, which
# tools/install-deps.sh installs with node and npm.
set -euo pipefail
cd "$(dirname "$0")/../tests/web"

if ! cmp -s package-lock.json node_modules/.tactimer-lock; then
  npm ci --no-audit --no-fund --loglevel=error >/dev/null
  cp package-lock.json node_modules/.tactimer-lock
fi

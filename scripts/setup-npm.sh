#!/usr/bin/env bash
# Installs the npm packages of the interoperability tests (tests/service/interop) from their lock file.
set -euo pipefail
cd "$(dirname "$0")/../tests/service/interop"
npm ci --no-audit --no-fund

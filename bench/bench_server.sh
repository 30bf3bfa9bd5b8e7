#!/usr/bin/env bash
# Load benchmark of the companion server over loopback, run on demand:
#   bench/bench_server.sh [build-dir] [seconds-per-case]
# Prints requests/s, p50 and p99 of a chapter read and of a 5,000-character
# save at 1, 16, 64 and 256 kept-alive connections from eight addresses
# (127.0.0.2–127.0.0.9), then the answer time of a normal read beside 64
# slow connections from four addresses; the load average stands beside each
# figure. The client is bench/bench_serverload.cpp (plain sockets, one
# thread per connection), which starts its own server with default limits.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
seconds=${2:-5}
cmake --build "$build" -j2 --target quorvin-server bench_serverload >/dev/null
# 256 client threads plus the server's own sockets.
ulimit -n 4096 2>/dev/null || true
"$build/bench/bench_serverload" "$seconds"

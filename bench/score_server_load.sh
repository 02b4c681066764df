#!/usr/bin/env bash
# Load test of the score server over loopback only: a fresh database, the
# rate limit off, wrk at 64 connections for 30 s, first with every player
# repeating a stored best, then with one request in ten a new best.
#   bench/score_server_load.sh [BUILD_DIR]   (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
seconds=${VB_LOAD_SECONDS:-30}
threads=2
work=$(mktemp -d /tmp/vb-load-XXXXXX)
server_pid=""
cleanup() { [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

"$build/bench/bench_score_requests" steady 20000 20000 > "$work/steady.txt"
"$build/bench/bench_score_requests" rising 600000 20000 > "$work/rising.txt"

"$build/server/varnick-score-server" --listen 127.0.0.1 --port 0 --db "$work/scores.sqlite" \
  --rate-limit 0 --threads "$threads" 2> "$work/server.log" &
server_pid=$!
for _ in $(seq 50); do grep -q "listening on" "$work/server.log" && break; sleep 0.1; done
port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/server.log" | head -n 1)
[ -n "$port" ] || { echo "server did not start"; cat "$work/server.log"; exit 1; }

run() {   # name, request file, seconds
  echo "== $1: 64 connections, $3 s"
  VB_REQUESTS="$2" VB_THREADS=$threads wrk -t$threads -c64 -d"$3"s --latency \
    -s bench/score_server_load.lua "http://127.0.0.1:$port/" | tee "$work/$1.out"
}
# Every player once, so the steady run repeats stored bests
VB_REQUESTS="$work/steady.txt" VB_THREADS=$threads wrk -t$threads -c64 -d5s \
  -s bench/score_server_load.lua "http://127.0.0.1:$port/" > /dev/null
run steady "$work/steady.txt" "$seconds"
run rising "$work/rising.txt" "$seconds"

kill -TERM "$server_pid"; wait "$server_pid" || true; server_pid=""
echo "== server log: $(grep -c ' 200 ' "$work/server.log") answered 200, $(grep -vc ' 200 \|listening\|stopped' "$work/server.log") other lines"
for name in steady rising; do
  rate=$(awk '/Requests\/sec/ {print $2}' "$work/$name.out")
  p99=$(awk '$1 == "99%" {print $2}' "$work/$name.out")
  errors=$(awk '/Socket errors|Non-2xx/ {print}' "$work/$name.out" | tr '\n' ' ')
  echo "$name: ${rate} exchanges/s, p99 ${p99}, errors: ${errors:-none}"
done

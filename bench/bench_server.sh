#!/usr/bin/env bash
# Load benchmark of the companion server: 50 authors saving 10 KB chapters
# ("/chapter/editChapter") over loopback, measured with wrk. Prints
# requests/s and the p99 latency; meanwhile 64 more clients connect at once
# and the slowest one's first answer is printed. Then, on a server with its
# default limits, 100 connections trickle request heads from 127.0.0.2 and
# the latency of a normal request from 127.0.0.1 is printed. Run on demand:
#   bench/bench_server.sh [build-dir] [seconds]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
seconds=${2:-15}
authors=50
server="$build/bin/quorvin-server"

if ! command -v wrk >/dev/null; then
  echo "bench: installing wrk"
  sudo=(); [[ $(id -u) -ne 0 ]] && sudo=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends wrk
fi
[[ -x "$server" ]] || cmake --build "$build" -j2 --target quorvin-server

work=$(mktemp -d)
server_pid=""
cleanup() { [[ -n "$server_pid" ]] && kill "$server_pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

# wrk and the probe open more connections from 127.0.0.1 than the default
# cap per address allows.
"$server" --listen 127.0.0.1 --port 0 --port-file "$work/port" --data "$work/data" --dev --sms-code 123456 \
  --max-per-address 200 >"$work/server.log" 2>&1 &
server_pid=$!
for _ in $(seq 100); do [[ -s "$work/port" ]] && break; sleep 0.1; done
base="http://127.0.0.1:$(cat "$work/port")"

# Each author: register, sign in, one book with one chapter. Output lines:
# token book_id chapter_id
python3 - "$base" "$authors" >"$work/authors.txt" <<'PY'
import json, sys, urllib.parse, urllib.request
base, count = sys.argv[1], int(sys.argv[2])
def call(path, fields, token=None):
    req = urllib.request.Request(base + path, data=urllib.parse.urlencode(fields, quote_via=urllib.parse.quote).encode(),
                                 headers={"token": token or "", "uniquecode": "bench%04d" % i})
    answer = json.load(urllib.request.urlopen(req))
    if answer["code"] != 200:
        sys.exit("%s refused: %s" % (path, answer["msg"]))
    return answer["content"]
for i in range(count):
    phone = "135%08d" % i
    call("/author/sendCode", {"phone": phone})
    call("/author/register", {"phone": phone, "code": "123456", "password": "bench-digest"})
    token = call("/author/login", {"phone": phone, "password": "bench-digest"})["token"]
    book = call("/books/addBook", {"book_name": "压测%d" % i, "local_id": 1}, token)["book_id"]
    chapter = call("/chapter/createChapter", {"book_id": book, "local_id": 1, "chapter_name": "第1章 ", "order_num": 1},
                   token)["chapter_id"]
    print(token, book, chapter)
PY

# About 10 KB of chapter text (UTF-8), percent-encoded as the client sends it.
python3 -c '
import urllib.parse
line = "夜色如墨，长街尽头的灯笼在风里摇晃，他握紧了手中的剑。\n"
text = (line * 200)[: 10240 // 3]
print(urllib.parse.quote(text, safe=""), end="")' >"$work/content.txt"

cat >"$work/save.lua" <<LUA
local authors = {}
for line in io.lines("$work/authors.txt") do
  local token, book, chapter = line:match("(%S+) (%S+) (%S+)")
  authors[#authors + 1] = {token = token, book = book, chapter = chapter}
end
local f = io.open("$work/content.txt"); local content = f:read("*a"); f:close()
local n = 0
request = function()
  n = n + 1
  local a = authors[(n % #authors) + 1]
  -- A fresh header table: wrk.format stores Content-Length in the one it gets.
  local headers = {["Content-Type"] = "application/x-www-form-urlencoded", ["token"] = a.token}
  return wrk.format("POST", "/chapter/editChapter", headers,
    "book_id=" .. a.book .. "&chapter_id=" .. a.chapter .. "&update_time=" .. n .. "&content=" .. content)
end
local refused = 0
response = function(status, headers, body)
  if status ~= 200 or not body:find('"code":200', 1, true) then refused = refused + 1 end
end
done = function(summary, latency, requests)
  io.write(string.format("requests/s: %.0f\n", summary.requests / (summary.duration / 1e6)))
  io.write(string.format("p99 latency: %.2f ms\n", latency:percentile(99) / 1000))
  io.write(string.format("requests: %d, socket errors: %d, non-2xx: %d\n", summary.requests,
    summary.errors.connect + summary.errors.read + summary.errors.write + summary.errors.timeout, summary.errors.status))
end
LUA

# Connects `count` clients at once from `source` and prints the slowest
# first answer; with "slow" it instead holds `count` connections trickling a
# request head from `source` and times one normal request from 127.0.0.1.
cat >"$work/probe.py" <<'PY'
import socket, sys, threading, time
mode, port, source, count = sys.argv[1], int(sys.argv[2]), sys.argv[3], int(sys.argv[4])
request = b"GET /synchronization/synData HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"
def first_answer(src):
    s = socket.socket(); s.settimeout(60); s.bind((src, 0))
    start = time.monotonic()
    try:
        s.connect(("127.0.0.1", port)); s.sendall(request)
        return time.monotonic() - start if s.recv(1) else None
    except OSError:
        return None
    finally:
        s.close()
if mode == "burst":
    times = []
    def run(): times.append(first_answer(source))
    threads = [threading.Thread(target=run) for _ in range(count)]
    for t in threads: t.start()
    for t in threads: t.join()
    answered = [t for t in times if t is not None]
    print("burst of %d clients: %d answered, slowest first answer %.1f ms"
          % (count, len(answered), 1000 * max(answered) if answered else float("nan")))
else:
    slow = []
    for _ in range(count):
        s = socket.socket(); s.bind((source, 0)); s.connect(("127.0.0.1", port))
        s.sendall(b"POST /books/addBook HTTP/1.1\r\n"); slow.append(s)
    stop = threading.Event()
    def trickle():
        while not stop.wait(1.0):
            for s in slow:
                try: s.sendall(b"X-Slow: 1\r\n")
                except OSError: pass
    threading.Thread(target=trickle, daemon=True).start()
    time.sleep(2)
    latency = first_answer("127.0.0.1")
    stop.set()
    print("with %d slow connections from %s: a normal request answered in %s"
          % (count, source, "%.1f ms" % (1000 * latency) if latency is not None else "never"))
PY

echo "bench_server: $authors authors saving $(wc -c <"$work/content.txt") encoded bytes per request for ${seconds}s"
(sleep $((seconds / 2)); python3 "$work/probe.py" burst "$(cat "$work/port")" 127.0.0.3 64) &
probe_pid=$!
wrk -t2 -c"$authors" -d"${seconds}s" --latency -s "$work/save.lua" "$base"
wait "$probe_pid"
grep -v "editChapter 200 200" "$work/server.log" | tail -n 3

kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null || true
rm -f "$work/port"
"$server" --listen 127.0.0.1 --port 0 --port-file "$work/port" --data "$work/data" --dev >>"$work/server.log" 2>&1 &
server_pid=$!
for _ in $(seq 100); do [[ -s "$work/port" ]] && break; sleep 0.1; done
python3 "$work/probe.py" slow "$(cat "$work/port")" 127.0.0.2 100

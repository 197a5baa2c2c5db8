#!/usr/bin/env bash
# The Windows build under Wine:
#   1. cross-builds the core, quorvane-ctl.exe and the core's tests with
#      mingw-w64 into build-win/ (or $QHX_WIN_BUILD);
#   2. runs the core's unit tests under Wine;
#   3. runs quorvane-ctl.exe against the Linux virtual logger through COM5,
#      which Wine maps to the logger's pseudo-terminal: info, a readout of
#      10,000 records compared byte for byte with the Linux tool's, two
#      programs on one port, and a line that hangs up part way.
# The Linux quorvane-sim and quorvane-ctl come from build/ (or
# $QHX_NATIVE_BUILD), configured there if need be.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
native="${QHX_NATIVE_BUILD:-$root/build}"
win="${QHX_WIN_BUILD:-$root/build-win}"
scale="${QHX_WINE_TIME_SCALE:-0.1}"

echo "== Windows cross build"
cmake -S "$root" -B "$win" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DQHX_WERROR=ON -DQHX_BUILD_UI=OFF -DQHX_BUILD_BENCH=OFF >/dev/null
cmake --build "$win" -j"$(nproc)"
[ -f "$native/build.ninja" ] || cmake -S "$root" -B "$native" -G Ninja -DQHX_WERROR=ON >/dev/null
cmake --build "$native" -j"$(nproc)" --target quorvane-sim quorvane-ctl

# A Wine prefix of its own, made once (the first start takes a while).
export WINEPREFIX="$win/wineprefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
com_link="$win/com5"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== making the Wine prefix"
  wineboot -i >/dev/null 2>&1
fi
# COM5 is a link that each scenario points at its logger's pseudo-terminal.
# One Wine server for the whole run, its own output out of the way: it takes
# the pseudo-terminal as its controlling terminal and reports each hang-up.
# The first program started also starts Wine's background services, which
# keep its output open: that is this quiet one, not a test.
wineserver -k 2>/dev/null || true
wineserver -p >/dev/null 2>&1
wine reg add 'HKLM\Software\Wine\Ports' /v COM5 /t REG_SZ /d "$com_link" /f >/dev/null 2>&1
rm -f "$WINEPREFIX/dosdevices/com5"
ln -s "$com_link" "$WINEPREFIX/dosdevices/com5"

echo "== the core's unit tests under Wine"
ctest --test-dir "$win" --output-on-failure -j2 --timeout 300

echo "== quorvane-ctl.exe against the virtual logger"
work="$(mktemp -d)"
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
check() {  # check NAME CONDITION...
  local name="$1"
  shift
  if "$@"; then echo "ok   $name"; else echo "FAIL $name"; failures=$((failures + 1)); fi
}

# start_logger ARGS: a virtual logger on a fresh pseudo-terminal behind COM5.
start_logger() {
  stop_logger
  coproc SIM { exec "$native/bin/quorvane-sim" "$@" 2>/dev/null; }
  sim_pid=$SIM_PID
  read -r -t 30 pty <&"${SIM[0]}"
  ln -sfn "$pty" "$com_link"
}
stop_logger() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=""
  fi
}
# exec: the job's process is the Windows program itself, so that killing the
# job ends the program and releases the port.
# Both tools speak Japanese here, whatever the environment's locale says.
ctl_win() { (cd "$work" && QHX_TIME_SCALE="$scale" exec wine "$win/bin/quorvane-ctl.exe" --lang ja "$@"); }
# Waits (at most 30 s) until no quorvane-ctl.exe runs any more: a program
# still holding COM5 would make the next scenario's program see it in use.
wait_no_win_ctl() {
  local i
  for ((i = 0; i < 300; i++)); do
    win_ctl_pids >/dev/null || return 0
    sleep 0.1
  done
  echo "     a quorvane-ctl.exe is still running"
  kill -KILL $(win_ctl_pids) 2>/dev/null || true
}
# Prints the process ids whose command line names quorvane-ctl.exe; fails when there are none.
win_ctl_pids() {
  local f found=1
  for f in /proc/[0-9]*/cmdline; do
    if grep -qa 'quorvane-ctl\.exe' "$f" 2>/dev/null; then
      f="${f#/proc/}"
      echo "${f%/cmdline}"
      found=0
    fi
  done
  return $found
}
ctl_linux() { (cd "$work" && QHX_TIME_SCALE="$scale" "$native/bin/quorvane-ctl" --lang ja "$@"); }
# The messages as a Linux terminal shows them (Wine's console ends lines with CR LF).
plain() { tr -d '\r' <"$1"; }

start_logger --records 10000
set +e
ctl_win --port COM5 info >"$work/info.out" 2>"$work/info.err"
info_rc=$?
ctl_linux --port "$pty" info >"$work/info-linux.out" 2>&1
set -e
check "info exits 0" [ "$info_rc" = 0 ]
check "info names the logger" grep -q "Quorvane-HX7" "$work/info.out"
# The clock and the times taken from it differ by the second between runs.
check "info as on Linux" cmp -s <(plain "$work/info.out" | grep -Ev '^(clock|start|next)\b') \
  <(grep -Ev '^(clock|start|next)\b' "$work/info-linux.out")

start=$(date +%s.%N)
set +e
ctl_win --port COM5 read-data -o win.txt >"$work/read.out" 2>"$work/read.err"
read_rc=$?
set -e
seconds=$(echo "$(date +%s.%N) - $start" | bc)
ctl_linux --port "$pty" read-data -o linux.txt >/dev/null 2>&1
check "read-data exits 0" [ "$read_rc" = 0 ]
check "read-data saved 10,000 records" [ "$(grep -c . "$work/win.txt" 2>/dev/null)" -ge 10000 ]
check "read-data byte-exact with the Linux tool" cmp "$work/win.txt" "$work/linux.txt"
bytes=$(stat -c %s "$work/win.txt" 2>/dev/null || echo 0)
echo "     readout through Wine: 10000 records, $bytes bytes in ${seconds}s (program start included)"

# Two programs on one port: whichever opens second is told the port is in use.
start_logger --records 2000 --paced
set +e
ctl_win --port COM5 read-data -o first.txt >"$work/a.out" 2>"$work/a.err" &
a=$!
ctl_win --port COM5 read-data -o second.txt >"$work/b.out" 2>"$work/b.err" &
b=$!
wait -n "$a" "$b"
first_rc=$?
set -e
if kill -0 "$a" 2>/dev/null; then held=$a; refused="$work/b.err"; else held=$b; refused="$work/a.err"; fi
check "second program exits 1" [ "$first_rc" = 1 ]
check "second program is told the port is in use" grep -q "使用中" "$refused"
plain "$refused" | sed 's/^/     /'
kill "$held" 2>/dev/null || true
wait "$held" 2>/dev/null || true
stop_logger
wait_no_win_ctl

# The line hangs up part way through the readout.
start_logger --records 10000 --drop-after-bytes 150000
set +e
ctl_win --port COM5 read-data -o cut.txt >"$work/cut.out" 2>"$work/cut.err"
cut_rc=$?
set -e
start_logger --records 10000 --drop-after-bytes 150000
set +e
ctl_linux --port "$pty" read-data -o cut-linux.txt >"$work/cut-linux.out" 2>"$work/cut-linux.err"
cut_linux_rc=$?
set -e
check "vanished port: exit code as on Linux ($cut_linux_rc)" [ "$cut_rc" = "$cut_linux_rc" ]
# The same message, but for its last line: the system's own reason, which
# each system words its own way.
check "vanished port: message as on Linux" cmp -s <(plain "$work/cut.err" | sed '$d') <(sed '$d' "$work/cut-linux.err")
check "vanished port: the system's reason" [ -n "$(plain "$work/cut.err" | tail -n 1)" ]
plain "$work/cut.err" | sed 's/^/     /'
stop_logger

if ((failures)); then
  echo "Wine scenarios: $failures failed"
  exit 1
fi
echo "Wine scenarios: all passed"

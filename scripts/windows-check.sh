#!/usr/bin/env bash
# The Windows build, checked on this machine: cross-builds tarvik.dll, the Qt-free libraries,
# vexlan-cli.exe and kedgen.exe with MinGW-w64 and, under Wine,
#   - runs their unit tests;
#   - compares `compute`, `info` and `report` with the Linux build for every bundled sample;
#   - downloads every sample from the simulated instrument (a Linux instsim on a pseudo-terminal,
#     mapped to a Wine COM port), byte for byte, on a clean line and with line faults;
#   - opens a COM port that does not exist and expects the same message as on Linux.
# Needs g++-mingw-w64-x86-64-posix and wine64 (scripts/install-deps.sh windows installs them).
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
linux_dir=${VEXLAN_LINUX_BUILD:-build}
windows_dir=${VEXLAN_WINDOWS_BUILD:-build-win}
port=COM5
started=$SECONDS

step() { printf '== %s (%ds)\n' "$*" $((SECONDS - started)); }
fail() { echo "windows-check: $*" >&2; exit 1; }

step "Linux tools: the simulated instrument and the reference vexlan-cli"
cmake -S . -B "$linux_dir" -G Ninja >/dev/null
cmake --build "$linux_dir" -j "$jobs" --target instsim vexlan-cli
linux_cli=$linux_dir/bin/vexlan-cli

step "Windows build"
cmake -S . -B "$windows_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DVEXLAN_GUI=OFF -DVEXLAN_BENCH=OFF >/dev/null
cmake --build "$windows_dir" -j "$jobs"
windows_cli=$windows_dir/bin/vexlan-cli.exe

# A Wine of our own: a private prefix, its own server, nothing left behind.
work=$(mktemp -d "${TMPDIR:-/tmp}/vexlan-windows.XXXXXX")
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
wine_run() { timeout 300 wine "$@"; }

step "Wine prefix"
mkdir -p "$WINEPREFIX"
wineserver -p  # one server for the whole check, not one per program; stopped at exit
wineboot -i >/dev/null 2>&1 || fail "wineboot could not create the prefix"

step "Unit tests under Wine"
(cd "$windows_dir" && ctest --output-on-failure -j "$jobs" --timeout 300)

step "compute, info and report against the Linux build"
samples=(samples/*.ked)
for sample in "${samples[@]}"; do
  for command in compute info report; do
    "$linux_cli" "$command" "$sample" >"$work/linux.out" 2>&1 || fail "Linux $command $sample failed"
    wine_run "$windows_cli" "$command" "$sample" >"$work/windows.out" 2>&1 \
      || fail "Windows $command $sample failed: $(cat "$work/windows.out")"
    cmp "$work/linux.out" "$work/windows.out" || {
      diff "$work/linux.out" "$work/windows.out" | head -20 >&2
      fail "$command $sample differs from the Linux build"
    }
  done
done
echo "${#samples[@]} samples x 3 commands identical"

# The instrument holds the samples under names of its own kind.
mkdir -p "$work/instrument"
n=0
for sample in "${samples[@]}"; do
  n=$((n + 1))
  cp "$sample" "$work/instrument/$(printf 'LEAK%04d.KED' $n)"
done

# Starts instsim with the given options and maps the Wine COM port to its pseudo-terminal.
start_simulator() {
  "$linux_dir/bin/instsim" --dir "$work/instrument" --log "$work/sim.log" "$@" \
    >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/sim.out" ] && break
    sleep 0.1
  done
  local pty
  pty=$(head -n 1 "$work/sim.out")
  [ -c "$pty" ] || fail "instsim gave no pseudo-terminal: $(cat "$work/sim.err")"
  ln -sfn "$pty" "$WINEPREFIX/dosdevices/${port,,}"
}

stop_simulator() {
  kill "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=
}

download_all() {
  local label=$1; shift
  local out=$work/download-$label
  rm -rf "$out" && mkdir -p "$out"
  start_simulator "$@"
  local begin=$SECONDS
  wine_run "$windows_cli" download --port "$port" --all --out "$out" --quiet \
    || fail "download ($label) failed"
  local took=$((SECONDS - begin))
  stop_simulator
  for file in "$work"/instrument/*.KED; do
    cmp "$file" "$out/$(basename "$file")" || fail "download ($label): $(basename "$file") differs"
  done
  local faults
  faults=$(grep -c -E '\((dropped|corrupted|duplicated)' "$work/sim.log" || true)
  echo "download ($label): $(ls "$out" | wc -l) files, $(cat "$out"/* | wc -c) bytes identical" \
       "in ${took}s, $faults frames dropped, corrupted or duplicated by the line"
}

step "Download through $port"
download_all clean
download_all faults --drop 0.02 --corrupt 0.02 --duplicate 0.02 --seed 7

step "A COM port that does not exist"
missing=COM9
rm -f "$WINEPREFIX/dosdevices/${missing,,}"
for command in test-port download; do
  [ "$command" = download ] && extra=(--all --out "$work") || extra=()
  if expected=$("$linux_cli" "$command" --port /dev/vexlan-no-such-port "${extra[@]}" 2>&1); then
    fail "$command: the Linux build opened a missing port"
  fi
  if actual=$(wine_run "$windows_cli" "$command" --port "$missing" "${extra[@]}" 2>&1); then
    fail "$command: the Windows build opened a missing port"
  fi
  [ "$actual" = "$expected" ] || fail "$command, missing port: got \"$actual\", expected \"$expected\""
  echo "$command, missing port: $(echo "$actual" | head -n 1)"
done

step "Windows check passed"

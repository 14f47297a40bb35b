#!/usr/bin/env bash
# The Windows command line under Wine against the Linux recorder emulator, beside the Linux
# command line against the same emulator: the same listing, the same files byte for byte.
#
#   tests/windows/wine_end_to_end.sh LINUX_BIN WINDOWS_BIN
#
# LINUX_BIN holds the Linux `sonoret`, WINDOWS_BIN `sonoret.exe` and `vocodec.dll`. WINEPREFIX
# must name a prefix whose wineserver runs (the caller starts it and stops it after).
set -euo pipefail

linux_bin="$(cd "$1" && pwd)"
windows_bin="$(cd "$2" && pwd)"
: "${WINEPREFIX:?WINEPREFIX must be set}"
export WINEDEBUG=-all

work="$(mktemp -d "${TMPDIR:-/tmp}/sonoret-wine-XXXXXX")"
emulators=()
cleanup() {
    local pid
    for pid in "${emulators[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -f "$WINEPREFIX/dosdevices/com5" "$WINEPREFIX/dosdevices/com6"
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

# start_emulator NAME PORT [OPTIONS...]: `sonoret simulate` on a pseudo-terminal, linked as
# COM<PORT> of the prefix; its device in $device, its log in $work/NAME.log.
start_emulator() {
    local name="$1" port="$2"
    shift 2
    "$linux_bin/sonoret" simulate --log "$@" >"$work/$name.device" 2>"$work/$name.log" &
    emulators+=($!)
    local i
    for i in $(seq 100); do
        [ -s "$work/$name.device" ] && break
        sleep 0.05
    done
    device="$(head -n 1 "$work/$name.device")"
    [ -n "$device" ] || { echo "the emulator did not start" >&2; exit 1; }
    ln -sfn "$device" "$WINEPREFIX/dosdevices/com$port"
}

win() { (cd "$work/win" && wine "$windows_bin/sonoret.exe" "$@"); }
lin() { (cd "$work/lin" && "$linux_bin/sonoret" --device "$device" "$@"); }
mkdir -p "$work/win" "$work/lin"

start_emulator quick 5
quick_device="$device"

# The listing, as text and as JSON. Windows ends its lines with CR LF on a console only.
win --port 5 list >"$work/win.list" 2>"$work/win.err" || fail "list under Wine: $(cat "$work/win.err")"
lin list >"$work/lin.list"
if cmp -s <(tr -d '\r' <"$work/win.list") "$work/lin.list"; then pass "list is the same"; else
    fail "list differs"; diff <(tr -d '\r' <"$work/win.list") "$work/lin.list" >&2 || true
fi

# A message as the recorder sends it, and converted.
win --port 5 fetch 1 2 -o m.Bin >/dev/null 2>&1 || fail "fetch under Wine"
lin fetch 1 2 -o m.Bin >/dev/null 2>&1
cmp -s "$work/win/m.Bin" "$work/lin/m.Bin" && pass "fetch gives the same .Bin" || fail "fetch differs"
win --port 5 export 4 2 -o m.wav >/dev/null 2>&1 || fail "export under Wine"
lin export 4 2 -o m.wav >/dev/null 2>&1
cmp -s "$work/win/m.wav" "$work/lin/m.wav" && pass "export gives the same WAV" || fail "export differs"

# Every recording, named by its time; the sync record itself holds the time it was written.
win --port 5 sync -o all >/dev/null 2>"$work/win.err" || fail "sync under Wine: $(cat "$work/win.err")"
lin sync -o all >/dev/null 2>&1
if diff -r -x .sonoret-sync.json "$work/win/all" "$work/lin/all" >&2 &&
    [ "$(ls "$work/win/all" | wc -l)" -gt 5 ]; then
    pass "sync gives the same $(ls "$work/win/all" | wc -l) WAV files"
else
    fail "sync differs"
fi
win --port 5 sync -o all --format flac >/dev/null 2>"$work/win.err" && fail "flac accepted" ||
    { grep -q "writes WAV only" "$work/win.err" && pass "a compressed format is refused, saying why" ||
        fail "flac refused without the reason: $(cat "$work/win.err")"; }

# The clock: both frames reach the recorder.
lines_before=$(wc -l <"$work/quick.log")
win --port 5 set-clock >/dev/null 2>&1 || fail "set-clock under Wine"
sleep 0.2
if tail -n +$((lines_before + 1)) "$work/quick.log" | grep -q "set time" &&
    tail -n +$((lines_before + 1)) "$work/quick.log" | grep -q "set date"; then
    pass "set-clock sets time and date"
else
    fail "set-clock did not reach the recorder"
fi

# Without vocodec.dll beside it, the conversion fails with its reason; no crash.
mkdir -p "$work/alone"
cp "$windows_bin/sonoret.exe" "$work/alone/"
status=0
(cd "$work/win" && wine "$work/alone/sonoret.exe" --port 5 export 1 1 -o alone.wav) \
    >/dev/null 2>"$work/alone.err" || status=$?
if [ "$status" = 4 ] && grep -q "decoder library is missing" "$work/alone.err" &&
    [ ! -e "$work/win/alone.wav" ]; then
    pass "a missing vocodec.dll is a conversion failure (status 4)"
else
    fail "missing vocodec.dll: status $status, $(cat "$work/alone.err")"
fi

# Ctrl-C in the middle of a download at the line's real speed: the recorder is told to stop
# (the 256-byte filler, then mode off), nothing partial is left, the status is 130.
start_emulator paced 6 --paced
(cd "$work/win" && exec wine "$windows_bin/sonoret.exe" --trace --port 6 fetch 5 3 -o cut.Bin) \
    >/dev/null 2>"$work/cut.trace" </dev/null &
fetcher=$!
# Wine hands the program's console a Ctrl-C for a SIGINT of its process.
for i in $(seq 400); do
    grep -q "< 528 bytes" "$work/cut.trace" 2>/dev/null && break
    sleep 0.02
done
kill -INT "$fetcher"
status=0
wait "$fetcher" || status=$?
for i in $(seq 100); do
    tail -n 1 "$work/paced.log" | grep -q "mode off" && break
    sleep 0.02
done
if [ "$status" = 130 ] && [ ! -e "$work/win/cut.Bin" ] && grep -q "> 256 bytes" "$work/cut.trace" &&
    grep -q "stopped by the PC" "$work/paced.log" && tail -n 1 "$work/paced.log" | grep -q "mode off"; then
    pass "Ctrl-C stops the download: the filler and mode off go out, no file is left (status 130)"
else
    fail "Ctrl-C: status $status; emulator: $(tr '\n' '|' <"$work/paced.log"); $(tail -n 4 "$work/cut.trace" | tr '\n' '|')"
fi

echo "exclusive open: not checked under Wine, which lets a second program open a port in use"
[ "$failures" = 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "all Windows end-to-end checks passed"

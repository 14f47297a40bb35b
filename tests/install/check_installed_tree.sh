#!/usr/bin/env bash
# The installed tree, as a user's machine gets it: installed under DESTDIR with the prefix /usr,
# then used from there with nothing of the build folder on any path.
#
#   check_installed_tree.sh STEP BUILD_DIR ROOT
#
# install        cmake --install BUILD_DIR into ROOT (the other steps need it first)
# layout         every file where it belongs and nothing else; run paths; icon sizes
# cli            the installed sonoret lists the emulator's folders
# cli-version    ... and tells its version
# convert        ... and converts, loading the decoder from its private folder
# window         the installed sonoret-manager tells its version and starts
# desktop-entry  desktop-file-validate, and the entry names what is installed
# metainfo       appstreamcli validate --no-net, and it names the entry it describes
# man-pages      both pages render without a warning
# completion     bash completes commands, options, folder and message numbers, devices
# docs           every command and option `sonoret --help` knows is in the man page and the
#                completion
set -euo pipefail

step="$1"
build="$(cd "$2" && pwd)"
root="$(realpath -m "$3")"
usr="$root/usr"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
need() {
    command -v "$1" >/dev/null ||
        fail "the tool '$1' is missing: install the Debian package $2 (./manage installs it)"
}

header="$build/generated/sonoret_version.h"
[ -f "$header" ] || fail "$header is missing: configure the build first"
header_value() { sed -n "s/.*$1 = \"\\(.*\\)\";.*/\\1/p" "$header"; }
app_id="$(header_value kSonoretAppId)"
version="$(header_value kSonoretVersion)"
[ -n "$app_id" ] && [ -n "$version" ] || fail "no version or application id in $header"

# A scratch home for each run, removed when the step ends.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# Runs an installed program as a user's session would: an empty environment but for the
# basics (and the sanitizers' settings of a test build), in a folder outside the build.
installed_env=(env -i -C "$scratch" PATH=/usr/bin:/bin HOME="$scratch"
    XDG_CONFIG_HOME="$scratch/config" XDG_CACHE_HOME="$scratch/cache" XDG_RUNTIME_DIR="$scratch")
for name in ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS; do
    [ -z "${!name:-}" ] || installed_env+=("$name=${!name}")
done
run_installed() { "${installed_env[@]}" "$@"; }

installed() { [ -d "$usr/bin" ] || fail "nothing installed in $root: run the step 'install' first"; }

expected_files() {
    echo "usr/bin/sonoret"
    echo "usr/lib/sonoret/libvocodec.so"
    echo "usr/lib/sonoret/vocodec"
    echo "usr/share/bash-completion/completions/sonoret"
    echo "usr/share/man/man1/sonoret.1.gz"
    if [ -f "$build/bin/sonoret-manager" ]; then
        echo "usr/bin/sonoret-manager"
        echo "usr/share/man/man1/sonoret-manager.1.gz"
        echo "usr/share/applications/$app_id.desktop"
        echo "usr/share/metainfo/$app_id.metainfo.xml"
        echo "usr/share/icons/hicolor/scalable/apps/$app_id.svg"
        local size
        for size in 16 22 24 32 48 64 128 256; do
            echo "usr/share/icons/hicolor/${size}x$size/apps/$app_id.png"
        done
    fi
}

# Width and height of a PNG file, from its header.
png_size() {
    local bytes
    read -r -a bytes <<<"$(od -An -tu1 -j16 -N8 "$1")"
    echo "$(((bytes[0] << 24) + (bytes[1] << 16) + (bytes[2] << 8) + bytes[3]))x$(((bytes[4] << 24) + (bytes[5] << 16) + (bytes[6] << 8) + bytes[7]))"
}

# The candidates bash's completion offers for a command line; the last word is the one completed.
complete_words() {
    bash -c 'source "$1"; shift
        COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        _sonoret; [ ${#COMPREPLY[@]} -eq 0 ] || printf "%s\n" "${COMPREPLY[@]}"' \
        completion "$usr/share/bash-completion/completions/sonoret" "$@"
}
expect_completion() {
    local want="$1"
    shift
    local got
    got="$(complete_words "$@" | sort | tr '\n' ' ')"
    [ "$got" = "$want" ] || fail "completing '$*': expected '$want', got '$got'"
}

render_man() {
    # man drops root's privileges and confines itself; neither helps on a page given by path.
    MAN_DISABLE_SECCOMP=1 MANWIDTH=80 man --warnings -l "$1"
}

case "$step" in
install)
    rm -rf "$root"
    DESTDIR="$root" "${CMAKE:-cmake}" --install "$build" --prefix /usr >/dev/null ||
        fail "cmake --install $build did not succeed"
    # What was installed, before the other steps run programs that may leave files there.
    (cd "$root" && find . -type f -o -type l | sed 's|^\./||' | sort) >"$root.files"
    ;;

layout)
    installed
    need readelf binutils
    actual="$(cat "$root.files")"
    expected="$(expected_files | sort)"
    [ "$actual" = "$expected" ] ||
        fail "the installed files differ from the expected ones (< expected, > installed):
$(diff <(echo "$expected") <(echo "$actual") | grep '^[<>]')"
    # The decoder is found after LD_LIBRARY_PATH: a RUNPATH, never an RPATH, and never a path of
    # the build.
    for program in "$usr"/bin/*; do
        dynamic="$(readelf -d "$program")"
        if grep -q '(RPATH)' <<<"$dynamic"; then fail "$program has an RPATH, which comes before LD_LIBRARY_PATH"; fi
        grep -qF 'Library runpath: [$ORIGIN/../lib/sonoret]' <<<"$dynamic" ||
            fail "$program does not look for the decoder in ../lib/sonoret: $(echo "$dynamic" | grep -i path)"
    done
    for file in "$usr"/bin/* "$usr"/lib/sonoret/*; do
        dynamic="$(readelf -d "$file")"
        if grep -i 'path' <<<"$dynamic" | grep -qF "$build"; then fail "$file names the build folder in its run path"; fi
    done
    for png in "$usr"/share/icons/hicolor/*x*/apps/*.png; do
        [ -e "$png" ] || continue
        folder="$(basename "$(dirname "$(dirname "$png")")")"
        [ "$(png_size "$png")" = "$folder" ] || fail "$png is $(png_size "$png"), not $folder"
    done
    ;;

cli-version)
    installed
    got="$(run_installed "$usr/bin/sonoret" --version)"
    [ "$got" = "sonoret $version" ] || fail "sonoret --version said '$got'"
    ;;

cli)
    installed
    out="$(run_installed "$usr/bin/sonoret" --simulate list 2>"$scratch/err")" ||
        fail "the installed 'sonoret --simulate list' failed: $(cat "$scratch/err")"
    grep -q '^1 File' <<<"$out" || fail "'sonoret --simulate list' listed no folders: $out"
    grep -qE '^  01: [0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2} \((SP|MP|LP)-' <<<"$out" ||
        fail "'sonoret --simulate list' listed no message: $out"
    ;;

convert)
    installed
    private="$(realpath "$usr/lib/sonoret")"
    run_installed env LD_DEBUG=libs LD_DEBUG_OUTPUT="$scratch/loader" \
        "$usr/bin/sonoret" --simulate export 1 1 -o x.wav >/dev/null 2>"$scratch/err" ||
        fail "the installed 'sonoret --simulate export 1 1 -o x.wav' failed: $(cat "$scratch/err")"
    [ "$(head -c 4 "$scratch/x.wav")" = RIFF ] || fail "export wrote no WAV file"
    [ "$(stat -c %s "$scratch/x.wav")" -gt 1000 ] || fail "export wrote an empty WAV file"
    loaded="$(sed -n 's/.*calling init: \(.*libvocodec\.so\)$/\1/p' "$scratch"/loader.*)"
    [ -n "$loaded" ] && [ "$(realpath "$loaded")" = "$private/libvocodec.so" ] ||
        fail "the decoder was not loaded from $private but from '$loaded'"
    ;;

window)
    installed
    got="$(run_installed "$usr/bin/sonoret-manager" --version)"
    [ "$got" = "sonoret-manager $version" ] || fail "sonoret-manager --version said '$got'"
    # Started on the emulator, offscreen, it is to stay up until stopped.
    # exec: $! is the program itself, and it is the program that is stopped below.
    (exec "${installed_env[@]}" QT_QPA_PLATFORM=offscreen "$usr/bin/sonoret-manager" --simulate \
        >"$scratch/out" 2>"$scratch/err") &
    pid=$!
    trap 'kill "$pid" 2>/dev/null || true; rm -rf "$scratch"' EXIT
    for _ in $(seq 30); do
        sleep 0.1
        kill -0 "$pid" 2>/dev/null || break
    done
    kill -0 "$pid" 2>/dev/null || {
        wait "$pid" || true
        fail "the installed sonoret-manager --simulate ended at once: $(cat "$scratch/err")"
    }
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    ;;

desktop-entry)
    installed
    need desktop-file-validate desktop-file-utils
    entry="$usr/share/applications/$app_id.desktop"
    report="$(desktop-file-validate "$entry" 2>&1)" || fail "desktop-file-validate: $report"
    # Hints (several main categories: AudioVideo and Utility, as asked) are fine; nothing worse.
    if grep -qE '(error|warning):' <<<"$report"; then fail "desktop-file-validate: $report"; fi
    grep -qx "Name=Sonoret Manager" "$entry" || fail "$entry: no 'Name=Sonoret Manager'"
    grep -qx "Icon=$app_id" "$entry" || fail "$entry: the icon is not $app_id"
    grep -qx "Categories=AudioVideo;Audio;Utility;" "$entry" || fail "$entry: other categories"
    exec_line="$(sed -n 's/^Exec=//p' "$entry")"
    [ -x "$usr/bin/${exec_line%% *}" ] || fail "$entry starts '$exec_line', which is not installed in bin/"
    ;;

metainfo)
    installed
    need appstreamcli appstream
    metainfo="$usr/share/metainfo/$app_id.metainfo.xml"
    report="$(appstreamcli validate --no-net "$metainfo" 2>&1)" || fail "appstreamcli validate: $report"
    grep -qF "<id>$app_id</id>" "$metainfo" || fail "$metainfo: its id is not $app_id"
    grep -qF "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
        fail "$metainfo does not launch $app_id.desktop"
    grep -qE '<image[^>]*>https://[^<]+\.png</image>' "$metainfo" || fail "$metainfo: no screenshot"
    ;;

man-pages)
    installed
    need man man-db
    for page in "$usr"/share/man/man1/*.1.gz; do
        render_man "$page" >"$scratch/page" 2>"$scratch/warnings" || fail "man -l $page failed: $(cat "$scratch/warnings")"
        [ ! -s "$scratch/warnings" ] || fail "$page renders with warnings: $(cat "$scratch/warnings")"
        for section in NAME SYNOPSIS DESCRIPTION OPTIONS FILES "EXIT STATUS"; do
            grep -qx "$section" "$scratch/page" || fail "$page has no $section section"
        done
        long="$(awk 'length > 80' "$scratch/page")"
        [ -z "$long" ] || fail "$page has lines wider than 80 columns: $long"
    done
    ;;

completion)
    installed
    expect_completion "set-clock set-date set-time simulate sync " sonoret s
    expect_completion "set-clock set-date set-time simulate sync " sonoret --simulate s
    expect_completion "set-clock set-date set-time simulate sync " sonoret --device /dev/ttyUSB0 s
    expect_completion "--device " sonoret --dev
    expect_completion "1 2 3 4 5 " sonoret fetch ""
    expect_completion "1 2 3 4 5 " sonoret --port 2 delete -y ""
    expect_completion "10 100 " sonoret export 3 10
    expect_completion "" sonoret export --all ""
    expect_completion "" sonoret delete 1 2 ""
    expect_completion "--all --format --help --name --output " sonoret export --
    expect_completion "--dry-run --format --help --json --missing --name --output " sonoret sync --
    expect_completion "flac mp3 ogg opus wav " sonoret sync -o out --format ""
    expect_completion "1 2 " sonoret convert --mode ""
    expect_completion "1 2 " sonoret simulate --mode=""
    expect_completion "--counts --help --log --mode --paced --seed " sonoret simulate --
    expect_completion "--help --json " sonoret ports --
    expect_completion "delete " sonoret help de
    # Devices: the serial ports of this machine, and any path once the word leaves /dev/tty*.
    expect_completion "/dev/null " sonoret --device /dev/nul
    got="$(complete_words sonoret --device /dev/tty | head -1)"
    case "$got" in /dev/tty*) ;; *) fail "completing '--device /dev/tty' offered '$got'" ;; esac
    # Files to convert, names with spaces included.
    mkdir -p "$scratch/in"
    touch "$scratch/in/a message.Bin" "$scratch/in/notes.txt"
    expect_completion "$scratch/in/a message.Bin " sonoret convert "$scratch/in/"
    ;;

docs)
    installed
    need man man-db
    page="$(render_man "$usr/share/man/man1/sonoret.1.gz" 2>/dev/null)"
    completion="$(cat "$usr/share/bash-completion/completions/sonoret")"
    usage="$(run_installed "$usr/bin/sonoret" --help)"
    commands="$(echo "$usage" | sed -n '/^Commands:/,/^$/p' | sed -n 's/^  \([a-z][a-z-]*\).*/\1/p')"
    [ -n "$commands" ] || fail "sonoret --help lists no commands: $usage"
    options="$(echo "$usage" | grep -oE '(^| )--?[a-z][a-z-]*' | tr -d ' ' | sort -u)"
    for command in $commands; do
        grep -qE "^       $command( |$)" <<<"$page" || fail "the man page has no entry for the command $command"
        grep -qE "commands=\".*\\b$command\\b" <<<"$completion" ||
            fail "the completion does not offer the command $command"
        help="$(run_installed "$usr/bin/sonoret" "$command" --help)"
        options+=$'\n'"$(echo "$help" | { grep -oE '(^| |\[)--?[a-z][a-z-]*' || true; } | tr -d ' [')"
    done
    for option in $(echo "$options" | sort -u); do
        grep -qE -- "(^|[^A-Za-z0-9-])$option([^A-Za-z0-9-]|$)" <<<"$page" ||
            fail "the man page does not tell of $option"
        grep -qE -- "(\"| )$option( |\"|\))" <<<"$completion" ||
            fail "the completion does not offer $option"
    done
    if [ -x "$usr/bin/sonoret-manager" ]; then
        page="$(render_man "$usr/share/man/man1/sonoret-manager.1.gz" 2>/dev/null)"
        for option in $(run_installed "$usr/bin/sonoret-manager" --help | grep -oE '(^| )--?[a-z][a-z-]*' | tr -d ' ' | sort -u); do
            grep -qE -- "(^|[^A-Za-z0-9-])$option([^A-Za-z0-9-]|$)" <<<"$page" ||
                fail "sonoret-manager's man page does not tell of $option"
        done
    fi
    ;;

*)
    fail "unknown step '$step'"
    ;;
esac

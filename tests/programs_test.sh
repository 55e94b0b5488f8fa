#!/usr/bin/env bash
# The programs as a shell sees them: options answered without a window, and the desktop files valid.
# Arguments: the program, the tool, the resources folder.
set -u
quillax=$1 tool=$2 resources=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# No display at all: --help and --version must not need one.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$quillax" --help) || fail "quillax --help exits $?"
[[ $out == Usage:\ quillax* ]] || fail "quillax --help prints: $out"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$quillax" --version) || fail "quillax --version exits $?"
[[ $out =~ ^quillax\ [0-9]+\.[0-9]+ ]] || fail "quillax --version prints: $out"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$quillax" --frobnicate 2>/dev/null
[[ $? == 2 ]] || fail "an unknown option does not exit 2"
out=$("$tool" --version) || fail "quillax-tool --version exits $?"
[[ $out =~ ^quillax-tool\ [0-9]+\.[0-9]+ ]] || fail "quillax-tool --version prints: $out"
"$tool" --help | grep -q -- '--version' || fail "quillax-tool --help does not name --version"

# Only regular files are read: a pipe without a writer must not block, a device must not fill memory.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkfifo "$work/pipe.rtf"
for bad in "$work/pipe.rtf" /dev/zero "$work"; do
    timeout 20 "$tool" convert "$bad" --to text >/dev/null 2>"$work/err"
    status=$?
    [[ $status == 1 ]] || fail "quillax-tool convert $bad exits $status"
    grep -q "^Cannot open file $bad" "$work/err" || fail "quillax-tool convert $bad says: $(cat "$work/err")"
done

# Every argument is the user's, also one that looks like an option of Qt's.
"$tool" find "$work/none.tre" -reverse 2>"$work/err"
status=$?
[[ $status == 1 ]] || fail "quillax-tool find FILE -reverse exits $status: $(cat "$work/err")"

# What software centres and menus read.
appstreamcli validate --no-net "$resources"/io.github.quillax.Quillax.metainfo.xml >/dev/null || fail "metainfo"
desktop-file-validate "$resources"/quillax.desktop || fail "desktop entry"

exit $((failures > 0))

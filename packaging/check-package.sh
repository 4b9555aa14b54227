#!/usr/bin/env bash
# Checks the Debian package as a user meets it, on this machine: installs it with dpkg, runs both installed
# programs (the window under Xvfb), validates the desktop files and removes the package again, checking
# that nothing of it is left.   check-package.sh PATH/TO/vantrel_VERSION_ARCH.deb
# Needs root (sudo otherwise), lintian, desktop-file-utils, appstream, shared-mime-info, Xvfb and xdotool.
set -euo pipefail
deb=$(realpath "$1")
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
app_id=org.vantrel.Vantrel
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

step() { printf '  - [%3d s] %s\n' "$SECONDS" "$*"; }
fail() {
    printf 'package check FAILED: %s\n' "$*" >&2
    exit 1
}

work=$(mktemp -d)
installed=0
xvfb=""
finish() {
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    [ "$installed" -eq 0 ] || "${sudo[@]}" dpkg -r vantrel >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap finish EXIT

step "lintian"
lintian --fail-on error,warning --tag-display-limit 0 "$deb" || fail "lintian found problems"

if dpkg-query -W -f='${Status}' vantrel 2>/dev/null | grep -q 'install ok installed'; then
    step "note: a vantrel package was installed already; it is replaced and removed at the end"
fi
step "dpkg -i"
"${sudo[@]}" dpkg -i "$deb" >/dev/null || fail "dpkg -i failed"
installed=1
dpkg -L vantrel | sort >"$work/files"
depends=$(dpkg-query -W -f='${Depends}' vantrel)
# dpkg-shlibdeps found the libraries; the SQLite driver plugin is the one named by hand.
grep -q 'libqt6widgets6' <<<"$depends" || fail "Depends lacks the Qt libraries: $depends"
grep -q 'libqt6sql6-sqlite' <<<"$depends" || fail "Depends lacks the SQLite driver: $depends"

step "vantrel-cli solve on the example hunt"
fixes=$(/usr/bin/vantrel-cli solve "$source_dir/examples/hunt-vogelsberg.fh2") || fail "vantrel-cli solve failed"
[ "$(grep -cE '^F[1-5]	[0-9]{7}\.[0-9]	[0-9]{7}\.[0-9]$' <<<"$fixes")" -eq 5 ] ||
    fail "vantrel-cli solve did not print five fixes: $fixes"

step "manual pages"
for page in vantrel vantrel-cli; do
    file=$(man -w "$page") || fail "no manual page $page(1)"
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$file" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page(1): $warnings"
done

step "bash completion offers every command of vantrel-cli --help"
completion=/usr/share/bash-completion/completions/vantrel-cli
commands=$(/usr/bin/vantrel-cli --help | awk '/^Commands:/ { s = 1; next } /^[^ ]/ { s = 0 } s && NF { print $1 }')
offered=$(bash -c 'source "$1"; COMP_LINE="vantrel-cli "; COMP_POINT=12; COMP_WORDS=(vantrel-cli "");
    COMP_CWORD=1; _vantrel_cli; printf "%s\n" "${COMPREPLY[@]}"' _ "$completion")
[ "$(sort <<<"$commands")" = "$(sort <<<"$offered")" ] || fail "completion offers: $offered"
formats=$(bash -c 'source "$1"; COMP_LINE="vantrel-cli export h.fh2 --format "; COMP_POINT=${#COMP_LINE};
    COMP_WORDS=(vantrel-cli export h.fh2 --format ""); COMP_CWORD=4; _vantrel_cli; echo "${COMPREPLY[*]}"' \
    _ "$completion")
[ "$formats" = "kml geojson gpx" ] || fail "completion after --format offers: $formats"

step "desktop entry, AppStream metainfo, file types"
desktop-file-validate "/usr/share/applications/$app_id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "/usr/share/metainfo/$app_id.metainfo.xml" >/dev/null ||
    fail "appstreamcli validate: $(appstreamcli validate --no-net "/usr/share/metainfo/$app_id.metainfo.xml")"
# The dpkg triggers of shared-mime-info and desktop-file-utils have registered the types.
grep -q '^50:application/x-vantrel-hunt:\*\.fh2$' /usr/share/mime/globs2 || fail "*.fh2 is not registered"
grep -q '^50:application/x-vantrel-legacy-hunt:\*\.fhd$' /usr/share/mime/globs2 || fail "*.fhd is not registered"
grep -q "^application/x-vantrel-hunt=.*$app_id.desktop" /usr/share/applications/mimeinfo.cache ||
    fail "vantrel is not offered for .fh2 files"
for size in 16 32 48 64 128 256; do
    [ -f "/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png" ] || fail "no $size px icon"
done

step "the installed vantrel maps its window under Xvfb"
display=:$((200 + RANDOM % 200))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X${display#:}" ] && break
    sleep 0.1
done
mkdir -p "$work/home"
DISPLAY=$display HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share \
    XDG_RUNTIME_DIR=$work /usr/bin/vantrel "$source_dir/examples/hunt-vogelsberg.fh2" >"$work/vantrel.log" 2>&1 &
app=$!
window=$(DISPLAY=$display timeout 30 xdotool search --sync --onlyvisible --name '(^| - )Vantrel$' | head -1) || true
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
[ -n "$window" ] || fail "no Vantrel window appeared: $(cat "$work/vantrel.log")"
grep -q "Last Used Filename=$source_dir/examples/hunt-vogelsberg.fh2" "$work/home/.config/Vantrel/Vantrel.ini" ||
    fail "the file given on the command line was not opened"

step "dpkg -r leaves nothing behind"
"${sudo[@]}" dpkg -r vantrel >/dev/null || fail "dpkg -r failed"
installed=0
! dpkg-query -W -f='${Status}' vantrel 2>/dev/null | grep -q 'install ok installed' || fail "still installed"
left=$(while read -r path; do
    [ "$path" = /. ] || [ ! -e "$path" ] || [ -d "$path" ] || echo "$path"
done <"$work/files")
[ -z "$left" ] || fail "left behind: $left"
for folder in /usr/share/doc/vantrel /usr/lib/vantrel; do
    [ ! -e "$folder" ] || fail "left behind: $folder"
done
grep -q 'x-vantrel' /usr/share/mime/globs2 && fail "the file types are still registered"
echo "package check passed: $(basename "$deb")"

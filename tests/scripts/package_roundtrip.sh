#!/usr/bin/env bash
# Makes the package from the build, unpacks it into a scratch folder and uses it as a shop would:
# the command-line answers, a start to the password window, and the menu entry script. Checks that
# the program creates nothing outside its own folder.
# Usage: package_roundtrip.sh <build folder> <version>
set -euo pipefail
build=$1
version=$2
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
out="$scratch/out"
cpack --config "$build/CPackConfig.cmake" -G TGZ -B "$out" >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log"; exit 1; }
package="$out/Vetrinova-$version-linux-x86_64.tar.gz"
[ -f "$package" ] || { ls "$out"; echo "FAIL: $package not made"; exit 1; }

# Exactly the program folder, and nothing from trying the build (archives, lists, photos).
tar -tzf "$package" | sed 's|/$||' | sort >"$scratch/list"
for f in Vetrinova/Vetrinova Vetrinova/libvetrinova-camera.so Vetrinova/Guida.pdf Vetrinova/unins000.dll Vetrinova/aggiungi-al-menu.sh \
         Vetrinova/icone/vetrinova.desktop Vetrinova/icone/it.vetrinova.Vetrinova.metainfo.xml \
         Vetrinova/icone/hicolor/16x16/apps/vetrinova.png Vetrinova/icone/hicolor/256x256/apps/vetrinova.png \
         Vetrinova/icone/hicolor/scalable/apps/vetrinova.svg; do
  grep -qx "$f" "$scratch/list" || fail "$f is not in the package"
done
if grep -v -e '^Vetrinova$' -e '^Vetrinova/' "$scratch/list"; then fail "entries outside Vetrinova/"; fi
if grep -i -e '\.pro$' -e '\.lis$' -e '\.jpg$' -e '\.xls' "$scratch/list"; then fail "user data in the package"; fi

# A user's world in the scratch folder: home, caches, runtime folder, working folder, temporaries.
app="$scratch/Programmi con spazi"
home="$scratch/home"
mkdir -p "$app" "$home" "$scratch/run" "$scratch/cwd" "$scratch/tmp"
chmod 700 "$scratch/run"
tar -xzf "$package" -C "$app"
folder="$app/Vetrinova"
# The camera's libraries are loaded with its module, on first use, never at start.
if command -v readelf >/dev/null && readelf -d "$folder/Vetrinova" 2>/dev/null | grep -i multimedia; then
  fail "the executable itself needs Qt Multimedia"
fi
run() {
  (cd "$scratch/cwd" && env -i PATH="$PATH" HOME="$home" LC_ALL="${LC_ALL:-C.UTF-8}" TMPDIR="$scratch/tmp" \
     XDG_RUNTIME_DIR="$scratch/run" QT_QPA_PLATFORM=offscreen "$@")
}
snapshot() { (cd "$folder" && find . | sort); }
snapshot >"$scratch/before"

# Command-line answers touch no file, and need no display.
v=$(run "$folder/Vetrinova" --version) || fail "--version exit status $?"
[ "$v" = "Vetrinova $version" ] || fail "--version printed '$v'"
h=$(env -i PATH="$PATH" "$folder/Vetrinova" --help) || fail "--help exit status $?"
grep -q '^Uso: Vetrinova' <<<"$h" || fail "--help printed '$h'"
for bad in --colore -x file.pro "--help --version"; do
  set +e
  # shellcheck disable=SC2086 # the last case is two words on purpose
  e=$(run "$folder/Vetrinova" $bad 2>&1 >/dev/null)
  rc=$?
  set -e
  [ $rc -eq 2 ] || fail "'$bad' exit status $rc, not 2"
  grep -q '^Uso: Vetrinova' <<<"$e" || fail "'$bad' gave no usage line on the error output: '$e'"
done
snapshot | diff "$scratch/before" - || fail "the command line touched the program folder"

# A real start, offscreen, to the painted password window (the program quits there by itself).
started=$(run timeout 30 env VETRINOVA_STARTUP_PROBE=1 "$folder/Vetrinova" 2>"$scratch/stderr") || true
grep -q '^painted ' <<<"$started" || { cat "$scratch/stderr"; fail "the password window was never painted"; }
outside=$(cd "$scratch" && find home run cwd tmp -mindepth 1)
[ -z "$outside" ] || fail "created outside the program folder: $outside"

# The menu entry script: refuses root without a home, adds, is idempotent, removes.
script="$folder/aggiungi-al-menu.sh"
if [ "$(id -u)" -eq 0 ]; then
  set +e
  env -i PATH="$PATH" sh "$script" >/dev/null 2>&1; rc=$?
  set -e
  [ $rc -ne 0 ] || fail "the script ran as root without a home"
fi
data="$home/.local/share"
run sh "$script" >/dev/null || fail "the script failed"
entry="$data/applications/vetrinova.desktop"
[ -f "$entry" ] || fail "no menu entry"
grep -qxF "Exec=\"$folder/Vetrinova\"" "$entry" || fail "Exec does not point at the folder: $(grep Exec "$entry")"
[ -f "$data/icons/hicolor/48x48/apps/vetrinova.png" ] || fail "no 48 px icon"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || fail "the installed entry is not valid"
fi
(cd "$data" && find . -type f -exec md5sum {} + | sort) >"$scratch/first"
run sh "$script" >/dev/null || fail "the script failed the second time"
(cd "$data" && find . -type f -exec md5sum {} + | sort) | diff "$scratch/first" - || fail "a second run changed something"
run sh "$script" --togli >/dev/null || fail "--togli failed"
left=$(find "$data" -type f -name '*vetrinova*' -o -type f -name '*Vetrinova*')
[ -z "$left" ] || fail "--togli left: $left"
[ -x "$folder/Vetrinova" ] || fail "--togli removed the program"

if [ $fails -ne 0 ]; then
  echo "$fails check(s) failed"
  exit 1
fi
echo "Package $package: all checks passed"

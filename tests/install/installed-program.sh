#!/bin/sh
# Installs the program into a scratch prefix, validates its desktop entry and AppStream
# metadata, and starts it as a new user would: with an empty
# home, the database must come from the starter database into the user's data folder, and
# nothing may be written where the program is installed. Then the command line: --help,
# --version, an unknown option and a folder without a database.
#
#   installed-program.sh CMAKE BUILD_FOLDER VERSION
set -eu
cmake=$1 build=$2 version=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
home=$scratch/home
mkdir -p "$home/runtime" && chmod 700 "$home/runtime"
fail() { echo "FAILED: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$prefix" > /dev/null
desktop-file-validate "$prefix/share/applications/com.example.KalvoPlanner.desktop" ||
    fail "the desktop entry does not validate"
appstreamcli validate --no-net "$prefix/share/metainfo/com.example.KalvoPlanner.metainfo.xml" \
    > /dev/null || fail "the AppStream metadata does not validate"
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/com.example.KalvoPlanner.metainfo.xml" ||
    fail "the AppStream metadata does not name version $version"
for size in 16x16 24x24 32x32 48x48 64x64 128x128 256x256 scalable; do
    ls "$prefix/share/icons/hicolor/$size/apps/com.example.KalvoPlanner".* > /dev/null 2>&1 ||
        fail "no $size icon"
done
for page in kalvo-planner kalvo-db; do
    [ -f "$prefix/share/man/man1/$page.1" ] || fail "no manual page for $page"
done
listing() { (cd "$prefix" && find . -exec ls -ld --time-style=+%s {} + | sort); }
installed=$(listing)

# Runs the installed program as the new user, in place of the (sub)shell that calls it, so that
# a program started in the background has the background job's process id.
run() {
    exec env HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config" \
        XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM=offscreen \
        "$prefix/bin/kalvo-planner" "$@"
}

# The first start: the starter database appears in the user's data folder.
run &
program=$!
data="$home/.local/share/Kalvo Planner"
for _ in $(seq 1 200); do
    [ -f "$data/EventData.xml" ] && break
    sleep 0.1
done
sleep 0.5
kill "$program" 2>/dev/null || fail "the program ended at its first start"
wait "$program" 2>/dev/null || true
for table in Type Event EventData; do
    cmp -s "$prefix/share/kalvo-planner/$table.xml" "$data/$table.xml" ||
        fail "$table.xml in the user's data folder is not the starter database's"
done
[ "$(listing)" = "$installed" ] || fail "the program wrote into its installation folder"

# The command line. --help and --version answer without a display and without a platform set.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/kalvo-planner" --version 2>/dev/null) ||
    fail "--version without a display exited with $?"
[ "$out" = "Kalvo Planner $version" ] || fail "--version printed \"$out\""
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/kalvo-planner" --help 2>/dev/null) ||
    fail "--help without a display exited with $?"
echo "$out" | grep -q -- "--database <FOLDER>" || fail "--help does not name --database"
status=0; (run --no-such-option) > /dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "an unknown option exited with $status, not 2"
mkdir "$scratch/empty"
status=0; err=$(run --database "$scratch/empty" 2>&1 > /dev/null) || status=$?
[ "$status" -eq 2 ] || fail "a folder without a database exited with $status, not 2"
echo "$err" | grep -q "There is no Kalvo Planner database in the specified folder." ||
    fail "a folder without a database gave \"$err\""
[ -z "$(ls -A "$scratch/empty")" ] || fail "something was created in the folder without a database"
echo "installed program: all checks passed"

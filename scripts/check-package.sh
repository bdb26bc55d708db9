#!/usr/bin/env bash
# Builds the .deb and the .tar.gz from a finished build (build/, or the folder given as $1) and checks
# them as a user would meet them: the files of a working program folder, the commands in bin/, the
# libraries the binaries need, the package relations, the desktop entry and icons, the tarball holding
# the same tree; then it starts the installed program as a user who is not root, on the offscreen
# platform, and checks that the program reached its window working in a per-user folder seeded from the
# installed defaults while the installed folder stayed untouched, and runs the installed command line
# `dorvane` as that user (its help, and the tables of a demo database). Fails loudly at the first thing
# wrong.
#
#   bash scripts/check-package.sh [BUILD_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build=$(realpath "${1:-build}")

fail() {
    echo "check-package: FAILED: $*" >&2
    exit 1
}
note() { echo "check-package: $*" >&2; }

[ -x "$build/bin/DVNReplacer" ] || fail "$build holds no finished build (bin/DVNReplacer missing)"

note "writing the packages"
rm -f "$build"/dorvane_*.deb "$build"/dorvane-*-Linux.tar.gz
(cd "$build" && cpack -G "DEB;TGZ" >"$build/cpack.log" 2>&1) || {
    cat "$build/cpack.log" >&2
    fail "cpack"
}
deb=$(ls "$build"/dorvane_*.deb)
tgz=$(ls "$build"/dorvane-*-Linux.tar.gz)

scratch=$(mktemp -d /tmp/dorvane-package.XXXXXX)
program_pid=""
cleanup() {
    if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
    chmod -R u+w "$scratch" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
chmod 755 "$scratch"
root=$scratch/root
dpkg-deb -x "$deb" "$root"
program=$root/usr/lib/dorvane

# --- contents -------------------------------------------------------------------------------------
need_file() { [ -f "$root/$1" ] || fail "$(basename "$deb") lacks /$1"; }
need_executable() { [ -f "$root/$1" ] && [ -x "$root/$1" ] || fail "$(basename "$deb") lacks the executable /$1"; }

for executable in DVNReplacer DVNRUpdate dorvane dorvane-adtg; do need_executable "usr/lib/dorvane/$executable"; done
need_file usr/lib/dorvane/libdorvane_plugin.so
need_file usr/lib/dorvane/DVNReplacer.ini
need_file usr/lib/dorvane/sys/fdrv.dat
need_file usr/lib/dorvane/sys/dtype.dat
[ -d "$program/help" ] || fail "no help folder in the program folder"
for language in "$source_dir"/lang/*.lng; do need_file "usr/lib/dorvane/lang/$(basename "$language")"; done
for manual in "$source_dir"/help/* "$build"/bin/help/*; do
    [ -f "$manual" ] || continue
    [ "$(basename "$manual")" = ".keep" ] && continue
    need_file "usr/lib/dorvane/help/$(basename "$manual")"
done
need_file usr/share/applications/dorvane.desktop
for size in 16 22 24 32 48 64 128 256; do need_file "usr/share/icons/hicolor/${size}x${size}/apps/dorvane.png"; done
need_file usr/share/icons/hicolor/scalable/apps/dorvane.svg

# The table files are real saved record sets.
for table in fdrv dtype; do
    "$build/bin/dorvane-adtg" dump "$program/sys/$table.dat" >/dev/null || fail "sys/$table.dat is no table file"
done

# Every command of the build (build/launchers) is a link in /usr/bin to an executable of the program
# folder; dvnreplacer (the window) and dorvane (the command line) are among them.
for command in dvnreplacer dorvane; do
    [ -L "$root/usr/bin/$command" ] || fail "no command /usr/bin/$command"
done
for launcher in "$build"/launchers/*; do
    name=$(basename "$launcher")
    link=$root/usr/bin/$name
    [ -L "$link" ] || fail "no command /usr/bin/$name"
    target=$(cd "$root/usr/bin" && realpath -m "$(readlink "$link")")
    case "$target" in "$program"/*) ;; *) fail "/usr/bin/$name points outside /usr/lib/dorvane: $(readlink "$link")" ;; esac
    [ -x "$target" ] || fail "/usr/bin/$name points to nothing executable"
done

# The binaries find every library: Qt and ODBC from the system, the plug-in beside them.
for binary in "$program"/DVNReplacer "$program"/DVNRUpdate "$program"/dorvane "$program"/dorvane-adtg \
    "$program"/libdorvane_plugin.so; do
    missing=$(ldd "$binary" | grep "not found" || true)
    [ -z "$missing" ] || fail "$(basename "$binary") misses libraries: $missing"
done
[[ "$(ldd "$program/DVNReplacer")" == *"=> $program/libdorvane_plugin.so"* ]] \
    || fail "DVNReplacer does not load the plug-in library beside it"

# --- package relations ----------------------------------------------------------------------------
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6gui6 libqt6core6 libodbc2 libpcre2-16-0 unixodbc libsqliteodbc qt6-translations-l10n; do
    grep -Eq "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done
suggests=$(dpkg-deb -f "$deb" Suggests)
for package in odbc-postgresql odbc-mariadb odbc-mdbtools; do
    grep -Eq "(^|, )$package( |,|$)" <<<"$suggests" || fail "Suggests lacks $package: $suggests"
done

# --- desktop entry --------------------------------------------------------------------------------
desktop=$root/usr/share/applications/dorvane.desktop
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "dorvane.desktop does not validate"
else
    note "desktop-file-validate not installed: the desktop entry's syntax is not checked"
fi
exec_command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -L "$root/usr/bin/$exec_command" ] || fail "the desktop entry starts '$exec_command', which the package does not install"
grep -qx "Icon=dorvane" "$desktop" || fail "the desktop entry does not name the icon 'dorvane'"
grep -q "^Categories=.*Development;.*Database;" "$desktop" || fail "the desktop entry is not in Development/Database"

# --- the tarball holds the same tree --------------------------------------------------------------
(cd "$root/usr" && find . -mindepth 1 \( -type f -o -type l \) | sed 's|^\./||' | sort) >"$scratch/deb.list"
tar -tzf "$tgz" | grep -v '/$' | sed 's|^[^/]*/||' | sort >"$scratch/tgz.list"
diff -u "$scratch/deb.list" "$scratch/tgz.list" >&2 || fail "$(basename "$tgz") and $(basename "$deb") hold different files"

# --- a user who is not root starts the installed program ------------------------------------------
home=$scratch/home
mkdir -p "$home/runtime"
chmod 700 "$home/runtime"
run_as=()
if [ "$(id -u)" -eq 0 ]; then
    chown -R nobody: "$home"
    run_as=(setpriv --reuid="$(id -u nobody)" --regid="$(id -g nobody)" --clear-groups)
else
    # Extracted by this user, the tree is theirs: close it as an installation below /usr is closed.
    chmod -R a-w "$root"
fi
(cd "$program" && find . | sort && md5sum DVNReplacer.ini sys/*) >"$scratch/installed.before"

note "starting the installed dvnreplacer as $([ ${#run_as[@]} -gt 0 ] && echo nobody || id -un), offscreen"
user_folder=$home/.local/share/dorvane
settings=$home/.config/Dorvane/Dorvane.conf
"${run_as[@]}" env -i PATH=/usr/bin:/bin LANG=C.UTF-8 HOME="$home" XDG_DATA_HOME="$home/.local/share" \
    XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM=offscreen \
    "$root/usr/bin/dvnreplacer" >"$scratch/run.log" 2>&1 &
program_pid=$!
# The main window records its program folder in the user's settings when it has loaded.
for _ in $(seq 1 600); do
    if [ -f "$settings" ] && grep -qx "AppPath=$user_folder" "$settings"; then break; fi
    kill -0 "$program_pid" 2>/dev/null || {
        cat "$scratch/run.log" >&2
        fail "the installed program ended before its window loaded"
    }
    sleep 0.1
done
grep -qx "AppPath=$user_folder" "$settings" 2>/dev/null || {
    cat "$scratch/run.log" >&2
    [ -f "$settings" ] && cat "$settings" >&2
    fail "the installed program did not load its window working in $user_folder within 60 s"
}
kill -0 "$program_pid" 2>/dev/null || fail "the installed program did not keep running with its window"
kill "$program_pid"
wait "$program_pid" 2>/dev/null || true
program_pid=""

for file in DVNReplacer.ini sys/fdrv.dat sys/dtype.dat; do
    cmp -s "$program/$file" "$user_folder/$file" || fail "the per-user folder holds no copy of the installed $file"
done
for folder in lang help; do
    [ "$(realpath "$user_folder/$folder")" = "$(realpath "$program/$folder")" ] \
        || fail "the per-user $folder/ does not lead to the installed one"
done
if [ ${#run_as[@]} -gt 0 ]; then
    [ "$(stat -c %U "$user_folder/DVNReplacer.ini")" = nobody ] || fail "the per-user INI file is not the user's"
fi
# The command line as the same user, through its command in /usr/bin: its help, and the tables of a
# demo database in the user's home, opened through the file-driver table of the per-user folder.
as_user() {
    "${run_as[@]}" env -i PATH=/usr/bin:/bin LANG=C.UTF-8 HOME="$home" XDG_DATA_HOME="$home/.local/share" \
        XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$home/runtime" "$@"
}
note "running the installed dorvane as $([ ${#run_as[@]} -gt 0 ] && echo nobody || id -un)"
status=0
as_user "$root/usr/bin/dorvane" --help >"$scratch/help.out" 2>"$scratch/help.err" || status=$?
[ "$status" -eq 0 ] || { cat "$scratch/help.err" >&2; fail "dorvane --help exited with $status"; }
for command in tables search replace undo runs; do
    grep -q "^  dorvane $command " "$scratch/help.out" || fail "dorvane --help does not show the command $command"
done
# The manual page: groff reads it without a warning, and it shows every option the help text names.
page=$root/usr/share/man/man1/dorvane.1
[ -f "$page" ] || fail "$(basename "$deb") lacks /usr/share/man/man1/dorvane.1"
if command -v groff >/dev/null; then
    groff -man -Tutf8 -ww -P-cbou "$page" >"$scratch/man.out" 2>"$scratch/man.err" || true
    [ ! -s "$scratch/man.err" ] || { cat "$scratch/man.err" >&2; fail "groff warns about dorvane.1"; }
    for option in $(grep -o -- '--[a-z-]*' "$scratch/help.out" | sort -u); do
        grep -q -- "$option" "$scratch/man.out" || fail "dorvane.1 does not show $option"
    done
fi
demo=$home/shop.db
sh "$source_dir/scripts/make-demo-db.sh" "$demo" >/dev/null
if [ ${#run_as[@]} -gt 0 ]; then chown nobody: "$demo"; fi
status=0
as_user "$root/usr/bin/dorvane" tables --file "$demo" >"$scratch/tables.out" 2>"$scratch/tables.err" || status=$?
[ "$status" -eq 0 ] || { cat "$scratch/tables.err" >&2; fail "dorvane tables --file $demo exited with $status"; }
sqlite3 "$demo" "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'" \
    | sort >"$scratch/tables.expected"
sort "$scratch/tables.out" | diff -u "$scratch/tables.expected" - >&2 \
    || fail "dorvane tables --file does not list the demo database's tables"

(cd "$program" && find . | sort && md5sum DVNReplacer.ini sys/*) >"$scratch/installed.after"
diff -u "$scratch/installed.before" "$scratch/installed.after" >&2 || fail "the program changed its installed folder"

note "OK: $(basename "$deb") and $(basename "$tgz")"

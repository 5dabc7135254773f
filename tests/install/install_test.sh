#!/usr/bin/env bash
# `cmake --install` into a temporary DESTDIR, then every installed piece checked with the tool the
# desktop, man or systemd would read it with.
set -u
build=$1
prefix=$2
source=$3
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
root=$tmp/root
top=$root$prefix
passed=0
failed=0
check() { # name, then a command that must succeed
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}
quiet() { # a command that must succeed and print nothing on standard error
  if "$@" 2>"$tmp/err" && [ ! -s "$tmp/err" ]; then return 0; fi
  cat "$tmp/err"
  return 1
}
export LC_ALL=C.UTF-8

DESTDIR=$root cmake --install "$build" >/dev/null || { echo "FAILED: cmake --install"; exit 1; }

# Exactly the expected files, all below the prefix; help pages are whatever docs/help holds.
(cd "$top" && find . -type f -o -type l) | sed 's|^\./||' | grep -v '^share/quorvane/help/' | sort >"$tmp/files"
check "installed files" diff -u "$here/expected-files.txt" "$tmp/files"
check "nothing outside the prefix" test -z "$(find "$root" \( -type f -o -type l \) ! -path "$top/*")"
if [ -d "$source/docs/help" ]; then
  check "help pages" diff <(cd "$source/docs/help" && find . -type f | sort) <(cd "$top/share/quorvane/help" && find . -type f | sort)
fi
check "program runs" grep -q '^quorvane [0-9]' <("$top/bin/quorvane" --version)
check "copyright names the licence" grep -qx 'License: GPL-3+' "$top/share/doc/quorvane/copyright"

png_size() { # width and height from the IHDR chunk
  od -An -tu1 -j16 -N8 "$1" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }'
}
for png in "$top"/share/icons/hicolor/*/apps/quorvane.png; do
  size=$(basename "$(dirname "$(dirname "$png")")")
  check "icon $size" test "$(png_size "$png")" = "$size"
done

# A desktop session that sees the installed data first.
desktop_env() {
  env -i HOME="$tmp/home" XDG_DATA_HOME="$tmp/home/data" XDG_CONFIG_HOME="$tmp/home/config" \
    XDG_DATA_DIRS="$top/share/:/usr/share/" PATH="$top/bin:/usr/bin:/bin" "$@"
}
check "desktop entry valid" quiet desktop-file-validate "$top/share/applications/quorvane.desktop"
check "desktop entry opens a file" grep -qx 'Exec=quorvane %f' "$top/share/applications/quorvane.desktop"
check "MIME file well-formed" quiet xmllint --noout "$top/share/mime/packages/quorvane.xml"
check "MIME database builds" quiet desktop_env update-mime-database "$top/share/mime"
check "desktop database builds" quiet desktop_env update-desktop-database "$top/share/applications"

# The type by name (either extension, any case) and by the first line alone; the program opens it.
mkdir "$tmp/files.d"
cp "$source/examples/balance.QV3" "$tmp/files.d/balance.QV3"
cp "$source/examples/balance.QV3" "$tmp/files.d/old.qv1"
cp "$source/examples/balance.QV3" "$tmp/files.d/no-extension"
printf 'plain text\n' >"$tmp/files.d/notes.txt"
type_of() {
  desktop_env gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'
}
for file in balance.QV3 old.qv1 no-extension; do
  check "type of $file" test "$(type_of "$tmp/files.d/$file")" = application/x-quorvane-configuration
done
check "type of notes.txt" test "$(type_of "$tmp/files.d/notes.txt")" = text/plain
check "default application" grep -q 'Default application .*quorvane\.desktop' \
  <(desktop_env gio mime application/x-quorvane-configuration)

# Man pages render without warnings and name every option the program's --help names.
for page in quorvane quorvane-sim quorvane-dde; do
  file=$top/share/man/man1/$page.1
  check "man $page" quiet env MANWIDTH=80 man --warnings -l "$file" >/dev/null
  check "groff $page" quiet groff -man -ww -z "$file"
  LC_ALL=C MANWIDTH=200 man -l "$file" 2>/dev/null >"$tmp/$page.txt"
  check "man $page sections" grep -qE '^EXIT STATUS' "$tmp/$page.txt"
  for option in $("$top/bin/$page" --help | grep -oE -- '(^|[ |])--?[a-z][a-z-]*' | tr -d ' |' | sort -u); do
    check "man $page covers $option" grep -qF -- "$option" "$tmp/$page.txt"
  done
done
for verb in exec request items watch serve; do
  check "man quorvane-dde covers $verb" grep -qE "^ +$verb " "$tmp/quorvane-dde.txt"
done

# systemd checks that a unit's program exists on this machine's root, so each unit is verified as
# a copy whose ExecStart points into DESTDIR; every other line is the installed one.
export XDG_RUNTIME_DIR=$tmp/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
for scope in user system; do
  unit=$top/lib/systemd/$scope/quorvane@.service
  mkdir -p "$tmp/units/$scope"
  check "$scope unit runs the installed program" grep -q "^ExecStart=$prefix/bin/quorvane --headless " "$unit"
  sed "s|^ExecStart=$prefix/bin/|ExecStart=$top/bin/|" "$unit" >"$tmp/units/$scope/quorvane@.service"
  flag=()
  [ "$scope" = user ] && flag=(--user)
  check "systemd-analyze verify $scope unit" \
    quiet env MANPATH="$top/share/man" systemd-analyze verify "${flag[@]}" "$tmp/units/$scope/quorvane@.service"
done

# The udev rule gives the seat's user /dev/uinput and nothing else.
check "udev rule for uinput" test "$(grep -vE '^(#|$)' "$top/lib/udev/rules.d/70-quorvane-uinput.rules")" = \
  'KERNEL=="uinput", SUBSYSTEM=="misc", TAG+="uaccess", OPTIONS+="static_node=uinput"'

# Completion as bash runs it: COMP_WORDS up to the cursor, answers in COMPREPLY.
mkdir -p "$tmp/work/sub" "$tmp/by-id"
touch "$tmp/work/a.QV3" "$tmp/work/b.qv1" "$tmp/work/c.txt" "$tmp/work/my scale.QV3"
ln -s /dev/null "$tmp/by-id/usb-FTDI_FT232R_A1B2-if00-port0"
complete_line() { # words of the command line, the last one being completed
  (
    cd "$tmp/work" || exit 1
    # shellcheck disable=SC1090
    source "$top/share/bash-completion/completions/$1"
    _quorvane_serial_by_id=$tmp/by-id
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    "$(complete -p "$1" | sed -E 's/.*-F ([^ ]+) .*/\1/')"
    printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ,
  ) 2>&1
}
while IFS='|' read -r line expected; do
  # shellcheck disable=SC2086
  check "complete '$line'" test "$(complete_line $line '')" = "$expected"
done <<EOF
quorvane|a.QV3,b.qv1,my scale.QV3,sub
quorvane --headless|a.QV3,b.qv1,my scale.QV3,sub
quorvane --device|$tmp/by-id/usb-FTDI_FT232R_A1B2-if00-port0
quorvane --keystrokes|auto,uinput,wayland,x11
quorvane -- --device|a.QV3,b.qv1,my scale.QV3,sub
quorvane-sim --profile|balance,caliper,scanner
quorvane-dde|--help,exec,items,request,serve,watch
EOF
check "complete options" test "$(complete_line quorvane --he)" = "--headless,--help"
check "complete a device path" test "$(complete_line quorvane --device "$tmp/by-id/usb")" = \
  "$tmp/by-id/usb-FTDI_FT232R_A1B2-if00-port0"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

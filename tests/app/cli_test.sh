#!/usr/bin/env bash
# The quorvane command-line tools as a user runs them: exit codes, output and messages.
set -u
quorvane=$1
examples=$2
data=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
passed=0
failed=0
check() { # name, then a command that must succeed
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}
status_of() { "$@" >"$tmp/out" 2>"$tmp/err"; echo $?; }
not_grep() { ! grep -q "$@"; }

check "help exits 0" test "$(status_of "$quorvane" --help)" = 0
check "help shows usage" grep -q -- '--dump FILE' "$tmp/out"
check "version" test "$(status_of "$quorvane" --version)" = 0
check "version text" grep -q '^quorvane [0-9]' "$tmp/out"
check "unknown option exits 2" test "$(status_of "$quorvane" --bogus)" = 2
check "unknown option is named" grep -q -- '--bogus' "$tmp/err"
check "dump without file exits 2" test "$(status_of "$quorvane" --dump)" = 2

check "dump example exits 0" test "$(status_of "$quorvane" --dump "$examples/balance.QV3")" = 0
check "dump example lists fields" grep -qx 'FieldCount=4' "$tmp/out"
check "dump escapes bytes" grep -qx 'FieldPostamble\[4\]=\\n' "$tmp/out"
check "dump is quiet" test ! -s "$tmp/err"

check "missing file exits 1" test "$(status_of "$quorvane" --dump "$tmp/none.QV3")" = 1
check "missing file is reported" grep -q "cannot open $tmp/none.QV3" "$tmp/err"
printf 'Not a configuration\r\n' >"$tmp/notes.txt"
check "bad header exits 1" test "$(status_of "$quorvane" --dump "$tmp/notes.txt")" = 1
check "bad header message" grep -qF "Quorvane File Error: File: $tmp/notes.txt is not a valid configuration file." "$tmp/err"
head -c 3000 "$examples/balance.QV3" >"$tmp/short.QV3"
check "damaged file exits 1" test "$(status_of "$quorvane" --dump "$tmp/short.QV3")" = 1
check "damaged file says where" grep -q "short.QV3: line" "$tmp/err"

for old in scale-2.00.QV3 scale-1.1.QV1; do
  check "convert $old" test "$(status_of "$quorvane" --convert "$data/$old" "$tmp/new.QV3")" = 0
  check "convert $old notes the old version" grep -q 'previous version' "$tmp/err"
  check "converted $old has the current header" \
    test "$(head -n 1 "$tmp/new.QV3" | tr -d '\r')" = "Quorvane Configuration File - Version 3.00"
  "$quorvane" --dump "$data/$old" >"$tmp/old.dump" 2>/dev/null
  "$quorvane" --dump "$tmp/new.QV3" >"$tmp/new.dump" 2>/dev/null
  check "converted $old holds the same settings" cmp -s "$tmp/old.dump" "$tmp/new.dump"
done
check "2.00 captions move down" test "$(status_of "$quorvane" --dump "$data/scale-2.00.QV3")" = 0
check "2.00 caption 20 is now 19" grep -qx 'OutputStringName\[19\]=Key 20' "$tmp/out"
check "convert to an unwritable place exits 1" \
  test "$(status_of "$quorvane" --convert "$examples/balance.QV3" "$tmp/no/dir/x.QV3")" = 1
check "a file without a desktop session exits 1" \
  test "$(status_of env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$quorvane" "$examples/balance.QV3")" = 1
check "and says that it needs one and --headless runs without" \
  grep -q 'needs a desktop session.*--headless' "$tmp/err"

check "blanks around the file name are trimmed" \
  test "$(status_of "$quorvane" --dump "  $examples/balance.QV3  ")" = 0

# Paths are the system's bytes: a non-ASCII name reaches the file and the messages unchanged.
mkdir "$tmp/Wäge"
printf 'Not a configuration\r\n' >"$tmp/Wäge/bädheader.QV3"
check "non-ASCII bad header exits 1" test "$(status_of "$quorvane" --dump "$tmp/Wäge/bädheader.QV3")" = 1
check "non-ASCII path shown as given" grep -qF "File: $tmp/Wäge/bädheader.QV3 is not a valid" "$tmp/err"
check "non-ASCII convert" test "$(status_of "$quorvane" --convert "$data/scale-2.00.QV3" "$tmp/Wäge/ö.QV3")" = 0
check "non-ASCII converted file loads" test "$(status_of "$quorvane" --dump "$tmp/Wäge/ö.QV3")" = 0

# Validation reads only the start of a regular file and never waits.
: >"$tmp/empty.QV3"
check "empty file exits 1" test "$(status_of "$quorvane" --dump "$tmp/empty.QV3")" = 1
check "empty file is no invalid-file message" not_grep "not a valid" "$tmp/err"
mkfifo "$tmp/fifo.QV3"
check "FIFO exits 1 at once" test "$(status_of timeout 10 "$quorvane" --dump "$tmp/fifo.QV3")" = 1
check "FIFO is named as not a regular file" grep -q "not a regular file" "$tmp/err"
check "/dev/zero exits 1 at once" test "$(status_of timeout 10 "$quorvane" --dump /dev/zero)" = 1
check "/dev/zero is named as not a regular file" grep -q "not a regular file" "$tmp/err"
{ cat "$examples/balance.QV3"; head -c 2000000 /dev/zero; } >"$tmp/huge.QV3"
check "file over 1 MB exits 1" test "$(status_of timeout 10 "$quorvane" --dump "$tmp/huge.QV3")" = 1
check "file over 1 MB says why" grep -q "well under 1 MB" "$tmp/err"

# A failed conversion leaves the file it would have replaced as it was.
cp "$examples/balance.QV3" "$tmp/keep.QV3"
chmod 640 "$tmp/keep.QV3"
check "convert over a file" test "$(status_of "$quorvane" --convert "$data/scale-1.1.QV1" "$tmp/keep.QV3")" = 0
check "replaced file keeps its permissions" test "$(stat -c %a "$tmp/keep.QV3")" = 640
check "no temporary file is left" test -z "$(find "$tmp" -name '.*.tmp')"

# What --convert writes over: standard output for -, the file behind a link, never a special file.
check "convert to - exits 0" test "$(status_of "$quorvane" --convert "$examples/balance.QV3" -)" = 0
check "convert to - writes the file" cmp -s "$tmp/out" "$examples/balance.QV3"
cp "$examples/balance.QV3" "$tmp/real.QV3"
ln -s real.QV3 "$tmp/link.QV3"
check "convert through a link" test "$(status_of "$quorvane" --convert "$data/scale-1.1.QV1" "$tmp/link.QV3")" = 0
check "the link stays a link" test -L "$tmp/link.QV3"
check "the link's target is replaced" grep -q 'Version 3.00' "$tmp/real.QV3"
mkfifo "$tmp/fifo"
check "convert onto a FIFO exits 1" \
  test "$(timeout 5 bash -c '"$0" --convert "$1" "$2" 2>"$3"; echo $?' "$quorvane" "$examples/balance.QV3" "$tmp/fifo" "$tmp/err")" = 1
check "a FIFO is named as one" grep -q "fifo: a FIFO, not a regular file" "$tmp/err"
check "the FIFO stays" test -p "$tmp/fifo"
if mknod "$tmp/null" c 1 3 2>/dev/null; then
  check "convert onto a device exits 1" \
    test "$(status_of "$quorvane" --convert "$examples/balance.QV3" "$tmp/null")" = 1
  check "the device stays" test -c "$tmp/null"
  ln -s null "$tmp/to-null"
  check "convert through a link to a device exits 1" \
    test "$(status_of "$quorvane" --convert "$examples/balance.QV3" "$tmp/to-null")" = 1
  check "the device behind the link stays" test -c "$tmp/null" -a -L "$tmp/to-null"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/bin/sh
# The commands and their man pages, installed under a fresh prefix, stand
# where the shell and man look for them, and each page is the right one.
#   install_test.sh CMAKE BUILD_DIR VERSION
set -eu
cmake=$1 build=$2 version=$3
p=$(mktemp -d)
trap 'rm -rf "$p"' EXIT
"$cmake" --install "$build" --prefix "$p" >/dev/null
for c in tavolin tavolin-check tavolin-log; do
  test -x "$p/bin/$c" || { echo "$c is not installed" >&2; exit 1; }
  test "$(man -M "$p/share/man" -w 1 "$c")" = "$p/share/man/man1/$c.1.gz" || { echo "no page $c(1)" >&2; exit 1; }
done
test "$(man -M "$p/share/man" -w 5 tavolin)" = "$p/share/man/man5/tavolin.5.gz" || { echo "no page tavolin(5)" >&2; exit 1; }
page() { MANWIDTH=200 man -M "$p/share/man" "$@"; }
page tavolin | grep -q "Tavolin $version" || { echo "tavolin(1) lacks its version" >&2; exit 1; }
page 5 tavolin | grep -q 'quiz files and the report file of tavolin' || { echo "tavolin(5) is not its page" >&2; exit 1; }
page tavolin-log | grep -q 'list and check the results log of tavolin' || { echo "tavolin-log(1) is not its page" >&2; exit 1; }
# The README beside the sample is the users': how to start, the companions,
# the manuals; nothing of building or testing the program.
readme=$p/share/doc/tavolin/README.md
for told in 'tavolin-check cows.tav' 'tavolin-log' 'man 5 tavolin' 'touch Encrypted_file.csf'; do
  grep -qF "$told" "$readme" || { echo "the installed README does not tell '$told'" >&2; exit 1; }
done
! grep -qE 'scripts/|ctest|cmake' "$readme" || { echo "the installed README is the developers'" >&2; exit 1; }

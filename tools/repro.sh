#!/usr/bin/env bash
# repro.sh [BUILD]: checks that the release is made of the source alone. Copies the source (tracked files
# and new ones not ignored, as they are now) into temporary folders, runs tools/dist.sh there and compares
# the releases byte for byte. Without BUILD two copies are built, in folders of different names and
# depths; with BUILD (as the suite runs it) the first release is made from this tree's BUILD, which the
# suite has just built, and only the second is built in a copy.
#
# The two builds differ in everything that must not matter: the folder, the time zone, the umask, and
# ccache (the first may take every object from the cache; the second compiles everything itself, so a
# cached object cannot hide a build path that a fresh compile would write). A difference fails with the
# files that differ. NV_REPRO_KEEP=1 keeps the folders for a look.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
tmp=$(mktemp -d "${TMPDIR:-/tmp}/nv-repro.XXXXXX")
if [ "${NV_REPRO_KEEP:-}" = 1 ]; then echo "Keeping $tmp"; else trap 'rm -rf "$tmp"' EXIT; fi

copy() {
  mkdir -p "$1"
  git ls-files -z --cached --others --exclude-standard | while IFS= read -r -d '' f; do
    [ -e "$f" ] && printf '%s\0' "$f"
  done | tar -C "$src" --null -T - -cf - | tar -C "$1" -xf -
}
# release SOURCE BUILD OUT VAR=value...: tools/dist.sh of SOURCE with BUILD into OUT.
release() {
  local dir=$1 build=$2 out=$3; shift 3
  echo "Building the release in $dir"
  if ! (cd "$dir" && env NV_DIST_DIR="$out" "$@" bash tools/dist.sh "$build") >"$out.log" 2>&1; then
    tail -30 "$out.log" >&2; echo "repro.sh: the build in $dir failed" >&2; exit 1
  fi
}
one="$tmp/one" two="$tmp/two"
if [ -n "${1:-}" ]; then
  release "$src" "$1" "$one" TZ=UTC
else
  copy "$tmp/a"
  release "$tmp/a" build "$one" TZ=UTC
fi
copy "$tmp/second/source of the release"
(umask 077; release "$tmp/second/source of the release" build "$two" TZ=XST-5:45 CCACHE_DISABLE=1)

status=0
for f in "$one"/*; do
  name=${f##*/}
  if ! cmp -s "$f" "$two/$name"; then
    echo "DIFFERS: $name ($(cmp -l "$f" "$two/$name" 2>/dev/null | wc -l) bytes)"; status=1
  fi
done
[ "$(ls "$one")" = "$(ls "$two")" ] || { echo "DIFFERS: the file names"; ls "$one" "$two"; status=1; }
if [ $status = 0 ]; then
  echo "Identical: two builds in two folders give the same bytes:"
  cat "$one/SHA256SUMS"
else
  # Which files of the release differ, by their sums.
  diff "$one/SHA256SUMS" "$two/SHA256SUMS" || true
  echo "repro.sh: the two builds differ" >&2
fi
exit $status

#!/usr/bin/env bash
# repro.sh: checks that the release is made of the source alone. Copies the source (tracked files and new
# ones not ignored, as they are now) into two temporary folders of different names and depths, runs
# tools/dist.sh in each and compares the results byte for byte.
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
one="$tmp/a"
two="$tmp/second/source of the release"
for d in "$one" "$two"; do
  mkdir -p "$d"
  git ls-files -z --cached --others --exclude-standard | while IFS= read -r -d '' f; do
    [ -e "$f" ] && printf '%s\0' "$f"
  done | tar -C "$src" --null -T - -cf - | tar -C "$d" -xf -
done

build() {
  local dir=$1 log=$2; shift 2
  echo "Building the release in $dir"
  if ! (cd "$dir" && env "$@" bash tools/dist.sh build) >"$log" 2>&1; then
    tail -30 "$log" >&2; echo "repro.sh: the build in $dir failed" >&2; exit 1
  fi
}
build "$one" "$tmp/one.log" TZ=UTC
(umask 077; build "$two" "$tmp/two.log" TZ=XST-5:45 CCACHE_DISABLE=1)

status=0
for f in "$one"/dist/*; do
  name=${f##*/}
  if ! cmp -s "$f" "$two/dist/$name"; then
    echo "DIFFERS: $name ($(cmp -l "$f" "$two/dist/$name" 2>/dev/null | wc -l) bytes)"; status=1
  fi
done
[ "$(ls "$one/dist")" = "$(ls "$two/dist")" ] || { echo "DIFFERS: the file names"; ls "$one/dist" "$two/dist"; status=1; }
if [ $status = 0 ]; then
  echo "Identical: two builds in two folders give the same bytes:"
  cat "$one/dist/SHA256SUMS"
else
  # Which files of the release differ, by their sums.
  diff "$one/dist/SHA256SUMS" "$two/dist/SHA256SUMS" || true
  echo "repro.sh: the two builds differ" >&2
fi
exit $status

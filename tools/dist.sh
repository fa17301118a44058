#!/usr/bin/env bash
# dist.sh BUILD: builds the shipped 32-bit programs into BUILD and writes the release into dist/ (or
# NV_DIST_DIR): netvetter-<version>.zip with netvetter.exe, netvetter-report.exe, driverinfo.txt and
# README.txt, and SHA256SUMS for the zip and each file in it.
#
# The same source gives the same bytes: the executables carry no link time, and the zip's entries, order,
# times and attributes come from the source alone (every entry's time is the last commit's, or
# SOURCE_DATE_EPOCH when set, as a copy without .git needs).
#
# With NV_SIGN_PFX=file.pfx (password in NV_SIGN_PASS) both executables are signed with Authenticode
# before zipping and their signatures are checked. The signing time is the same fixed time, so one
# certificate with an RSA key signs the same source to the same bytes; another gives other bytes.
set -euo pipefail
B=${1:-build}
cd "$(dirname "$0")/.."
src=$PWD
out=${NV_DIST_DIR:-$src/dist}
export CCACHE_BASEDIR="$src"
JOBS=${JOBS:-$(nproc)}

# The one version, from the header the version resource is made from.
ver_part() { sed -n "s/^#define $1 \([0-9][0-9]*\)\$/\1/p" res/version.h; }
version="$(ver_part NV_VERSION_MAJOR).$(ver_part NV_VERSION_MINOR).0.$(ver_part NV_BUILD)"
[[ $version =~ ^[0-9]+\.[0-9]+\.0\.[0-9]+$ ]] || { echo "dist.sh: cannot read the version from res/version.h" >&2; exit 1; }

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$src" log -1 --format=%ct 2>/dev/null) ||
    { echo "dist.sh: no git history here; set SOURCE_DATE_EPOCH to the release's commit time" >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH

if [ -n "${NV_SIGN_PFX:-}" ]; then
  command -v osslsigncode >/dev/null || { echo "dist.sh: signing needs osslsigncode (make deps)" >&2; exit 1; }
  [ -r "$NV_SIGN_PFX" ] || { echo "dist.sh: cannot read NV_SIGN_PFX=$NV_SIGN_PFX" >&2; exit 1; }
fi

# The shipped build, as tools/build.sh makes it (a folder configured for the tests starts afresh).
if grep -qs 'CMAKE_CXX_COMPILER:.*-posix' "$B/CMakeCache.txt"; then rm -rf "$B/CMakeCache.txt" "$B/CMakeFiles"; fi
cmake -S . -B "$B" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release -DNV_TESTS=OFF >/dev/null
cmake --build "$B" -j "$JOBS" --target netvetter netvetter-report driverinfo

stage="$(mkdir -p "$B" && cd "$B" && pwd)/dist-stage"
rm -rf "$stage"
mkdir -p "$stage" "$out"
cp "$B/netvetter.exe" "$B/netvetter-report.exe" "$B/driverinfo.txt" "$stage/"
# Line ends for Notepad on every Windows version the program runs on.
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' res/README-release.txt > "$stage/README.txt"

if [ -n "${NV_SIGN_PFX:-}" ]; then
  # The password goes through a pipe, not the command line that every user of the machine can list.
  certs="$stage/.signer.pem"
  # A file exported by older Windows versions needs OpenSSL's legacy ciphers.
  { printf '%s' "${NV_SIGN_PASS:-}" | openssl pkcs12 -in "$NV_SIGN_PFX" -nokeys -passin stdin -out "$certs" 2>/dev/null ||
    printf '%s' "${NV_SIGN_PASS:-}" | openssl pkcs12 -legacy -in "$NV_SIGN_PFX" -nokeys -passin stdin -out "$certs" 2>/dev/null; } ||
    { echo "dist.sh: cannot open $NV_SIGN_PFX with the password in NV_SIGN_PASS" >&2; rm -rf "$stage"; exit 1; }
  # Trusted for the check: the system's roots and the publisher's own chain (a self-signed test
  # certificate is its own root).
  if [ -r /etc/ssl/certs/ca-certificates.crt ]; then cat /etc/ssl/certs/ca-certificates.crt >> "$certs"; fi
  # The signing time is the release's time, so that one certificate signs the same source to the same
  # bytes; the signature is checked as Windows checks one without a time stamp: against the present.
  for exe in netvetter.exe netvetter-report.exe; do
    # Read from a pipe named as a file: older osslsigncode versions take no "-" for standard input.
    osslsigncode sign -pkcs12 "$NV_SIGN_PFX" -readpass <(printf '%s' "${NV_SIGN_PASS:-}") -h sha256 \
      -n "WiFi Netvetter" -time "$SOURCE_DATE_EPOCH" -in "$stage/$exe" -out "$stage/$exe.signed" >/dev/null ||
      { echo "dist.sh: signing $exe failed" >&2; rm -rf "$stage"; exit 1; }
    mv "$stage/$exe.signed" "$stage/$exe"
    osslsigncode verify -CAfile "$certs" -in "$stage/$exe" >"$stage/.verify.log" 2>&1 ||
      { cat "$stage/.verify.log" >&2; echo "dist.sh: the signature of $exe does not verify" >&2; rm -rf "$stage"; exit 1; }
    echo "Signed and verified: $exe"
  done
  rm -f "$certs" "$stage/.verify.log"
fi

zip="netvetter-$version.zip"
rm -f "$out"/netvetter-*.zip "$out/SHA256SUMS"
files=(netvetter.exe netvetter-report.exe driverinfo.txt README.txt)
python3 tools/dist_zip.py "$out/$zip" "$SOURCE_DATE_EPOCH" "$stage" "${files[@]}"
(cd "$stage" && sha256sum -- "${files[@]}") > "$stage/.sums"
(cd "$out" && sha256sum -- "$zip" && cat "$stage/.sums") > "$out/SHA256SUMS"
rm -rf "$stage"
echo "Wrote $out/$zip and $out/SHA256SUMS:"
cat "$out/SHA256SUMS"

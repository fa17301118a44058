#!/usr/bin/env bash
# dist_test.sh SOURCE BUILD: the release that tools/dist.sh makes of the shipped build in BUILD. What the
# zip holds and how (names, order, times, attributes, one version everywhere), that its sums check, and
# that a publisher's certificate (a throwaway self-signed one made here) signs both programs so that the
# signatures verify and the same certificate gives the same bytes again, while a wrong password stops
# the release.
set -u
src=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
tmp=$(mktemp -d "${TMPDIR:-/tmp}/nv-dist-test.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
fails=0
fail() { echo "FAILED: $*"; fails=$((fails + 1)); }
# dist OUT [VAR=value...]: the release into OUT, with the time of a fixed commit.
dist() {
  local out=$1; shift
  (cd "$src" && env NV_DIST_DIR="$out" SOURCE_DATE_EPOCH=1700000000 "$@" bash tools/dist.sh "$build") >"$out.log" 2>&1
}
zipname() { (cd "$1" && ls netvetter-*.zip 2>/dev/null); }

# --- Unsigned ---
if ! dist "$tmp/plain"; then tail -20 "$tmp/plain.log"; fail "make dist without a certificate"; exit 1; fi
zip=$(zipname "$tmp/plain")
mkdir "$tmp/plain-files" && (cd "$tmp/plain-files" && unzip -q "$tmp/plain/$zip") || fail "unzip $zip"

# The zip's name, the README's title and the program's version resource name one version.
python3 - "$tmp/plain/$zip" "$tmp/plain-files" <<'PY' || fail "zip entries or version"
import sys, zipfile, re
zip_path, files = sys.argv[1], sys.argv[2]
bad = []
z = zipfile.ZipFile(zip_path)
names = [i.filename for i in z.infolist()]
if names != ["netvetter.exe", "netvetter-report.exe", "driverinfo.txt", "README.txt"]:
    bad.append(f"entries {names}")
for i in z.infolist():
    # 1700000000 is 2023-11-14 22:13:20 UTC; nothing of the build machine may show.
    if i.date_time != (2023, 11, 14, 22, 13, 20) or i.create_system != 0 or i.external_attr != 0x20 or i.extra:
        bad.append(f"{i.filename}: time {i.date_time}, system {i.create_system}, attributes {i.external_attr:#x}, extra {i.extra!r}")
version = re.fullmatch(r".*/netvetter-(.+)\.zip", zip_path).group(1)

def version_resource(path, key):
    data = open(path, "rb").read()
    at = data.find(key.encode("utf-16le") + b"\0\0")
    if at < 0:
        return None
    at += 2 * len(key) + 2
    at += (-at) % 4  # the value starts on a 32-bit boundary
    end = data.find(b"\0\0", at)
    while (end - at) % 2:
        end = data.find(b"\0\0", end + 1)
    return data[at:end].decode("utf-16le")

found = version_resource(f"{files}/netvetter.exe", "FileVersion")
if found != version:
    bad.append(f"netvetter.exe has file version {found}, the zip says {version}")
readme = open(f"{files}/README.txt", "rb").read()
if not readme.startswith(f"WiFi Netvetter {version}\r\n".encode()):
    bad.append(f"README starts {readme[:40]!r}")
if b"\n" in readme.replace(b"\r\n", b""):
    bad.append("README has a line end without CR")
for b in bad:
    print(b)
sys.exit(1 if bad else 0)
PY

# The sums: the zip first, then each file in it, and they check against the unpacked files.
[ "$(cut -d' ' -f3 "$tmp/plain/SHA256SUMS" | tr '\n' ' ')" = "$zip netvetter.exe netvetter-report.exe driverinfo.txt README.txt " ] ||
  fail "SHA256SUMS names: $(cat "$tmp/plain/SHA256SUMS")"
cp "$tmp/plain-files"/* "$tmp/plain/"
(cd "$tmp/plain" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not check"
for f in netvetter.exe netvetter-report.exe driverinfo.txt; do
  cmp -s "$tmp/plain-files/$f" "$build/$f" || fail "$f in the zip is not the built one"
done

# --- Signed with a throwaway certificate ---
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$tmp/key.pem" -out "$tmp/cert.pem" -days 2 \
  -subj "/CN=Netvetter Test Publisher" -addext "extendedKeyUsage=codeSigning" 2>/dev/null &&
  openssl pkcs12 -export -inkey "$tmp/key.pem" -in "$tmp/cert.pem" -out "$tmp/publisher.pfx" -passout pass:'not "obvious" $1' ||
  { fail "cannot make a test certificate"; exit 1; }
signed_run() { dist "$1" NV_SIGN_PFX="$tmp/publisher.pfx" NV_SIGN_PASS='not "obvious" $1'; }
if ! signed_run "$tmp/signed"; then tail -20 "$tmp/signed.log"; fail "make dist with a certificate"; exit 1; fi
[ "$(zipname "$tmp/signed")" = "$zip" ] || fail "the signed zip is named $(zipname "$tmp/signed")"
mkdir "$tmp/signed-files" && (cd "$tmp/signed-files" && unzip -q "$tmp/signed/$zip") || fail "unzip the signed $zip"
for f in netvetter.exe netvetter-report.exe; do
  osslsigncode verify -CAfile "$tmp/cert.pem" -in "$tmp/signed-files/$f" >"$tmp/verify.log" 2>&1 &&
    grep -q "CN=Netvetter Test Publisher" "$tmp/verify.log" || { cat "$tmp/verify.log"; fail "$f: signature"; }
  cmp -s "$tmp/signed-files/$f" "$tmp/plain-files/$f" && fail "$f is the same signed as unsigned"
  # Signing adds the signature and nothing else: taken off again, it leaves the unsigned build but for
  # the header's checksum and the zero bytes that align the signature.
  rm -f "$tmp/$f.unsigned"
  osslsigncode remove-signature -in "$tmp/signed-files/$f" -out "$tmp/$f.unsigned" >/dev/null 2>&1 &&
    python3 - "$tmp/$f.unsigned" "$tmp/plain-files/$f" <<'PY' || fail "$f: signing changed more than the signature"
import struct, sys
taken_off, plain = (bytearray(open(p, "rb").read()) for p in sys.argv[1:])
checksum = struct.unpack_from("<I", plain, 0x3C)[0] + 24 + 64  # PE header, file header, CheckSum
for data in (taken_off, plain):
    data[checksum:checksum + 4] = b"\0\0\0\0"
tail = taken_off[len(plain):]
sys.exit(0 if taken_off[:len(plain)] == plain and len(tail) < 8 and not any(tail) else 1)
PY
done
for f in driverinfo.txt README.txt; do
  cmp -s "$tmp/signed-files/$f" "$tmp/plain-files/$f" || fail "signing changed $f"
done
(cd "$tmp/signed" && cp "$tmp/signed-files"/* . && sha256sum --quiet -c SHA256SUMS) || fail "the signed SHA256SUMS does not check"

# The same certificate signs the same source to the same bytes.
signed_run "$tmp/again" || fail "second signed run"
cmp -s "$tmp/again/$zip" "$tmp/signed/$zip" || fail "signing twice with one certificate gave two zips"

# A wrong password: no release at all, and a message that says why.
mkdir "$tmp/wrong"
if dist "$tmp/wrong" NV_SIGN_PFX="$tmp/publisher.pfx" NV_SIGN_PASS=wrong; then fail "a wrong password made a release"; fi
[ -z "$(ls "$tmp/wrong")" ] || fail "a wrong password left $(ls "$tmp/wrong")"
grep -q "NV_SIGN_PASS" "$tmp/wrong.log" || fail "the wrong password's message: $(cat "$tmp/wrong.log")"

[ $fails = 0 ] && echo "dist: all checks passed"
exit $((fails > 0))

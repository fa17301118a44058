#!/usr/bin/env bash
# route.sh BUILD COMMAND...: runs COMMAND where Wine can start the 32-bit programs of this build.
#
# Where the kernel runs i386 code, that is everywhere and COMMAND runs as it is. Where it does not, Wine's
# 32-bit loader cannot start; COMMAND then runs in a private user and mount namespace in which qemu-user
# is registered for i386 ELF files through binfmt_misc (Linux 6.7 and later give each user namespace a
# binfmt_misc of its own, so nothing outside the namespace changes). Everything that starts 32-bit
# programs has to run inside: a Wine process outside cannot start 32-bit children.
set -u
B=$1; shift
here=$(cd "$(dirname "$0")" && pwd)

# NV_ROUTE=qemu takes the emulated route even where the kernel runs i386 code, so that the slower
# route can be tried and timed on any machine.
if [ "${NV_ROUTE_INSIDE:-}" = 1 ]; then exec "$@"; fi
if [ "${NV_ROUTE:-}" != qemu ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then exec "$@"; fi

qemu=/usr/bin/qemu-i386-static
[ -x "$qemu" ] || { echo "route.sh: this kernel cannot run 32-bit programs and $qemu is missing" >&2; exit 1; }

# The i386 library that mends qemu's faults for Wine, preloaded into 32-bit processes only: ld.so
# expands $LIB per architecture, and 64-bit processes find an empty library of their own there.
lib="$(mkdir -p "$B" && cd "$B" && pwd)/route"
src="$here/route/qemu-fixes.c"
if [ ! -f "$lib/lib/i386-linux-gnu/libnvqemu.so" ] || [ "$src" -nt "$lib/lib/i386-linux-gnu/libnvqemu.so" ]; then
  mkdir -p "$lib/lib/i386-linux-gnu" "$lib/lib/x86_64-linux-gnu"
  gcc -m32 -O2 -fPIC -shared -nostdlib -ffreestanding -fno-stack-protector \
    -o "$lib/lib/i386-linux-gnu/libnvqemu.so" "$src" || exit 1
  echo 'void nv_route_empty(void) {}' | gcc -x c -O2 -fPIC -shared -nostdlib -o "$lib/lib/x86_64-linux-gnu/libnvqemu.so" - || exit 1
fi

if [ "${1:-}" != --inside ]; then
  exec unshare --user --map-root-user --mount "$0" "$B" --inside "$(id -u)" "$(id -g)" "$@"
fi
shift
uid=$1 gid=$2; shift 2
mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || exit 1
# i386 executables and shared objects; F: qemu is opened now, so it is found whatever the later root.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
echo ":nv-i386:M::${magic}\x02\x00\x03\x00:${mask}:${qemu}:F" > /proc/sys/fs/binfmt_misc/register || exit 1
echo ":nv-i386-so:M::${magic}\x03\x00\x03\x00:${mask}:${qemu}:F" > /proc/sys/fs/binfmt_misc/register || exit 1
export LD_PRELOAD="$lib/\$LIB/libnvqemu.so${LD_PRELOAD:+ $LD_PRELOAD}" NV_ROUTE_INSIDE=1
# A caller other than root is mapped back to itself in a nested namespace, so that Wine sees the owner
# of its prefix and shares the caller's wineserver.
if [ "$uid" != 0 ]; then exec unshare --user --map-user="$uid" --map-group="$gid" "$@"; fi
exec "$@"

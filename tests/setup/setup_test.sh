#!/bin/sh
# tools/setup.sh against a stand-in apt: a package index that never
# downloads, 32-bit packages apt cannot install plainly but can with the
# security suite pinned below the main suite (with or without a package moved
# down by name), or cannot at all, a rehearsal of that, the x86-64-only
# set-up and a 64-bit install that fails. Each case runs the scripts from a
# scratch tree, so no real package is touched and the real build tree keeps
# its own record of the 32-bit install.
set -u
src=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/tools" "$scratch/bin"
cp "$src/tools/setup.sh" "$src/tools/i686-road.sh" "$scratch/tools/"

# The stand-ins log each call; STUB_UPDATE, STUB_I386 and STUB_AMD64 say
# which steps fail. STUB_I386: ok, fail (plainly and pinned), pinned (only
# plainly), explicit (plainly, and pinned until libgstreamer-plugins-base1.0-0
# is asked for at the main suite's version). A pinned install that succeeds
# moves the 64-bit packages in STUB_STATE as apt would.
cat >"$scratch/bin/apt-get" <<'STUB'
#!/bin/sh
echo "apt-get $*" >>"$STUB_LOG"
case "$*" in
*update*)
    [ "$STUB_UPDATE" = fail ] || exit 0
    echo "Err:4 http://mirror bookworm-security/main i386 Packages"
    echo "E: Failed to fetch .../binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
    exit 100 ;;
*PreferencesParts=*:i386*)
    # The pin comes first in a folder of setup's own, beside the machine's
    # preferences; versions may go down, packages may not go.
    dir=$(echo "$*" | sed 's/.*Dir::Etc::PreferencesParts=\([^ ]*\) .*/\1/')
    case "$dir" in /etc/*) echo "E: stand-in: preferences in /etc"; exit 100 ;; esac
    first=$(LC_ALL=C ls "$dir" | head -n 1)
    if [ "$(cat "$dir/$first")" != "$(printf 'Package: *\nPin: release l=Debian-Security\nPin-Priority: 100')" ]; then
        echo "E: stand-in: $first in $dir does not pin the security suite below the main suite"; exit 100
    fi
    [ -f "$dir/nodejs" ] || { echo "E: stand-in: the machine's preferences are not in $dir"; exit 100; }
    for option in --allow-downgrades --no-remove; do
        case " $* " in *" $option "*) ;; *) echo "E: stand-in: the pinned install without $option"; exit 100 ;; esac
    done
    # Only a package apt will not move down itself is asked for by version.
    for arg in "$@"; do
        case "$arg" in Dir::*) ;; *=*)
            [ "$arg" = libgstreamer-plugins-base1.0-0=1.22.0-3+deb12u6 ] || {
                echo "E: stand-in: $arg asked for by version"; exit 100; } ;;
        esac
    done
    case "$STUB_I386" in
    pinned) ;;
    explicit)
        case " $* " in *" libgstreamer-plugins-base1.0-0=1.22.0-3+deb12u6 "*) ;; *)
            echo " libgstreamer-plugins-base1.0-0:i386 : Breaks: libgstreamer-plugins-base1.0-0 (!= 1.22.0-3+deb12u6) but 1.22.0-3+deb12u7 is to be installed"
            echo "E: Error, pkgProblemResolver::Resolve generated breaks, this may be caused by held packages."
            exit 100 ;;
        esac
        sed -i 's/|libgstreamer-plugins-base1.0-0|amd64|[^|]*|/|libgstreamer-plugins-base1.0-0|amd64|1.22.0-3+deb12u6|/' "$STUB_STATE" ;;
    *)
        echo "E: Error, pkgProblemResolver::Resolve generated breaks, this may be caused by held packages."
        exit 100 ;;
    esac
    sed -i 's/|libssl3|amd64|[^|]*|/|libssl3|amd64|3.0.14-1~deb12u2|/; s/|libexpat1|amd64|[^|]*|/|libexpat1|amd64|2.5.0-1+deb12u1|/' "$STUB_STATE" ;;
*:i386*)
    [ "$STUB_I386" = ok ] || {
        echo " wine32:i386 : Depends: libwine:i386 (= 8.0~repack-4) but it is not going to be installed"
        echo "E: Unable to correct problems, you have held broken packages."
        exit 100; } ;;
*)
    [ "$STUB_AMD64" = fail ] || exit 0
    echo "E: Unable to locate package cmake"; exit 100 ;;
esac
STUB
# The 32-bit packages' dependencies, and each 64-bit package's versions with
# their suites, highest first; the i386 index of the security suite is gone.
cat >"$scratch/bin/apt-cache" <<'STUB'
#!/bin/sh
echo "apt-cache $*" >>"$STUB_LOG"
pinned=; case "$*" in *PreferencesParts=*) pinned=1 ;; esac
while [ "$1" = -o ]; do shift 2; done
verb=$1; shift
if [ "$verb" = depends ]; then
    printf '%s\n' 'wine32:i386' '  Depends: libwine:i386' 'libwine:i386' '  Depends: libssl3:i386' \
        '  Depends: libexpat1:i386' '  Depends: libgstreamer-plugins-base1.0-0:i386' '  Depends: fonts-liberation' \
        '  Depends: <libgl:i386>' 'libssl3:i386' 'libexpat1:i386' 'libgstreamer-plugins-base1.0-0:i386' \
        'fonts-liberation' '<libgl:i386>' 'libgl1:i386'
    exit 0
fi
for name in "$@"; do
    [ "${name#-}" = "$name" ] || continue
    inst=$(awk -F'|' -v n="$name" '$2 == n && $3 == "amd64" { print $4 }' "$STUB_STATE")
    printf '%s:\n  Installed: %s\n  Candidate: %s\n  Version table:\n' "$name" "${inst:-(none)}" "${inst:-(none)}"
    listed=
    while read -r n v suite; do
        [ "$n" = "$name" ] || continue
        prio=500; [ "$suite" != bookworm-security ] || [ -z "$pinned" ] || prio=100
        mark="    "; [ "$v" != "$inst" ] || { mark=" ***"; listed=1; }
        echo "$mark $v $prio"
        url=http://deb.debian.org/debian; [ "$suite" != bookworm-security ] || url=$url-security
        echo "        $prio $url $suite/main amd64 Packages"
        [ "$v" != "$inst" ] || echo "        100 /var/lib/dpkg/status"
    done <<'VERSIONS'
libssl3 3.0.15-1~deb12u1 bookworm-security
libssl3 3.0.14-1~deb12u2 bookworm
libexpat1 2.5.0-1+deb12u2 bookworm-security
libexpat1 2.5.0-1+deb12u1 bookworm
libexpat1 2.5.0-1+deb12u1 bookworm-updates
libgstreamer-plugins-base1.0-0 1.22.0-3+deb12u7 bookworm-security
libgstreamer-plugins-base1.0-0 1.22.0-3+deb12u6 bookworm
libtiff6 4.5.0-6+deb12u5 bookworm-security
libtiff6 4.5.0-6+deb12u4 bookworm
fonts-liberation 1:1.07.4-11 bookworm
VERSIONS
    [ -n "$listed" ] || [ -z "$inst" ] || printf ' *** %s 100\n        100 /var/lib/dpkg/status\n' "$inst"
done
STUB
# The 64-bit packages installed at first: two older than the main suite's,
# two at the security suite's version, of which one's twin is not asked for.
cat >"$scratch/state.first" <<'STATE'
ii |cmake|amd64|3.25.1-1|
ii |fonts-liberation|amd64|1:1.07.4-11|foreign
ii |libexpat1|amd64|2.5.0-1|same
ii |libgstreamer-plugins-base1.0-0|amd64|1.22.0-3+deb12u7|same
ii |libssl3|amd64|3.0.13-1~deb12u1|same
ii |libtiff6|amd64|4.5.0-6+deb12u5|same
ii |libgl1|i386|1.6.0-1|same
STATE
cat >"$scratch/bin/dpkg-query" <<'STUB'
#!/bin/sh
# Every package asked for by name is missing; the whole list is STUB_STATE.
case "$*" in *'${Package}'*) cat "$STUB_STATE" ;; *) exit 1 ;; esac
STUB
cat >"$scratch/bin/dpkg" <<'STUB'
#!/bin/sh
case "$1" in
--compare-versions) exec /usr/bin/dpkg "$@" ;;
--print-architecture) echo amd64 ;;
--print-foreign-architectures) echo i386 ;;
*) echo "dpkg $*" >>"$STUB_LOG" ;;
esac
STUB
# The machine's own preferences folder.
mkdir -p "$scratch/etc-prefs"
printf 'Package: nodejs\nPin: origin deb.nodesource.com\nPin-Priority: 600\n' >"$scratch/etc-prefs/nodejs"
printf '#!/bin/sh\necho "$2='"'"'%s/'"'"'"\n' "$scratch/etc-prefs" >"$scratch/bin/apt-config"
printf '#!/bin/sh\n"$@"\n' >"$scratch/bin/sudo"
chmod +x "$scratch/bin/"*
# The road is asked of an empty stand-in machine, so that no case touches
# this machine's binfmt_misc.
mkdir -p "$scratch/no-machine"
export PATH="$scratch/bin:$PATH" STUB_LOG="$scratch/log" STUB_STATE="$scratch/state" PALISADE_APT_PAUSE=0 \
    PALISADE_I686_ROOT="$scratch/no-machine"
unset PALISADE_I386_PACKAGES PALISADE_I686_ROAD PALISADE_APT_TRIES

failures=0
# name | STUB_UPDATE STUB_I386 STUB_AMD64 | rehearsal | argument | exit | record of the 32-bit install | text the output holds
while IFS='|' read -r name stubs rehearse arg want_rc want_record want_text; do
    set -- $stubs
    rm -rf "$scratch/build" "$scratch/log"; : >"$scratch/log"
    cp "$scratch/state.first" "$scratch/state"
    out=$(STUB_UPDATE=$1 STUB_I386=$2 STUB_AMD64=$3 PALISADE_I386_PACKAGES=$rehearse \
        sh "$scratch/tools/setup.sh" $arg 2>&1)
    rc=$?
    record=$(cat "$scratch/build/i386-packages.failed" 2>/dev/null)
    why=$(sh "$scratch/tools/i686-road.sh" why)
    road=$(sh "$scratch/tools/i686-road.sh")
    bad=
    [ "$rc" -eq "$want_rc" ] || bad="$bad exit $rc, not $want_rc;"
    case "$want_record" in
    none) [ -z "$record" ] || bad="$bad a record of a failed 32-bit install: $record;" ;;
    *) case "$record" in *"$want_record"*) ;; *) bad="$bad record '$record' lacks '$want_record';" ;; esac
       case "$why" in "no 32-bit Wine packages: $record") ;; *) bad="$bad why says '$why';" ;; esac
       [ "$road" = none ] || bad="$bad road $road, not none;" ;;
    esac
    case "$out" in *"$want_text"*) ;; *) bad="$bad output lacks '$want_text';" ;; esac
    if [ "$arg" = x86_64 ] || [ "$rehearse" = fail ]; then
        ! grep -q ':i386' "$scratch/log" || bad="$bad 32-bit packages asked for;"
    fi
    for dir in $(sed -n 's/.*Dir::Etc::PreferencesParts=\([^ ]*\) .*/\1/p' "$scratch/log" | sort -u); do
        [ ! -e "$dir" ] || bad="$bad the preferences folder $dir was left;"
    done
    if [ -n "$bad" ]; then
        echo "FAIL $name:$bad"; echo "$out" | sed 's/^/    /'; failures=$((failures + 1))
    else
        echo "ok   $name"
    fi
done <<'CASES'
index fails, 32-bit install fails|fail fail ok|||0|libwine:i386|warning: apt-get update failed 4 times
every index downloads, all installs|ok ok ok|||0|none|i686 Windows programs
32-bit install rehearsed as failed|ok ok ok|fail||0|rehearsed (PALISADE_I386_PACKAGES=fail)|32-bit Wine packages not installed
the sample's set-up asks for no 32-bit package|fail fail ok||x86_64|0|none|warning: apt-get update failed
a 64-bit install that fails ends setup|ok ok fail|||100|none|Unable to locate package
pinned, the 32-bit install moves packages up|ok pinned ok|||0|none|32-bit Wine packages installed with the security suite pinned below the main suite: 2 64-bit packages moved to the versions of bookworm, bookworm-updates, none down
pinned, one package must be asked down by name|ok explicit ok|||0|none|pinned below the main suite: 3 64-bit packages moved to the versions of bookworm, bookworm-updates, 1 of them down (libgstreamer-plugins-base1.0-0 1.22.0-3+deb12u7 -> 1.22.0-3+deb12u6)
pinned, the 32-bit install still fails|ok fail ok|||0|wine32:i386 : Depends: libwine:i386|libwine:i386 (= 8.0~repack-4) but it is not going to be installed); with the security suite pinned below the main suite: E: Error, pkgProblemResolver::Resolve generated breaks
CASES

# The road against stand-in machines (PALISADE_I686_ROOT): a binfmt_misc
# folder, mounted or not, with or without a qemu entry; a host whose kernel
# hands i386 programs to qemu under an unmounted one; a kernel that runs i386
# programs itself or not. The stand-in loader runs where a 32-bit program
# would; the stand-in probe answers as qemu-user or the kernel would.
road_root="$scratch/road"
mkdir -p "$road_root/usr/lib/wine" "$road_root/usr/bin" "$road_root/lib" "$scratch/road-bin"
cat >"$road_root/stubs.sh" <<'STUB'
b=$PALISADE_I686_ROOT/proc/sys/fs/binfmt_misc
registered() {
    [ "$STUB_BINFMT" = unmounted-qemu ] || [ -f "$b/qemu-i386" ] ||
        grep -q '^:palisade-qemu-i386:M::' "$b/register" 2>/dev/null
}
STUB
printf '#!/bin/sh
. "$PALISADE_I686_ROOT/stubs.sh"
registered || [ "$STUB_KERNEL32" = yes ]
' \
    >"$road_root/usr/lib/wine/wine"
printf '#!/bin/sh
. "$PALISADE_I686_ROOT/stubs.sh"
%s
' \
    'if registered; then echo uname.machine=\"i686\"; elif [ "$STUB_KERNEL32" = yes ]; then echo uname.machine=\"$STUB_UNAME\"; else exit 126; fi' \
    >"$road_root/ld-linux.so.2"
printf '#!/bin/sh
' >"$road_root/usr/bin/qemu-i386-static"
printf '#!/bin/sh
[ "$1" != -m ] || exec echo "$STUB_UNAME"
exec /bin/uname "$@"
' >"$scratch/road-bin/uname"
printf '#!/bin/sh
exit 32
' >"$scratch/road-bin/mount"
chmod +x "$road_root/usr/lib/wine/wine" "$road_root/ld-linux.so.2" "$road_root/usr/bin/qemu-i386-static" \
    "$scratch/road-bin/"*
# name | binfmt_misc: qemu, none, unmounted or unmounted-qemu | kernel runs i386 | uname -m | probe | PALISADE_I686_ROAD | argument | road then | 32-bit packages
while IFS='|' read -r name binfmt kernel32 machine probe forced arg want packages; do
    b="$road_root/proc/sys/fs/binfmt_misc"
    rm -rf "$road_root/proc" "$road_root/lib/ld-linux.so.2"
    rm -f "$scratch/build/i386-packages.failed"
    [ "$packages" != failed ] || { mkdir -p "$scratch/build"; echo "stand-in" >"$scratch/build/i386-packages.failed"; }
    case "$binfmt" in unmounted*) ;; *) mkdir -p "$b"; echo enabled >"$b/status"; : >"$b/register" ;; esac
    [ "$binfmt" != qemu ] || printf 'enabled\ninterpreter /usr/bin/qemu-i386-static\n' >"$b/qemu-i386"
    [ "$probe" = no ] || cp "$road_root/ld-linux.so.2" "$road_root/lib/"
    [ "$forced" != - ] || forced=
    out=$(PATH="$scratch/road-bin:$PATH" PALISADE_I686_ROOT="$road_root" STUB_BINFMT=$binfmt STUB_KERNEL32=$kernel32 \
        STUB_UNAME=$machine PALISADE_I686_ROAD=$forced sh -c 'sh "$1" $2 && sh "$1"' - "$scratch/tools/i686-road.sh" "$arg" 2>&1)
    # Without the packages the machine is left as it was.
    [ "$packages" != failed ] || [ ! -s "$b/register" ] || out="$out
registered with binfmt_misc without the 32-bit packages"
    if [ "$(echo "$out" | tail -n 1)" = "$want" ]; then
        echo "ok   road: $name"
    else
        echo "FAIL road: $name: not $want"; echo "$out" | sed 's/^/    /'; failures=$((failures + 1))
    fi
done <<'CASES'
binfmt_misc unmounted, the host's qemu runs i386 programs|unmounted-qemu|no|x86_64|yes|-||emulated
qemu registered where the kernel runs i386 programs too|qemu|yes|x86_64|yes|-||emulated
the kernel runs i386 programs|none|yes|x86_64|yes|-||native
a 32-bit kernel|none|yes|i686|yes|-||native
emulated asked for where the kernel runs i386 programs|none|yes|x86_64|yes|emulated||none
set up, emulated as asked for|none|yes|x86_64|yes|emulated|setup|emulated
set up where the kernel runs no i386 programs|none|no|x86_64|yes|-|setup|emulated
set up with no binfmt_misc to register with|unmounted|no|x86_64|yes|-|setup|none
none asked for|qemu|yes|x86_64|yes|none||none
no probe: binfmt_misc says|qemu|no|x86_64|no|-||emulated
no probe, no qemu entry|none|yes|x86_64|no|-||native
set up where the kernel runs no i386 programs, without the 32-bit packages|none|no|x86_64|yes|-|setup|none|failed
emulated asked for, without the 32-bit packages|none|yes|x86_64|yes|emulated|setup|none|failed
CASES
[ "$failures" -eq 0 ]

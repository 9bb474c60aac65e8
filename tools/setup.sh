#!/bin/sh
# Installs what building and testing Palisade needs on Debian 12, skipping
# what is already there: the MinGW-w64 cross compilers, Wine for 64- and
# 32-bit programs with Mesa's software OpenGL, Xvfb, the Khronos registry,
# GoogleTest, and clang for the native fuzzers. tests/setup/setup_test.sh runs it against
# a stand-in apt.
#
#   sh tools/setup.sh           everything: the native and x86-64 needs first,
#                               then the 32-bit Wine packages, which may fail
#   sh tools/setup.sh x86_64    only what the x86-64 sample needs
#
# A package index that does not download (a mirror in sync) is a warning:
# apt-get update is tried a few times and setup goes on with the indexes it
# has. The 32-bit packages come last. When apt cannot install them, setup
# tries once more with the security suite pinned below the main suite for
# that install alone, which may move 64-bit packages to the main suite's
# versions, some down, and says in one line what moved. When that fails too,
# setup says so in one line with apt's reason and writes it to
# build/i386-packages.failed, which makes tools/i686-road.sh report none and
# tools/test.sh say why. PALISADE_I386_PACKAGES=fail rehearses that: the
# 32-bit install is treated as failed whatever apt could do.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
SUDO=; [ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
failed_i386="$top/build/i386-packages.failed"
tries=${PALISADE_APT_TRIES:-4}
pause=${PALISADE_APT_PAUSE:-20}
# apt's output and the pin live here, this run's alone.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

missing() {
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || echo "$p"
    done
}

# apt-get update, retried; an index that never downloads is only a warning.
updated=
update() {
    [ -z "$updated" ] || return 0
    updated=1
    n=1
    while :; do
        if $SUDO apt-get update -q >"$scratch/update.log" 2>&1; then
            return 0
        fi
        if [ "$n" -ge "$tries" ]; then
            echo "warning: apt-get update failed $n times; going on with the indexes that downloaded:"
            grep -E '^(E|Err|W):' "$scratch/update.log" | sed 's/^/    /' | head -n 6
            return 0
        fi
        echo "apt-get update failed (try $n of $tries); trying again in $pause s"
        n=$((n + 1))
        sleep "$pause"
    done
}

install() {
    [ -n "$*" ] || return 0
    update
    $SUDO apt-get install -y -q --no-install-recommends "$@"
}

x86_64_packages="cmake make python3 g++ g++-mingw-w64-x86-64 binutils-mingw-w64 wine wine64
    xvfb xauth libgl1-mesa-dri libglx-mesa0 libgl1 khronos-api googletest"
install $(missing $x86_64_packages)
[ "${1:-}" != x86_64 ] || exit 0

install $(missing clang libclang-rt-14-dev g++-mingw-w64-i686)

# apt's reason in its output: its first error line, or the first unmet
# dependency.
apt_reason() { # log
    r=$(grep -E '^E:' "$1" | head -n 1)
    dep=$(grep -E 'Depends:|but it is not' "$1" | head -n 1 | sed 's/^ *//')
    [ -z "$dep" ] || r="$r ($dep)"
    echo "${r:-apt-get install failed}"
}

# The installed packages of the machine's own architecture, by name: "name
# version multi-arch" ("-" for none).
arch_packages() {
    dpkg-query -W -f='${db:Status-Abbrev}|${Package}|${Architecture}|${Version}|${Multi-Arch}\n' |
        awk -F'|' -v arch="$(dpkg --print-architecture)" \
            '$1 ~ /^ii/ && $3 == arch { print $2, $4, ($5 == "" ? "-" : $5) }' | LC_ALL=C sort
}

# The 32-bit install with the security suite pinned below the main suite. The
# pin lives in a preferences folder of setup's own, named on apt's command
# line and read before the machine's own preferences (copied beside it), so
# nothing is left in /etc. Versions may go down, but no package may go.
prefs="$scratch/preferences.d"
pinned_install() { # packages...
    $SUDO apt-get -o Dir::Etc::PreferencesParts="$prefs" install -y -q --no-install-recommends \
        --allow-downgrades --no-remove "$@"
}
pin_security_below_main() {
    mkdir -p "$prefs"
    eval "$(apt-config shell machine_prefs Dir::Etc::PreferencesParts/d)"
    [ -z "${machine_prefs:-}" ] || cp "$machine_prefs"/* "$prefs/" 2>/dev/null || true
    printf 'Package: *\nPin: release l=Debian-Security\nPin-Priority: 100\n' >"$prefs/00-security-below-main.pref"
}

# "name version" for each package named: the highest version a source above
# the pinned security suite offers (the dpkg status and the security suite
# stand at 100).
above_pin() { # packages...
    [ $# -gt 0 ] || return 0
    apt-cache -o Dir::Etc::PreferencesParts="$prefs" policy "$@" | awk '
        /^[^ ]/ { name = $1; sub(/:$/, "", name); found = 0; next }
        /^ \*\*\* / { version = $2; next }
        /^     [^ ]/ { version = $1; next }
        /^        -?[0-9]+ / && !found && $1 > 100 && $2 != "/var/lib/dpkg/status" { print name, version; found = 1 }'
}

# "name=version" for the 64-bit packages apt will not move down by itself
# however it is pinned: those whose i386 twin the 32-bit packages may depend
# on, which must then be of the same version (Multi-Arch: same), while the
# main suite lists only a lower one than the security suite's installed.
downgrades() { # packages asked for...
    apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks --no-replaces \
        --no-enhances "$@" 2>/dev/null | sed -n 's/^\([^ <][^ ]*\):i386$/\1/p' | LC_ALL=C sort -u >"$scratch/twins"
    awk '$3 == "same" { print $1, $2 }' "$scratch/before" | LC_ALL=C join "$scratch/twins" - >"$scratch/same"
    above_pin $(cut -d' ' -f1 "$scratch/same") | LC_ALL=C sort | LC_ALL=C join "$scratch/same" - |
        while read -r name have main; do
            if dpkg --compare-versions "$main" lt "$have"; then echo "$name=$main"; fi
        done
}

# One line: how many 64-bit packages changed version, to which suites' (those
# of the versions now installed, above the pin), and which went down.
say_moved() {
    arch_packages >"$scratch/after"
    LC_ALL=C join "$scratch/before" "$scratch/after" | awk '$2 != $4 { print $1, $2, $4 }' >"$scratch/moved"
    line="32-bit Wine packages installed with the security suite pinned below the main suite:"
    if [ ! -s "$scratch/moved" ]; then
        echo "$line no 64-bit package changed version"
        return
    fi
    suites=$(apt-cache -o Dir::Etc::PreferencesParts="$prefs" policy $(cut -d' ' -f1 "$scratch/moved") | awk '
        /^ \*\*\* / { now = 1; next }
        /^ / && !/^        / { now = 0; next }
        /^[^ ]/ { now = 0; next }
        now && $1 > 100 && $2 != "/var/lib/dpkg/status" { s = $3; sub(/\/.*/, "", s); print s }' |
        LC_ALL=C sort -u | paste -sd ' ' | sed 's/ /, /g')
    down=$(while read -r name was now; do
        if dpkg --compare-versions "$now" lt "$was"; then echo "$name $was -> $now"; fi
    done <"$scratch/moved" | paste -sd ';' | sed 's/;/, /g')
    n_down=0; [ -z "$down" ] || n_down=$(echo "$down" | tr ',' '\n' | wc -l)
    echo "$line $(wc -l <"$scratch/moved") 64-bit packages moved to the versions of ${suites:-the main suite}," \
        "$([ "$n_down" -eq 0 ] && echo "none down" || echo "$n_down of them down ($down)")"
}

# i686 Windows programs need Wine's 32-bit loader to run: natively, or under
# qemu-user when the kernel runs no 32-bit programs (tools/i686-road.sh).
# Without libgl1:i386, Wine's 32-bit OpenGL is disabled.
rm -f "$failed_i386"
reason=
if [ "${PALISADE_I386_PACKAGES:-}" = fail ]; then
    reason="rehearsed (PALISADE_I386_PACKAGES=fail)"
else
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
        updated=
    fi
    i386=$(missing wine32:i386 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386)
    if [ -n "$i386" ]; then
        update
        if ! $SUDO apt-get install -y -q --no-install-recommends $i386 >"$scratch/i386.log" 2>&1; then
            # The 64-bit libraries may stand at versions only the security
            # suite lists, whose i386 index may not have downloaded: their
            # 32-bit twins then exist only at the main suite's versions.
            reason=$(apt_reason "$scratch/i386.log")
            echo "32-bit Wine packages: apt could not install them ($reason); trying again with the security suite pinned below the main suite"
            pin_security_below_main
            arch_packages >"$scratch/before"
            if pinned_install $i386 >"$scratch/pinned.log" 2>&1 ||
                { explicit=$(downgrades $i386) && [ -n "$explicit" ] &&
                    pinned_install $i386 $explicit >"$scratch/pinned.log" 2>&1; }; then
                reason=
                say_moved
            else
                reason="$reason; with the security suite pinned below the main suite: $(apt_reason "$scratch/pinned.log")"
            fi
        fi
    fi
fi
if [ -n "$reason" ]; then
    mkdir -p "$(dirname "$failed_i386")"
    echo "$reason" >"$failed_i386"
    echo "32-bit Wine packages not installed, the i686 Windows tests will not run: $reason"
fi

road=$(sh "$top/tools/i686-road.sh")
if [ -z "$reason" ] && { [ "$road" = none ] || { [ "${PALISADE_I686_ROAD:-}" = emulated ] && [ "$road" != emulated ]; }; }; then
    install $(missing qemu-user-static)
fi
$SUDO env PALISADE_I686_ROAD="${PALISADE_I686_ROAD:-}" sh "$top/tools/i686-road.sh" setup

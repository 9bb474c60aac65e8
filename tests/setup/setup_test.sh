#!/bin/sh
# tools/setup.sh against a stand-in apt: a package index that never
# downloads, 32-bit packages apt cannot install, a rehearsal of that, the
# x86-64-only set-up and a 64-bit install that fails. Each case runs the
# scripts from a scratch tree, so no real package is touched and the real
# build tree keeps its own record of the 32-bit install.
set -u
src=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/tools" "$scratch/bin"
cp "$src/tools/setup.sh" "$src/tools/i686-road.sh" "$scratch/tools/"

# The stand-ins log each call; STUB_UPDATE, STUB_I386 and STUB_AMD64 say
# which steps fail.
cat >"$scratch/bin/apt-get" <<'STUB'
#!/bin/sh
echo "apt-get $*" >>"$STUB_LOG"
case "$*" in
*update*)
    [ "$STUB_UPDATE" = fail ] || exit 0
    echo "Err:4 http://mirror bookworm-security/main i386 Packages"
    echo "E: Failed to fetch .../binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
    exit 100 ;;
*:i386*)
    [ "$STUB_I386" = fail ] || exit 0
    echo " wine32:i386 : Depends: libwine:i386 (= 8.0~repack-4) but it is not going to be installed"
    echo "E: Unable to correct problems, you have held broken packages."
    exit 100 ;;
*)
    [ "$STUB_AMD64" = fail ] || exit 0
    echo "E: Unable to locate package cmake"; exit 100 ;;
esac
STUB
printf '#!/bin/sh\nexit 1\n' >"$scratch/bin/dpkg-query"
printf '#!/bin/sh\necho "dpkg $*" >>"$STUB_LOG"\n[ "$1" != --print-foreign-architectures ] || echo i386\n' >"$scratch/bin/dpkg"
printf '#!/bin/sh\n"$@"\n' >"$scratch/bin/sudo"
chmod +x "$scratch/bin/"*
export PATH="$scratch/bin:$PATH" STUB_LOG="$scratch/log" PALISADE_APT_PAUSE=0
unset PALISADE_I386_PACKAGES PALISADE_I686_ROAD PALISADE_APT_TRIES

failures=0
# name | STUB_UPDATE STUB_I386 STUB_AMD64 | rehearsal | argument | exit | record of the 32-bit install | text the output holds
while IFS='|' read -r name stubs rehearse arg want_rc want_record want_text; do
    set -- $stubs
    rm -rf "$scratch/build" "$scratch/log"; : >"$scratch/log"
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
CASES
[ "$failures" -eq 0 ]

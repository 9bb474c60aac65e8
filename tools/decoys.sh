# Decoys for the test command (sourced by tools/test.sh): a sleeping process
# for each Windows test program, with that program's process name and
# command line as Wine shows them, started by the sourcing shell and ended by
# it by process id. A test that killed or waited for processes by a name
# other runs share would reach a decoy as it would another run's program, so
# every decoy must still be sleeping when the tests end.
#
#   start_decoys DIR BIN...   a decoy for each *.exe in the BIN folders
#   check_decoys              fails, saying which, when a decoy is gone
#   end_decoys                ends the decoys still running

start_decoys() { # dir bin...
    decoys=$1; shift
    rm -rf "$decoys"; mkdir -p "$decoys"
    : >"$decoys/pids"
    for name in $(for bin in "$@"; do ls "$bin" 2>/dev/null; done | grep '\.exe$' | sort -u); do
        # The kernel names a process after the file it runs: a link to sleep.
        ln -s "$(command -v sleep)" "$decoys/$name"
        line=$name
        [ "$name" != debugger_program.exe ] || line="$name crash kill"
        bash -c 'exec -a "$0" "$1" 86400' "$line" "$decoys/$name" </dev/null >/dev/null 2>&1 &
        echo "$! $line" >>"$decoys/pids"
    done
}

# A decoy that died stays a zombie of the sourcing shell until ended, so its
# id is never another process's and its command line reads empty.
check_decoys() {
    gone=0
    while read -r pid line; do
        [ "$(tr '\0' ' ' 2>/dev/null <"/proc/$pid/cmdline")" = "$line 86400 " ] && continue
        echo "the decoy \"$line\" (process $pid) was killed: a test reached beyond its own run"
        gone=$((gone + 1))
    done <"$decoys/pids"
    [ "$gone" -eq 0 ] && echo "every decoy of the test programs ($(wc -l <"$decoys/pids")) lived to the end"
    [ "$gone" -eq 0 ]
}

end_decoys() {
    [ -f "${decoys:-}/pids" ] || return 0
    while read -r pid line; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done <"$decoys/pids"
    rm -f "$decoys/pids"
}

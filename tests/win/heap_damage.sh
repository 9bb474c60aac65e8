# Wine's own damage to its Unix side, told apart so that a test meeting it
# runs again once (sourced by again_if_damaged.sh and the scripts that run a
# program many times). Wine 8, the 32-bit one most, now and then damages the
# glibc heap of its Unix side (X, Mesa, its drivers) when a process's threads
# make their windows and GL contexts at once, with or without the debugger
# (README); glibc finds it and says so, and the process dies or stops. And
# when a process ends while other threads hold GL contexts current, Wine
# kills those threads as its Unix side ends: the GL dispatch library
# (libglvnd) may then see one of them let its context go after it counted
# none left, and asserts. Each such run is said in the test's output and in
# PALISADE_HEAP_DAMAGE_LOG, which the test command shows at its end.

# The words of glibc's heap checks and of that assertion, each to its line's end.
wine_damage='(malloc|free|realloc|malloc_consolidate|tcache_thread_shutdown|munmap_chunk)\(\): [^\r]*|double free or corruption[^\r]*|corrupted (size|double-linked list|top size)[^\r]*|DispatchCurrentUnref: Assertion .dispatch->currentThreads >= 0. failed[^\r]*'

# Whether a run's output holds those words.
heap_damaged() { # file
    grep -aqE "$wine_damage" "$1"
}

# Says that the run of WHAT met the damage (its first words) and is run again.
heap_damage_note() { # what file
    words=$(grep -aoE "$wine_damage" "$2" | head -n 1)
    echo "$1: Wine's Unix side found damaged (\"$words\"); run again once"
    [ -z "${PALISADE_HEAP_DAMAGE_LOG:-}" ] || echo "$1: \"$words\"" >>"$PALISADE_HEAP_DAMAGE_LOG"
}

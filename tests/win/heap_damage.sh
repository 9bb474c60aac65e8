# Wine's own damage to the heap of its Unix side, told apart so that a test
# meeting it runs again once (sourced by again_if_damaged.sh and the scripts
# that run a program many times). Wine 8, the 32-bit one most, now and then
# damages the glibc heap of its Unix side (X, Mesa, its drivers) when a
# process's threads make their windows and GL contexts at once, with or
# without the debugger (README); glibc finds it and says so, and the process
# dies or stops. Each such run is said in the test's output and in
# PALISADE_HEAP_DAMAGE_LOG, which the test command shows at its end.

# Whether a run's output holds glibc's words for a heap it found damaged.
heap_damaged() { # file
    grep -aqE '(malloc|free|realloc|malloc_consolidate|tcache_thread_shutdown|munmap_chunk)\(\): |double free or corruption|corrupted (size|double-linked list|top size)' "$1"
}

# Says that the run of WHAT met the damage (glibc's first words) and is run
# again.
heap_damage_note() { # what file
    words=$(grep -aoE '(malloc|free|realloc|malloc_consolidate|tcache_thread_shutdown|munmap_chunk)\(\): [^\r]*|double free or corruption[^\r]*|corrupted (size|double-linked list|top size)[^\r]*' "$2" | head -n 1)
    echo "$1: glibc found the heap of Wine's Unix side damaged (\"$words\"); run again once"
    [ -z "${PALISADE_HEAP_DAMAGE_LOG:-}" ] || echo "$1: \"$words\"" >>"$PALISADE_HEAP_DAMAGE_LOG"
}

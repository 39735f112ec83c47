# Helpers of the end-to-end scripts: a private Xvfb, a private data folder, and waits
# on conditions rather than on time. Source it with the pemdaro and xclose paths set.
set -euo pipefail

E2E_FAILURES=0
E2E_CHECKS=0

check() {  # check "what" command...
    local what=$1
    shift
    E2E_CHECKS=$((E2E_CHECKS + 1))
    if "$@"; then
        echo "ok   - $what"
    else
        echo "FAIL - $what"
        E2E_FAILURES=$((E2E_FAILURES + 1))
    fi
}

finish() {
    echo "$((E2E_CHECKS - E2E_FAILURES)) passed, $E2E_FAILURES failed"
    [ "$E2E_FAILURES" -eq 0 ]
}

# Waits until the command succeeds, polling every 50 ms for at most $1 seconds.
wait_for() {
    local seconds=$1
    shift
    local tries=$((seconds * 20))
    while ! "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.05
    done
}

start_xvfb() {
    local n
    for n in $(seq 90 140); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
            E2E_XVFB_PID=$!
            export DISPLAY=":$n"
            if wait_for 10 xdpyinfo; then
                return 0
            fi
            kill "$E2E_XVFB_PID" 2>/dev/null || true
        fi
    done
    echo "cannot start Xvfb" >&2
    return 1
}

# A fresh working folder with a data folder inside; the program runs from it, so its
# kelnova.ini is the one written here, and its runtime folder is private to the test.
make_workspace() {
    E2E_WORK=$(mktemp -d /tmp/pemdaro-e2e.XXXXXX)
    mkdir -p "$E2E_WORK/data" "$E2E_WORK/run"
    chmod 700 "$E2E_WORK/run"
    export XDG_RUNTIME_DIR="$E2E_WORK/run"
    # The window's remembered size and place, and the fonts the program keeps, stay inside
    # the workspace too.
    export XDG_CONFIG_HOME="$E2E_WORK/config"
    export XDG_STATE_HOME="$E2E_WORK/state"
    printf 'DATA_DIR=%s/data/\r\n' "$E2E_WORK" >"$E2E_WORK/kelnova.ini"
}

cleanup() {
    pkill -9 -f "^$PEMDARO" 2>/dev/null || true
    [ -n "${E2E_XVFB_PID:-}" ] && kill "$E2E_XVFB_PID" 2>/dev/null || true
    [ -n "${E2E_WORK:-}" ] && rm -rf "$E2E_WORK"
    return 0
}

# Starts pemdaro from the workspace in the background; sets PEMDARO_PID. Now and then (a
# few times in 1,000 starts) GTK refuses the display before any of the program's code
# runs ("Unable to initialize GTK+") while the X server answers other clients at once;
# such a start is made once more.
start_pemdaro() {
    local attempt
    for attempt in 1 2; do
        (cd "$E2E_WORK" && exec "$PEMDARO" >"$E2E_WORK/stdout.log" 2>"$E2E_WORK/stderr.log") &
        PEMDARO_PID=$!
        [ "$attempt" -eq 1 ] || return 0
        wait_for 10 shown_or_gone || return 0
        if ! is_gone "$PEMDARO_PID" ||
            ! grep -q "Unable to initialize GTK" "$E2E_WORK/stderr.log"; then
            return 0
        fi
    done
}
# Some window of the program is up (the month or a message box), or the copy has ended.
shown_or_gone() {
    is_gone "$PEMDARO_PID" || [ -n "$(windows_named Pemdaro)$(windows_named pemdaro)" ]
}

# Mapped top-level windows whose title is exactly $1 (UTF-8 titles included). xwininfo
# prints a title in the charset of its locale and gives up on Japanese ones in the C
# locale of a bare shell; C.UTF-8, which glibc always has, prints the title's own bytes.
windows_named() {
    local w
    for w in $(LC_ALL=C.UTF-8 xwininfo -root -tree 2>/dev/null |
        awk -v n="\"$1\":" '$2 == n {print $1}'); do
        xwininfo -id "$w" 2>/dev/null | grep -q 'Map State: IsViewable' && echo "$w"
    done
    return 0
}
main_window() { windows_named Pemdaro | head -n 1; }
window_count() { windows_named Pemdaro | wc -l; }
has_main_window() { [ -n "$(main_window)" ]; }
is_gone() { ! kill -0 "$1" 2>/dev/null; }

# Prints "x y width height" of a window in root coordinates.
geometry() {
    [ -n "$1" ] || return 1
    xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
        /^  Width/{w=$NF} /^  Height/{h=$NF} END{print x, y, w, h}'
}

# The colour of one screen pixel as "r,g,b".
pixel() {
    import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null |
        sed -n '2s/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/p'
}

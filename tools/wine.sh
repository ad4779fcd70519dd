# Sourced by ./dev and the demo: which Wine loader runs a Windows program here, and
# running one with its output as Linux text.
#   wine_for <program.exe>         prints the loader that runs it, or explains and fails
#   can_run_wine32                 true when this kernel runs 32-bit programs
#   run_under_wine <program> [arguments...]

WINE32=/usr/lib/wine/wine
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

# 32-bit Windows programs need the 32-bit Wine loader, which some kernels cannot run
# (no 32-bit support built in).
can_run_wine32() {
    "$WINE32" --version >/dev/null 2>&1
}

# The machine field of the PE header: 014c for 32-bit programs, 8664 for 64-bit ones.
pe_machine() {
    local pe_offset
    pe_offset=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    od -An -tx2 -j$((pe_offset + 4)) -N2 "$1" | tr -d ' '
}

wine_for() {
    local program="$1"
    if [ ! -f "$program" ]; then
        echo "no $program: build the Windows preset first" >&2
        return 1
    fi
    case "$(pe_machine "$program")" in
        014c)
            can_run_wine32 || {
                echo "$WINE32 cannot run here (a kernel without 32-bit support)" >&2
                return 1
            }
            echo "$WINE32"
            ;;
        8664) echo "$WINE64" ;;
        *)
            echo "$program is no Windows program Wine runs here" >&2
            return 1
            ;;
    esac
}

# Output goes through a file: Wine's helper processes keep inherited pipes open after
# the program ends. Wine writes CR LF; the output is shown with LF alone.
run_under_wine() { # program [arguments...]
    local wine out rc=0
    wine="$(wine_for "$1")"
    out="$(mktemp)"
    "$wine" "$@" >"$out" 2>&1 || rc=$?
    tr -d '\r' <"$out"
    rm -f "$out"
    return "$rc"
}

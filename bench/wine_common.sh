# Sourced by the scripts that run a Windows benchmark under Wine: checks the
# environment and picks the Wine loader that can run the program.
#   wine_for <program.exe>   prints the loader, or explains and fails

# The machine field of the PE header: 014c for 32-bit programs, 8664 for 64-bit ones.
pe_machine() {
    local pe_offset
    pe_offset=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    od -An -tx2 -j$((pe_offset + 4)) -N2 "$1" | tr -d ' '
}

wine_for() {
    local program="$1" wine
    if [ ! -f "$program" ]; then
        echo "no $program: build the Windows preset first" >&2
        return 1
    fi
    if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
        echo "DISPLAY and WINEPREFIX must be set" >&2
        return 1
    fi
    case "$(pe_machine "$program")" in
        014c) wine=/usr/lib/wine/wine ;;
        8664) wine=/usr/lib/wine/wine64 ;;
        *) echo "$program is no Windows program this script knows" >&2; return 1 ;;
    esac
    if ! "$wine" --version >/dev/null 2>&1; then
        echo "$wine cannot run here (a kernel without 32-bit support?)" >&2
        return 1
    fi
    echo "$wine"
}

# Runs the program under Wine and prints its output without Wine's CR LF. Output goes
# through a file: Wine's helper processes keep inherited pipes open after it ends.
run_under_wine() { # wine program [arguments...]
    local out rc=0
    out="$(mktemp)"
    "$@" >"$out" 2>&1 || rc=$?
    tr -d '\r' <"$out"
    rm -f "$out"
    return "$rc"
}

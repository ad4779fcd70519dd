#!/usr/bin/env bash
# Brenvale end to end under Wine, as a pilot would use it: a channel table, the
# stand-in simulator, a stand-in TeamSpeak that records how it was started, the name
# question answered, and COM1 tuned through a few frequencies. For each change the
# command line TeamSpeak received is printed as it happens. Called by ./dev demo with
# DISPLAY set; uses a Wine prefix of its own and ends everything it started.
set -euo pipefail

BUILD_DIR="$1"                       # build/win32
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
OUT="$ROOT/build/demo"
# shellcheck source=tools/wine.sh
. "$ROOT/tools/wine.sh"
WINE="$(wine_for "$BUILD_DIR/brenvale.exe")"
export WINEPREFIX="$ROOT/build/wine/demo"
export WINEDEBUG=-all

rm -rf "$WINEPREFIX" "$OUT"
cp -a "$ROOT/build/wine/prefix" "$WINEPREFIX"
mkdir -p "$OUT"

DEMO="$WINEPREFIX/drive_c/Brenvale Demo"
TEAMSPEAK="$DEMO/Team Speak 2"
mkdir -p "$DEMO/Brenvale" "$TEAMSPEAK"
cp "$BUILD_DIR/brenvale.exe" "$DEMO/Brenvale/"
cp "$BUILD_DIR/teamspeak-standin/teamspeak.exe" "$TEAMSPEAK/"
# The pilot's first step: the sample made the table.
cp "$ROOT/tools/sample/brenvale-sample.txt" "$DEMO/Brenvale/brenvale.txt"

cleanup() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
}
trap cleanup EXIT

# A machine that is set up: TeamSpeak's folder known, the module offer settled.
KEY='HKCU\Software\VB and VBA Program Settings\Brenvale\Settings'
"$WINE" reg add "$KEY" /v TSPath /t REG_SZ /d 'C:\Brenvale Demo\Team Speak 2' /f >/dev/null 2>&1
"$WINE" reg add "$KEY" /v FSUIPCINST /t REG_SZ /d 1 /f >/dev/null 2>&1

driver() { "$WINE" "$BUILD_DIR/brenvale-driver.exe" "$@" 2>/dev/null | tr -d '\r'; }

# What the demo expected and did not see, each said where it happened and again at the
# end, which then fails the demo (exit status 1).
MISSED=()
missed() { # what
    MISSED+=("$1")
    echo "  MISSED: $1"
}

finish() {
    echo
    if [ ${#MISSED[@]} -eq 0 ]; then
        echo "Demo passed: Brenvale showed each frequency COM1 was tuned to, and started"
        echo "TeamSpeak once for each, and not while COM1 stayed put."
        exit 0
    fi
    echo "Demo FAILED: ${#MISSED[@]} of its checks missed:"
    printf '  %s\n' "${MISSED[@]}"
    exit 1
}

# For a step every later step depends on: says what is missing and ends the demo.
give_up() { # what
    missed "$1"
    finish
}

LOG="$TEAMSPEAK/teamspeak-log.txt"
SEEN=0
starts() {
    if [ -f "$LOG" ]; then wc -l <"$LOG" | tr -d ' '; else echo 0; fi
}
start_line() { # number
    sed -n "${1}p" "$LOG" | tr -d '\r'
}

# Waits for TeamSpeak's next start and prints the command line it received: one start,
# no more, no fewer.
report_next_start() { # step
    local count number
    for _ in $(seq 1 100); do
        count="$(starts)"
        if [ "$count" -gt "$SEEN" ]; then
            for number in $(seq $((SEEN + 1)) "$count"); do
                echo "  TeamSpeak started: $(start_line "$number")"
            done
            [ "$count" -eq $((SEEN + 1)) ] ||
                missed "$1: TeamSpeak was started $((count - SEEN)) times, not once"
            SEEN=$count
            return 0
        fi
        sleep 0.1
    done
    missed "$1: TeamSpeak was not started"
}

# Waits until Brenvale's window shows the frequency; prints what it shows by then. Fails
# only when the window is gone (the driver looks for it 20 s).
wait_for_label() { # frequency
    local shown=""
    for _ in $(seq 1 60); do
        shown="$(driver label)" || return 1
        [ "$shown" = "$1" ] && break
        sleep 0.1
    done
    echo "$shown"
}

# One step: Brenvale shows the frequency COM1 is on, and starts TeamSpeak once.
check_step() { # frequency
    local frequency="$1" listed="listed" shown
    grep -q "^$frequency," "$DEMO/Brenvale/brenvale.txt" || listed="not listed: record 1 is used"
    shown="$(wait_for_label "$frequency")" || give_up "COM1 $frequency: Brenvale's window is gone"
    echo "COM1 $frequency ($listed): Brenvale shows ${shown:-nothing}"
    [ "$shown" = "$frequency" ] ||
        missed "COM1 $frequency: Brenvale did not show it (it shows ${shown:-nothing})"
    report_next_start "COM1 $frequency"
}

echo "Channel table (brenvale.txt):"
sed 's/^/  /' "$DEMO/Brenvale/brenvale.txt" | tr -d '\r'
echo

echo "Starting the stand-in simulator with COM1 on 122.80, then Brenvale."
(cd "$BUILD_DIR" && "$WINE" standin-sim.exe --com1 122.80 >/dev/null 2>&1 &)
# Brenvale looks for the simulator once, at start
driver simulator || give_up "the stand-in simulator's window did not appear"
(cd "$DEMO/Brenvale" && "$WINE" brenvale.exe >/dev/null 2>&1 &)
driver name "Demo Pilot" || give_up "Brenvale did not ask for the name (no name question in 20 s)"
echo "Answered the name question: Demo Pilot"
caption="$(driver caption)" || give_up "Brenvale's window did not appear"
echo "Brenvale's caption: $caption"
echo

check_step 122.80
for frequency in 123.45 130.00 121.50 122.80; do
    driver tune "$frequency" || give_up "COM1 $frequency: the stand-in simulator's window is gone"
    check_step "$frequency"
done

echo
echo "Unchanged for three ticks:"
sleep 4.5
now="$(starts)"
echo "  TeamSpeak starts so far: $SEEN; now: $now"
if [ "$now" -ne "$SEEN" ]; then
    for number in $(seq $((SEEN + 1)) "$now"); do
        echo "  TeamSpeak started: $(start_line "$number")"
    done
    missed "COM1 unchanged: TeamSpeak was started $((now - SEEN)) more times"
fi

rect="$(driver rect)" || give_up "Brenvale's window is gone"
import -display "$DISPLAY" -window root "$OUT/brenvale-demo.png"
convert "$OUT/brenvale-demo.png" -crop "$rect" +repage "$OUT/brenvale-window.png"
echo "Screenshots: build/demo/brenvale-demo.png (the screen), build/demo/brenvale-window.png (Brenvale)"

driver close
echo "Brenvale closed; the stand-ins are ended with it."
finish

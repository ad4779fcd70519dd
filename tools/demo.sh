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
cp "$ROOT/tools/sample/brenvale.txt" "$DEMO/Brenvale/"

cleanup() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
}
trap cleanup EXIT

# A machine that is set up: TeamSpeak's folder known, the module offer settled.
KEY='HKCU\Software\VB and VBA Program Settings\Brenvale\Settings'
"$WINE" reg add "$KEY" /v TSPath /t REG_SZ /d 'C:\Brenvale Demo\Team Speak 2' /f >/dev/null 2>&1
"$WINE" reg add "$KEY" /v FSUIPCINST /t REG_SZ /d 1 /f >/dev/null 2>&1

driver() { "$WINE" "$BUILD_DIR/brenvale-driver.exe" "$@" 2>/dev/null | tr -d '\r'; }

LOG="$TEAMSPEAK/teamspeak-log.txt"
SEEN=0
# Waits for TeamSpeak's next start and prints the command line it received.
report_next_start() {
    local i
    for i in $(seq 1 100); do
        local count=0
        [ -f "$LOG" ] && count=$(wc -l <"$LOG" | tr -d ' ')
        if [ "$count" -gt "$SEEN" ]; then
            SEEN=$count
            echo "  TeamSpeak started: $(sed -n "${count}p" "$LOG" | tr -d '\r')"
            return 0
        fi
        sleep 0.1
    done
    echo "  (TeamSpeak was not started)"
}

# Waits until Brenvale's window shows the frequency.
wait_for_label() {
    local i
    for i in $(seq 1 60); do
        [ "$(driver label)" = "$1" ] && return 0
        sleep 0.1
    done
    echo "  (Brenvale still shows $(driver label))"
}

echo "Channel table (brenvale.txt):"
sed 's/^/  /' "$DEMO/Brenvale/brenvale.txt" | tr -d '\r'
echo

echo "Starting the stand-in simulator with COM1 on 122.80, then Brenvale."
(cd "$BUILD_DIR" && "$WINE" standin-sim.exe --com1 122.80 >/dev/null 2>&1 &)
driver simulator # Brenvale looks for the simulator once, at start
(cd "$DEMO/Brenvale" && "$WINE" brenvale.exe >/dev/null 2>&1 &)
driver name "Demo Pilot"
echo "Answered the name question: Demo Pilot"
echo "Brenvale's caption: $(driver caption)"
echo

wait_for_label 122.80
echo "COM1 122.80 (listed): Brenvale shows $(driver label)"
report_next_start

for frequency in 123.45 130.00 121.50 122.80; do
    driver tune "$frequency"
    wait_for_label "$frequency"
    listed="listed"
    grep -q "^$frequency," "$DEMO/Brenvale/brenvale.txt" || listed="not listed: record 1 is used"
    echo "COM1 $frequency ($listed): Brenvale shows $(driver label)"
    report_next_start
done

echo
echo "Unchanged for three ticks:"
sleep 4.5
echo "  TeamSpeak starts so far: $SEEN; now: $(cat "$LOG" 2>/dev/null | wc -l)"

import -display "$DISPLAY" -window root "$OUT/brenvale-demo.png"
convert "$OUT/brenvale-demo.png" -crop "$(driver rect)" +repage "$OUT/brenvale-window.png"
echo "Screenshots: $OUT/brenvale-demo.png (the screen), $OUT/brenvale-window.png (Brenvale)"

driver close
echo "Brenvale closed; the stand-ins are ended with it."

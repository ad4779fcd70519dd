#!/usr/bin/env bash
# A new user's first steps, rehearsed (./dev fresh, as root): a clean Debian 12 root
# (debootstrap, minimal variant; the pristine copy is kept in build/fresh/pristine so
# later runs start from the same state without downloading it again), the committed
# HEAD cloned into it with the shared folder beside it, read-only, as CI has it, and the
# README's two commands run there exactly as written, as root, in a plain environment.
#
# Everything after the host's package and checkout checks runs in a mount and a PID
# namespace of its own. Whatever is mounted or started in there ends with the rehearsal
# however it ends (Ctrl-C, a kill, a failed step): the host never sees the mounts, and
# the kernel ends every process in the namespace when its first process ends.
set -euo pipefail

# Real paths throughout: /proc/self/mountinfo lists them, and a symbolic link on the way
# to the checkout would otherwise hide a mount from the check before each removal.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)"
HOST_PACKAGES=(debootstrap git) # only the rehearsal's own needs; the clean root gets the rest
FRESH_PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin

log() { printf '\033[1m== %s\033[0m\n' "$*" >&2; }
die() {
    echo "fresh: $*" >&2
    exit 1
}

# ---------------------------------------------------------------- on the host
install_host_packages() {
    local missing=() package
    for package in "${HOST_PACKAGES[@]}"; do
        [ "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)" = "install ok installed" ] ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing: ${missing[*]}"
    # Another apt run may hold the lock for a while (a first ./dev build, say): wait for it.
    apt-get -q -o DPkg::Lock::Timeout=600 update >/dev/null
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
        -o DPkg::Lock::Timeout=600 "${missing[@]}" >"$FRESH/apt.log" 2>&1 ||
        { cat "$FRESH/apt.log" >&2; exit 1; }
}

# git refuses a repository its user does not own ("dubious ownership"), as when root runs
# this on a checkout of another user's. The clone would find that out only after minutes
# of debootstrap: it is checked here, before anything is made. rev-parse checks the work
# tree, the clone (git's upload-pack, as ls-remote) the .git folder: git may ask for each
# to be trusted, and the message names every command needed at once.
check_checkout() {
    local failures="" output fixes said
    output="$(git -C "$ROOT" rev-parse HEAD 2>&1 >/dev/null)" || failures+="$output"$'\n'
    output="$(git ls-remote -q "$ROOT" HEAD 2>&1 >/dev/null)" || failures+="$output"$'\n'
    [ -n "$failures" ] || return 0
    # git's own advice, each command once (a path with blanks comes quoted already).
    fixes="$(sed -n 's/^[[:space:]]*\(git config --global --add safe\.directory \)/  \1/p' \
        <<<"$failures" | awk '!seen[$0]++')"
    said="$(grep '^fatal: ' <<<"$failures" | awk '!seen[$0]++ { print "  " $0 }')" ||
        said="$(awk '{ print "  " $0 }' <<<"$failures")"
    {
        if [ -n "$fixes" ]; then
            echo "fresh: git refuses the checkout $ROOT for $(id -un), who does not own it"
            echo "(\"dubious ownership\"), so the rehearsal could not clone it. Trust it, as"
            echo "$(id -un), with"
            echo "$fixes"
            echo "and run ./dev fresh again. git said:"
        else
            echo "fresh: git cannot read the checkout $ROOT, so the rehearsal could not clone it:"
        fi
        echo "$said"
    } >&2
    exit 1
}

# ---------------------------------------------------------------- inside the namespaces
# Mount points at or below a folder, as the kernel lists them (blanks, tabs, newlines
# and backslashes octal-escaped as \040 and the like, which printf %b decodes as \0040).
mounts_under() { # folder
    local target
    while read -r _ _ _ _ target _; do
        target="$(printf '%b' "${target//\\/\\0}")"
        case "$target/" in "$1"/*) printf '%s\n' "$target" ;; esac
    done </proc/self/mountinfo
}

# A removal never reaches into a mount. --one-file-system keeps rm off other file
# systems, but a bind of a folder from this same file system passes that test: so
# anything mounted inside, of any kind, stops the rehearsal before anything goes.
remove_tree() { # folder
    local mounted
    mounted="$(mounts_under "$1")"
    [ -z "$mounted" ] || die "not removing $1: mounted inside it: $mounted"
    rm -rf --one-file-system "$1"
}

make_fresh_root() {
    if [ ! -f "$FRESH/pristine/.complete" ]; then
        log "debootstrap: a minimal Debian 12 root (once)"
        remove_tree "$FRESH/pristine" # what a stopped debootstrap left
        debootstrap --variant=minbase bookworm "$FRESH/pristine" >"$FRESH/debootstrap.log" 2>&1 ||
            { tail -n 20 "$FRESH/debootstrap.log" >&2; exit 1; }
        touch "$FRESH/pristine/.complete"
    fi
    remove_tree "$FRESH_ROOT"
    cp -a "$FRESH/pristine" "$FRESH_ROOT"
    rm -f "$FRESH_ROOT/.complete"
    cp /etc/resolv.conf "$FRESH_ROOT/etc/resolv.conf"
    mkdir -p "$FRESH_ROOT/work"
    git clone -q "$ROOT" "$FRESH_ROOT/work/main"
    git -C "$FRESH_ROOT/work/main" checkout -q "$(git -C "$ROOT" rev-parse HEAD)"
    if [ -d "$ROOT/../shared" ]; then
        cp -r "$ROOT/../shared" "$FRESH_ROOT/work/shared"
        chmod -R a-w "$FRESH_ROOT/work/shared"
    fi
    # Seen only inside this mount namespace, and gone with it: no unmounting to forget.
    mount -t proc proc "$FRESH_ROOT/proc"
    local folder
    for folder in sys dev dev/pts; do
        mount --bind "/$folder" "$FRESH_ROOT/$folder"
    done
    # The bind of /dev carries none of the file systems mounted below it, so /dev/shm would
    # be a folder of the host's device file system, and what the rehearsal puts there
    # would land on the host and stay: a tmpfs of its own, gone with the namespace.
    mount -t tmpfs -o mode=1777,nosuid,nodev tmpfs "$FRESH_ROOT/dev/shm"
}

FAILED=0

run_step() { # label command
    local label="$1" command="$2" started rc=0 seconds
    log "fresh machine: $command (log: build/fresh/$label.log)"
    started=$(date +%s)
    # A step runs in the background of the first process, which bash starts with Ctrl-C
    # and Ctrl-\ ignored; a newcomer's shell has them as usual.
    env --default-signal=INT,QUIT chroot "$FRESH_ROOT" \
        /usr/bin/env -i PATH="$FRESH_PATH" /bin/bash -c "cd /work/main && $command" \
        </dev/null >"$FRESH/$label.log" 2>&1 || rc=$?
    seconds=$(($(date +%s) - started))
    printf '%-12s exit %d after %dm%02ds\n' "$command" "$rc" $((seconds / 60)) $((seconds % 60)) |
        tee -a "$FRESH/summary.txt"
    [ "$rc" -eq 0 ] || FAILED=1
}

rehearse() {
    make_fresh_root
    : >"$FRESH/summary.txt"
    log "fresh machine from $(git -C "$ROOT" rev-parse --short HEAD): the README's two commands"
    run_step demo "./dev demo"
    run_step test "./dev test"
    grep -E '^total: ' "$FRESH/test.log" | tail -n 1 | tee -a "$FRESH/summary.txt" || true
    return "$FAILED"
}

# The namespace's first process only waits: a signal reaches it only when it has a
# handler, and bash runs a handler at once only while waiting in `wait`. Its end ends
# every process in the namespace, and with the last of them the mounts go.
first_process() {
    [ $$ -eq 1 ] || die "runs inside namespaces of its own: start it as ./dev fresh"
    trap 'echo "fresh: interrupted" >&2; exit 130' INT TERM HUP
    rehearse &
    wait "$!"
}

main() {
    [ "$(id -u)" -eq 0 ] || die "./dev fresh needs root (debootstrap, chroot, mounts)"
    mkdir -p "$ROOT/build/fresh"
    FRESH="$(cd "$ROOT/build/fresh" && pwd -P)"
    FRESH_ROOT="$FRESH/root"
    if [ "${1:-}" = --inside ]; then
        first_process
        return
    fi
    install_host_packages
    check_checkout
    # This process becomes unshare, whose child is the namespace's first process; when
    # unshare ends, even by kill -9, --kill-child ends that child and so the namespace.
    exec unshare --mount --propagation private --pid --fork --kill-child --mount-proc \
        "$ROOT/tools/fresh.sh" --inside
}

# One line, read whole before it runs: bash reads a script as it goes, and the rehearsal
# takes many minutes, in which this file may be edited.
main "$@"; exit

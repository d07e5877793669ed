#!/bin/bash
# The README's commands on a machine where nothing was installed by hand: a minimal Debian
# bookworm root (debootstrap --variant=minbase), a clean clone of HEAD copied into it, then
#   1. `make test` as root, as a new developer runs it;
#   2. what `make play` builds, the game started under Xvfb and quit through its menu (the
#      end-to-end scenario tests/e2e/quit_through_menu_test.py);
#   3. `make package`, and the .deb installed with apt-get into a second minimal root, where the
#      installed game is started from its launcher as a player and quit the same way.
#   scripts/fresh-check.sh [test] [package]      (both when none is named)
# The bare root is cached in build/fresh-check/ and copied for every run. Everything runs in a
# mount namespace of its own, so no mount outlives the script or shows up on the host.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
work="$top/build/fresh-check"
cache="$work/bookworm-minbase"
steps="${*:-test package}"

if [ "$(id -u)" -ne 0 ]; then
    exec sudo "$0" "$@"
fi

say() { printf '\n== fresh-check: %s\n' "$*"; }
results=()
# Runs a step, keeps its outcome and time for the summary; a failed step ends the check.
step() {
    local name="$1"
    shift
    say "$name"
    local start=$SECONDS status=0
    "$@" || status=$?
    local took=$((SECONDS - start))
    results+=("$(printf '%-84s %s  %dm%02ds' "$name" "$([ $status -eq 0 ] && echo ok || echo "FAILED ($status)")" $((took / 60)) $((took % 60)))")
    if [ $status -ne 0 ]; then
        summary
        exit $status
    fi
}
summary() {
    say "summary"
    printf '  %s\n' "${results[@]}"
}

# The mirrors this machine's apt already uses: the first URI serving bookworm/main and the
# one serving bookworm-security/main.
host_mirror() {
    apt-get indextargets --format '$(SITE) $(RELEASE) $(COMPONENT)' 2>/dev/null |
        awk -v suite="$1" '$2 == suite && $3 == "main" { print $1; exit }'
}

host_tools() {
    local missing=""
    for pkg in debootstrap git; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
            missing="$missing $pkg"
    done
    if [ -n "$missing" ]; then
        apt-get -o DPkg::Lock::Timeout=900 update -q
        DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -q $missing
    fi
}

make_cached_root() {
    if [ -f "$cache/.complete" ]; then
        echo "reusing $cache"
        return
    fi
    local mirror security
    mirror=$(host_mirror bookworm)
    security=$(host_mirror bookworm-security)
    if [ -z "$mirror" ]; then
        echo "fresh-check: this machine's apt sources name no mirror for bookworm/main" >&2
        return 1
    fi
    rm -rf "$cache"
    mkdir -p "$work"
    debootstrap --variant=minbase bookworm "$cache" "$mirror"
    {
        echo "deb $mirror bookworm main"
        echo "deb $mirror bookworm-updates main"
        if [ -n "$security" ]; then
            echo "deb $security bookworm-security main"
        fi
    } >"$cache/etc/apt/sources.list"
    chroot "$cache" apt-get clean
    touch "$cache/.complete"
}

fresh_root() {
    local root="$1"
    rm -rf "$root"
    cp -a "$cache" "$root"
    rm -f "$root/.complete"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    # debootstrap writes no hosts file, which every installed Debian has: without it
    # "localhost" does not resolve, and selenium cannot reach the chromedriver it started.
    printf '127.0.0.1\tlocalhost\n::1\t\tlocalhost ip6-localhost ip6-loopback\n' \
        >"$root/etc/hosts"
    host_trust "$root"
}

# The certificate authorities this machine adds to Debian's (a proxy's, for one), carried into
# the root as its name servers are: npm reaches its registry over HTTPS through them. Node.js
# reads them from NODE_EXTRA_CA_CERTS (set by in_root); ca-certificates, once installed, from
# /usr/local/share/ca-certificates.
host_trust() {
    local root="$1" bundle="$1/etc/ssl/host-extra-ca.pem"
    mkdir -p "$root/usr/local/share/ca-certificates" "$root/etc/ssl"
    : >"$bundle"
    for cert in /usr/local/share/ca-certificates/*.crt; do
        [ -f "$cert" ] || continue
        cp "$cert" "$root/usr/local/share/ca-certificates/"
        cat "$cert" >>"$bundle"
    done
}

clone_head() {
    local root="$1"
    git -C "$top" rev-parse --verify HEAD >/dev/null
    git clone -q --no-local "$top" "$root/root/kesselfass3d"
    git -C "$root/root/kesselfass3d" checkout -q --detach "$(git -C "$top" rev-parse HEAD)"
    echo "HEAD $(git -C "$top" rev-parse --short HEAD) cloned into the root"
}

# Runs a command as root inside `root`, in a private mount namespace with /proc, a /dev of
# its own (the few device nodes programs need and a new devpts instance), /dev/shm and a
# tmpfs /tmp. The namespace ends with the command, and every mount with it.
in_root() {
    local root="$1"
    shift
    unshare --mount --propagation private -- /bin/sh -eu -c '
        root=$1; shift
        mount -t proc proc "$root/proc"
        mount -t tmpfs -o mode=755,nosuid dev "$root/dev"
        for node in null zero full random urandom tty; do
            touch "$root/dev/$node"
            mount --bind "/dev/$node" "$root/dev/$node"
        done
        mkdir -p "$root/dev/pts" "$root/dev/shm"
        mount -t devpts -o newinstance,ptmxmode=0666,mode=620 devpts "$root/dev/pts"
        ln -s pts/ptmx "$root/dev/ptmx"
        ln -s /proc/self/fd "$root/dev/fd"
        mount -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm"
        mount -t tmpfs -o mode=1777,nosuid,nodev tmp "$root/tmp"
        exec chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
            NODE_EXTRA_CA_CERTS=/etc/ssl/host-extra-ca.pem \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
    ' fresh-root "$root" "$@"
}

check_no_mounts_left() {
    if grep -q " $work/" /proc/self/mounts; then
        echo "fresh-check: mounts left under $work:" >&2
        grep " $work/" /proc/self/mounts >&2
        return 1
    fi
}

# --- the developer's machine: make test, then the game that make play builds ---------------
dev_root="$work/root-developer"
run_developer_steps() {
    step "fresh root for the developer" fresh_root "$dev_root"
    step "clean clone of HEAD" clone_head "$dev_root"
    # The README: where make itself is missing, the install script brings it.
    step "sh scripts/install-deps.sh (make is not on a minimal root)" \
        in_root "$dev_root" sh -c 'cd /root/kesselfass3d && sh scripts/install-deps.sh'
    developer_root_ready=1
    step "make test" in_root "$dev_root" sh -c 'cd /root/kesselfass3d && make test'
    step "make build (what make play builds)" \
        in_root "$dev_root" sh -c 'cd /root/kesselfass3d && make build'
    step "the built game under Xvfb: the end-to-end quit scenario (menu, \"Quit game\", table)" \
        in_root "$dev_root" sh -c 'cd /root/kesselfass3d && PYTHONDONTWRITEBYTECODE=1 \
            sh scripts/with-xvfb.sh python3 tests/e2e/quit_through_menu_test.py \
            build/release/platform/kesselfass3d'
}

# --- the player's machine: only the package -------------------------------------------------
player_root="$work/root-player"
developer_root_ready=0
run_package_steps() {
    if [ "$developer_root_ready" -eq 0 ]; then
        step "fresh root for the developer" fresh_root "$dev_root"
        step "clean clone of HEAD" clone_head "$dev_root"
        step "sh scripts/install-deps.sh (make is not on a minimal root)" \
            in_root "$dev_root" sh -c 'cd /root/kesselfass3d && sh scripts/install-deps.sh'
    fi
    step "make package" in_root "$dev_root" sh -c 'cd /root/kesselfass3d && make package'
    local deb
    deb=$(ls "$dev_root"/root/kesselfass3d/build/package/kesselfass3d_*_amd64.deb)
    step "fresh root for the player" fresh_root "$player_root"
    cp "$deb" "$player_root/root/"
    # The quit scenario and the harness it imports, from the clone the package was built from.
    local tree="$dev_root/root/kesselfass3d"
    mkdir -p "$player_root/opt/fresh-check"
    cp "$tree/scripts/with-xvfb.sh" "$tree"/tests/e2e/kf_*.py \
        "$tree/tests/e2e/quit_through_menu_test.py" "$player_root/opt/fresh-check/"
    step "apt-get install ./$(basename "$deb")" in_root "$player_root" sh -c '
        apt-get update -q &&
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q /root/'"$(basename "$deb")"
    # Only to drive and watch the game: a display, Python and the X client libraries that the
    # harness loads.
    step "the test's own needs (Xvfb, python3, libX11, libXtst, libXdamage, libXfixes)" \
        in_root "$player_root" sh -c '
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
            xvfb python3 libx11-6 libxtst6 libxdamage1 libxfixes3'
    step "the installed game from its launcher, as a player: the end-to-end quit scenario" \
        in_root "$player_root" sh -c '
        useradd --create-home player
        exec setpriv --reuid=player --regid=player --init-groups \
            env HOME=/home/player USER=player PYTHONDONTWRITEBYTECODE=1 \
            sh /opt/fresh-check/with-xvfb.sh python3 /opt/fresh-check/quit_through_menu_test.py \
            --scores /home/player/.local/share/kesselfass3d/scores.dat kesselfass3d-desktop'
}

trap 'check_no_mounts_left || true' EXIT
step "host tools (debootstrap, git)" host_tools
step "minimal Debian bookworm root (cached)" make_cached_root
case " $steps " in *" test "*) run_developer_steps ;; esac
case " $steps " in *" package "*) run_package_steps ;; esac
step "no mounts left behind" check_no_mounts_left
summary

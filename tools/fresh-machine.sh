#!/usr/bin/env bash
# Runs a command in a brand-new Debian 12 minbase root with a clone of this
# checkout, as a newcomer would: nothing installed beyond the base system, no
# display, no session. The root is made with debootstrap from the mirror this
# machine's apt uses, cached, and copied afresh for every run.
#
#   tools/fresh-machine.sh [options] [--] COMMAND...
#
# COMMAND runs through bash in the clone, e.g.
#   tools/fresh-machine.sh scripts/test.sh
#   tools/fresh-machine.sh --user player scripts/play.sh
#
# Options:
#   --user NAME    run as a new ordinary user NAME who may use sudo (default: root)
#   --path PATH    where the clone goes, relative to that user's home
#                  (default: "ゲーム/mochi tama")
#   --repo DIR     the checkout to clone (default: this one); its HEAD is
#                  cloned, as CI clones main, so commit what you want to try
#   --keep DIR     keep the machine in DIR after the run (default: removed)
#   --cache DIR    where the pristine root is kept
#                  (default: /var/cache/mochitama-fresh-machine)
#   --refresh      make the pristine root again
#
# Needs root (debootstrap, chroot, mounts); re-runs itself through sudo.
# The exit status is the command's.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
user=""
clone_path="ゲーム/mochi tama"
repo="$(cd "$here/.." && pwd)"
keep=""
cache="/var/cache/mochitama-fresh-machine"
refresh=0

die() {
    echo "fresh-machine: $*" >&2
    exit 2
}
say() { echo "fresh-machine: $*" >&2; }

while (($#)); do
    case "$1" in
        --user) user="${2:?--user needs a name}"; shift 2 ;;
        --path) clone_path="${2:?--path needs a path}"; shift 2 ;;
        --repo) repo="$(cd "${2:?--repo needs a directory}" && pwd)"; shift 2 ;;
        --keep) keep="${2:?--keep needs a directory}"; shift 2 ;;
        --cache) cache="${2:?--cache needs a directory}"; shift 2 ;;
        --refresh) refresh=1; shift ;;
        -h | --help) sed -n '2,25p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
        --) shift; break ;;
        -*) die "unknown option $1 (see --help)" ;;
        *) break ;;
    esac
done
(($#)) || die "no command given (see --help)"
[[ "$clone_path" != /* ]] || die "--path is relative to the user's home"
[[ -z "$user" || "$user" =~ ^[a-z_][a-z0-9_-]*$ ]] || die "not a user name: $user"

if ((EUID != 0)); then
    command -v sudo >/dev/null || die "needs root, and sudo is not available"
    exec sudo -- "${BASH_SOURCE[0]}" ${user:+--user "$user"} --path "$clone_path" --repo "$repo" \
        ${keep:+--keep "$keep"} --cache "$cache" $( ((refresh)) && echo --refresh) -- "$@"
fi

for tool in git chroot unshare mount; do
    command -v "$tool" >/dev/null || die "$tool not found"
done
if ! command -v debootstrap >/dev/null; then
    say "installing debootstrap"
    DEBIAN_FRONTEND=noninteractive apt-get -q install -y --no-install-recommends debootstrap >/dev/null ||
        die "could not install debootstrap"
fi

# The first Debian archive this machine's apt fetches bookworm from.
mirror_of_this_machine() {
    local file
    for file in /etc/apt/sources.list.d/*.sources; do
        [[ -r "$file" ]] || continue
        awk '
            /^[[:space:]]*$/ { if (uri != "" && suite && deb && !security) { print uri; exit } uri=""; suite=0; deb=0; security=0; next }
            /^URIs:/ { uri=$2; if (uri ~ /security/) security=1 }
            /^Suites:/ { for (i = 2; i <= NF; i++) if ($i == "bookworm") suite=1 }
            /^Types:/ { for (i = 2; i <= NF; i++) if ($i == "deb") deb=1 }
            END { if (uri != "" && suite && deb && !security) print uri }
        ' "$file" | head -n 1
    done
    if [[ -r /etc/apt/sources.list ]]; then
        awk '$1 == "deb" && $3 == "bookworm" { print ($2 ~ /^\[/ ? $3 : $2); exit }' /etc/apt/sources.list
    fi
}
mirror="$(mirror_of_this_machine | head -n 1)"
[[ -n "$mirror" ]] || mirror="http://deb.debian.org/debian"

# The archive this machine's apt takes security updates from.
security_of_this_machine() {
    local file
    for file in /etc/apt/sources.list.d/*.sources /etc/apt/sources.list; do
        [[ -r "$file" ]] || continue
        awk '/^URIs:/ && $2 ~ /debian-security/ { print $2; exit }
             $1 == "deb" && $0 ~ /debian-security/ { print ($2 ~ /^\[/ ? $3 : $2); exit }' "$file"
    done
}
security="$(security_of_this_machine | head -n 1)"
[[ -n "$security" ]] || security="http://deb.debian.org/debian-security"

# ---- the pristine root, made once
pristine="$cache/bookworm-minbase"
if ((refresh)) || [[ ! -f "$pristine/.complete" ]]; then
    rm -rf "$pristine"
    mkdir -p "$cache"
    say "making a Debian 12 minbase root from $mirror (about a minute)"
    debootstrap --variant=minbase bookworm "$pristine" "$mirror" >"$cache/debootstrap.log" 2>&1 ||
        die "debootstrap failed; see $cache/debootstrap.log"
    rm -rf "$pristine/var/cache/apt/archives/"*.deb "$pristine/var/lib/apt/lists/"*
    touch "$pristine/.complete"
fi

# ---- this run's machine
if [[ -n "$keep" ]]; then
    [[ ! -e "$keep" ]] || die "$keep already exists"
    machine="$keep"
else
    machine="$(mktemp -d /var/tmp/mochitama-fresh-machine.XXXXXX)"
    trap 'rm -rf --one-file-system "$machine"' EXIT
fi
cp -a "$pristine/." "$machine/"
rm -f "$machine/.complete"
# As an installed Debian 12 has them: the release, its updates and its
# security updates (chromium and Firefox ESR come from the last).
printf 'deb %s bookworm main\ndeb %s bookworm-updates main\ndeb %s bookworm-security main\n' \
    "$mirror" "$mirror" "$security" >"$machine/etc/apt/sources.list"
cp /etc/resolv.conf "$machine/etc/resolv.conf"
printf '127.0.0.1 localhost\n127.0.1.1 fresh-machine\n' >"$machine/etc/hosts"
echo fresh-machine >"$machine/etc/hostname"
chmod 1777 "$machine/tmp"

in_machine() { chroot "$machine" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin "$@"; }

# What this machine's network trusts (a proxy that inspects TLS has its own
# certificate authority) belongs to the machine, not to the project: a
# machine of this kind trusts it. The fresh one gets it for node (npm), which
# reads no system store of its own; apt uses the plain http mirror.
trust=()
if [[ -r /etc/ssl/certs/ca-certificates.crt ]]; then
    mkdir -p "$machine/etc/fresh-machine"
    cp /etc/ssl/certs/ca-certificates.crt "$machine/etc/fresh-machine/network-ca.crt"
    trust=(NODE_EXTRA_CA_CERTS=/etc/fresh-machine/network-ca.crt)
fi

if [[ -n "$user" ]]; then
    home="/home/$user"
    say "adding the user $user, who may use sudo"
    in_machine bash -c 'apt-get -q update && DEBIAN_FRONTEND=noninteractive apt-get -q install -y sudo &&
        apt-get clean && rm -rf /var/lib/apt/lists/*' >"$machine/var/tmp/sudo-install.log" 2>&1 ||
        die "could not install sudo in the machine; see $machine/var/tmp/sudo-install.log"
    in_machine useradd --create-home --shell /bin/bash "$user"
    echo "$user ALL=(ALL) NOPASSWD:ALL" >"$machine/etc/sudoers.d/$user"
    chmod 0440 "$machine/etc/sudoers.d/$user"
else
    home="/root"
fi

target="$home/$clone_path"
say "cloning $repo ($(git -C "$repo" rev-parse --short HEAD)) to $target"
mkdir -p "$(dirname "$machine$target")"
git clone --quiet --no-hardlinks "$repo" "$machine$target"
if [[ -n "$user" ]]; then
    uid="$(in_machine id -u "$user")"
    gid="$(in_machine id -g "$user")"
    # Everything from the home down to the clone is the user's, as if they made it.
    chown -R "$uid:$gid" "$machine$home"
fi

# A private mount namespace and process tree: the mounts and any process the
# command leaves behind go away with it.
run_script='
set -e
machine="$1"; shift
mount -t proc proc "$machine/proc"
mount -t sysfs sysfs "$machine/sys"
mount --rbind /dev "$machine/dev"
mount -t tmpfs -o mode=1777 tmpfs "$machine/dev/shm"
exec chroot "$machine" "$@"
'
shell_command='cd "$1" && shift && exec bash -c "$*"'
if [[ -n "$user" ]]; then
    as_user=(setpriv "--reuid=$uid" "--regid=$gid" --init-groups
        /usr/bin/env -i "HOME=$home" "USER=$user" "LOGNAME=$user" SHELL=/bin/bash
        PATH=/usr/local/bin:/usr/bin:/bin "TERM=${TERM:-dumb}" "${trust[@]}")
else
    as_user=(/usr/bin/env -i HOME=/root USER=root LOGNAME=root SHELL=/bin/bash
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "TERM=${TERM:-dumb}" "${trust[@]}")
fi

say "running as ${user:-root} in $target: $*"
started=$SECONDS
set +e
unshare --mount --pid --fork --propagation private bash -c "$run_script" run "$machine" \
    "${as_user[@]}" bash -c "$shell_command" shell "$target" "$@"
status=$?
set -e
say "the command ended with status $status after $((SECONDS - started)) s"
[[ -z "$keep" ]] || say "the machine is kept in $keep"
exit "$status"

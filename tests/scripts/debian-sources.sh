#!/usr/bin/env bash
# Checks scripts/debian-sources on sample machines (a root folder each, with
# etc/apt, etc/os-release and var/lib/apt/lists) and that no script carries a
# package archive address of its own.
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "[debian-sources] FAIL: $*"; failures=$((failures + 1)); }

# expect NAME EXPECTED ACTUAL
expect() {
  if [ "$2" != "$3" ]; then
    fail "$1"
    diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | sed 's/^/    /'
  fi
}

# machine NAME: a root with bookworm's os-release; files are written after it
machine() {
  root="$work/$1"
  mkdir -p "$root/etc/apt/sources.list.d" "$root/var/lib/apt/lists"
  printf 'ID=debian\nVERSION_CODENAME=bookworm\n' > "$root/etc/os-release"
}

# Several deb822 stanzas beside third-party entries in both formats, and the
# file an earlier set-up wrote with another address.
machine deb822
cat > "$root/etc/apt/sources.list.d/debian.sources" <<'EOF'
Types: deb
# a comment line inside the stanza
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Enabled: no
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
EOF
cat > "$root/etc/apt/sources.list.d/nodesource.sources" <<'EOF'
Types: deb
URIs: https://deb.nodesource.example/node_20.x
Suites: nodistro
Components: main
Signed-By: /usr/share/keyrings/nodesource.gpg
EOF
cat > "$root/etc/apt/sources.list.d/vendor.list" <<'EOF'
deb https://packages.vendor.example/apt cloud-sdk-bookworm main
deb [signed-by=/usr/share/keyrings/php.gpg] https://php.vendor.example/php bookworm main
EOF
cat > "$root/etc/apt/sources.list.d/corvane-debian-src.sources" <<'EOF'
Types: deb-src
URIs: http://stale.example/debian
Suites: bookworm
Components: main
EOF
expect "deb822 stanzas: Debian's, third-party ones and set-up's own file left out" \
"Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" \
"$(bash scripts/debian-sources entry "$root")"

# One-line entries through a mirror and a proxy; a suite that already has
# deb-src is not repeated; a suite of another release and a component Debian
# does not have are not Debian's.
machine one-line
cat > "$root/etc/apt/sources.list" <<'EOF'
# deb http://commented.example/debian bookworm main
deb http://mirror.example.net/debian/ bookworm main contrib non-free-firmware
deb-src http://mirror.example.net/debian bookworm main contrib non-free-firmware
deb http://mirror.example.net/debian bookworm-updates main contrib non-free-firmware
deb http://mirror.example.net/debian-security bookworm-security main # security
deb [ arch=amd64,i386 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg ] http://proxy.example:3142/deb.debian.org/debian bookworm-backports main
deb http://mirror.example.net/debian trixie main
deb https://download.vendor.example/linux/debian bookworm stable
EOF
expect "one-line entries: the mirror's and the proxy's addresses" \
"Types: deb-src
URIs: http://mirror.example.net/debian
Suites: bookworm-updates
Components: main contrib non-free-firmware

Types: deb-src
URIs: http://mirror.example.net/debian-security
Suites: bookworm-security
Components: main

Types: deb-src
URIs: http://proxy.example:3142/deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" \
"$(bash scripts/debian-sources entry "$root")"

# The Release files apt stored from an earlier update outweigh the suite name:
# a mirror of "stable" is Debian's, a third party's "bookworm main" is not.
machine release-origin
cat > "$root/etc/apt/sources.list" <<'EOF'
deb http://mirror.example.net/debian_archive stable main
deb https://php.vendor.example/php bookworm main
EOF
printf -- '-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA512\n\nOrigin: Debian\nSuite: stable\n' \
  > "$root/var/lib/apt/lists/mirror.example.net_debian%5farchive_dists_stable_InRelease"
printf 'Origin: PHP vendor\nSuite: bookworm\n' \
  > "$root/var/lib/apt/lists/php.vendor.example_php_dists_bookworm_Release"
expect "Release origin decides" \
"Types: deb-src
URIs: http://mirror.example.net/debian_archive
Suites: stable
Components: main" \
"$(bash scripts/debian-sources entry "$root")"

# No Debian entry at all: nothing written, a message, a failing status.
machine no-debian
cp "$work/deb822/etc/apt/sources.list.d/nodesource.sources" "$root/etc/apt/sources.list.d/"
output=$(bash scripts/debian-sources entry "$root" 2>"$work/stderr"); status=$?
expect "no Debian entry: nothing on stdout" "" "$output"
[ "$status" -ne 0 ] || fail "no Debian entry: exit status 0"
grep -q 'no Debian deb entry' "$work/stderr" || fail "no Debian entry: no message ($(cat "$work/stderr"))"

# apt-get update's failures: Debian's are named (a by-hash address too),
# third-party ones are not, not even for i386.
expect "failed indexes of an update" \
"http://deb.debian.org/debian-security bookworm-security/main i386 Packages	File has unexpected size (374820 != 376004). Mirror sync in progress?
http://deb.debian.org/debian bookworm-updates InRelease	Could not connect to deb.debian.org:80
http://deb.debian.org/debian bookworm/main Sources	Hash Sum mismatch" \
"$(bash scripts/debian-sources failures "$work/deb822" <<'EOF'
Hit:1 http://deb.debian.org/debian bookworm InRelease
Err:5 http://deb.debian.org/debian-security bookworm-security/main i386 Packages
  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 151.101.2.132 80]
E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 151.101.2.132 80]
   Hashes of expected file:
    - Filesize:376004 [weak]
W: Failed to fetch http://deb.debian.org/debian/dists/bookworm-updates/InRelease  Could not connect to deb.debian.org:80
E: Failed to fetch https://deb.nodesource.example/node_20.x/dists/nodistro/main/binary-amd64/Packages  404  Not Found
E: Failed to fetch https://php.vendor.example/php/dists/bookworm/main/binary-i386/Packages  404  Not Found
E: Failed to fetch http://deb.debian.org/debian/dists/bookworm/main/source/by-hash/SHA256/0123abcd  Hash Sum mismatch
E: Some index files failed to download. They have been ignored, or old ones used instead.
EOF
)"

# Archive addresses come from the machine's sources only.
if grep -rnEi '(https?|ftp)://[^ ]*(debian|ubuntu|archive|mirror)|^[[:space:]]*(deb|deb-src|URIs:)[[:space:]].*://' scripts .ci; then
  fail "an archive address stands in the scripts (above)"
fi

[ "$failures" -eq 0 ] && echo "[debian-sources] all checks passed"
exit $((failures > 0))

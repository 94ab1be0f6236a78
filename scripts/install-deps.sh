#!/bin/sh
# Installs the Debian packages the build and the tests need, when missing;
# with the argument "fuzz", also clang and libFuzzer for `make fuzz`; with
# "deb", also the packaging tools for `make deb`.
# Quiet and quick when everything is there already.
set -eu

PACKAGES="g++ make cmake ninja-build pkg-config qt6-base-dev libgl-dev qtkeychain-qt6-dev
libgtest-dev libgmock-dev ngircd inspircd anope irssi tmux clang-format openssl
ca-certificates libssl-dev ccache dbus gnome-keyring libsecret-1-0 libsecret-tools
libglib2.0-dev libsqlite3-dev libhunspell-dev hunspell-en-us dunst xvfb microsocks"
if [ "${1:-}" = fuzz ]; then
    PACKAGES="$PACKAGES clang libclang-rt-14-dev"
elif [ "${1:-}" = deb ]; then
    PACKAGES="$PACKAGES dpkg-dev debhelper fakeroot lintian desktop-file-utils appstream"
fi

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q </dev/null
# shellcheck disable=SC2086
$SUDO apt-get install -y -q --no-install-recommends $missing </dev/null

#!/usr/bin/env bash
# Brings a fresh Debian 12 machine to a state where Pelmira builds and its tests run.
# Idempotent: when everything is already there it only checks and returns.
set -euo pipefail

need_root() { if [ "$(id -u)" -ne 0 ]; then echo "setup.sh must run as root" >&2; exit 1; fi; }

PKGS=(cmake make wine wine64 wine32:i386 g++-mingw-w64-i686 g++-mingw-w64-x86-64
      xvfb x11-utils fonts-ipafont-gothic lhasa jlha-utils locales imagemagick xdotool
      clang libclang-rt-14-dev p7zip-full tzdata googletest fonts-wine fp-utils libz-mingw-w64-dev
      zip unzip zlib1g-dev python3)

missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  need_root
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  export DEBIAN_FRONTEND=noninteractive
  # A mirror in the middle of a sync fails an index now and then: try again, and go on with what
  # was fetched (the packages themselves come from the main archive).
  for attempt in 1 2 3; do
    apt-get update -q && break
    echo "setup: apt-get update failed (attempt $attempt)" >&2
    if [ "$attempt" -lt 3 ]; then sleep $((attempt * 10)); fi
  done
  if ! apt-get install -y -q --no-install-recommends "${missing[@]}"; then
    # An index missing for one architecture (seen: the security archive's i386 index mid-sync)
    # leaves the amd64 and i386 versions of multi-arch libraries apart, and wine32 cannot be
    # installed: install from the main archive alone, whose two architectures match.
    echo "setup: installing from the main archive alone" >&2
    alt=$(mktemp -d)
    mkdir -p "$alt/lists/partial" "$alt/parts"
    printf 'deb http://deb.debian.org/debian bookworm main\ndeb http://deb.debian.org/debian bookworm-updates main\n' >"$alt/main.list"
    opts=(-o "Dir::Etc::sourcelist=$alt/main.list" -o "Dir::Etc::sourceparts=$alt/parts" -o "Dir::State::Lists=$alt/lists")
    apt-get "${opts[@]}" update -q
    apt-get "${opts[@]}" install -y -q --no-install-recommends "${missing[@]}"
    rm -rf "$alt"
  fi
fi

# The posix thread model is needed for std::thread/std::mutex (GoogleTest).
for c in i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix; do
  command -v "$c" >/dev/null || { echo "missing compiler $c" >&2; exit 1; }
done

# Wine takes its ANSI code page (932) from this locale; a libc trigger may have rebuilt the archive.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  need_root
  localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
echo "setup: ok"

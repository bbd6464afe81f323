#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 "bookworm" machine. Idempotent:
# packages already there are left alone and the package lists are fetched only when needed.
# The JDK runs the test that writes -lh1- archives with jlha-utils' library; nsis, strace and
# openbox serve the benchmarks (the peer installer, what a run writes, a window manager).
set -euo pipefail
packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev googletest
  g++-mingw-w64-i686 wine wine32:i386 xvfb xauth xdotool imagemagick
  lhasa jlha-utils openjdk-17-jdk-headless liblnk-utils hyperfine time
  nsis strace openbox
)
release=$(. /etc/os-release 2>/dev/null && echo "${ID:-} ${VERSION_CODENAME:-}")
if [ "$release" = "debian bookworm" ]; then
  echo "setup-deps: Debian 12 \"bookworm\", the release the two commands are made for"
else
  echo "setup-deps: made for Debian 12 \"bookworm\" (this is \"${release:-unknown}\"): package names may differ," \
       "and a mingw-w64 other than bookworm's GCC 12 builds install.exe and uninstaller.exe with its own" \
       "run-time, over their size budget (docs/development.md)" >&2
fi
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
  need_update=1
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ -n "${need_update:-}" ]; then
  $sudo apt-get update -qq
  [ ${#missing[@]} -eq 0 ] || DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

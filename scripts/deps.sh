#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs, only those missing.
set -euo pipefail

# VELKDATA_QT_MAJORS: the Qt major versions to build against, "5 6" (what
# scripts/test.sh builds) unless told otherwise.
packages=(g++ cmake ninja-build pkg-config binutils
          libboost-serialization-dev
          libgtest-dev libgmock-dev libbenchmark-dev
          libmuparser-dev libfparser-dev)
for major in ${VELKDATA_QT_MAJORS:-5 6}; do
  case "$major" in
    5) packages+=(qtbase5-dev) ;;
    6) packages+=(qt6-base-dev) ;;
    *) echo "VELKDATA_QT_MAJORS: unknown Qt major '$major' (5 or 6)" >&2; exit 2 ;;
  esac
done
if [ "${VELKDATA_WITH_CLANG:-0}" = 1 ]; then
  packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" != 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

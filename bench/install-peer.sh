#!/usr/bin/env bash
# Set-up of `make bench`: the Debian packages the KReport peer of bench_PdfBench is built against
# (../shared/peer/kreport), installed when missing. It never stops the benchmarks: when they cannot
# be installed it says so in one line, and bench_PdfBench leaves the peer's columns out.
set -uo pipefail

packages=(libkreport3-dev qtbase5-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=()
[ "$(id -u)" -ne 0 ] && SUDO=(sudo -n)
log=$(mktemp)
echo "bench: installing the KReport peer's packages: ${missing[*]}"
if ! { "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
       "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
  echo "bench: the KReport peer's packages (${missing[*]}) could not be installed ($(tail -n 1 "$log")): bench_PdfBench leaves its columns out"
fi
rm -f "$log"
exit 0

#!/usr/bin/env bash
# Installs the Debian packages the program, its tests and its benchmarks need; only what is missing.
set -euo pipefail
packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-translations-l10n
  fonts-crosextra-carlito
  libqt6sql6 libgl-dev
  unixodbc unixodbc-dev tdsodbc libsqliteodbc odbc-postgresql
  postgresql
  libssl-dev openssl
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  sqlite3 libsqlite3-dev python3
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  echo "Instalando: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
bash "$(dirname "$0")/openssl-home.sh"
# SQL Server connections name their ODBC driver "FreeTDS": make sure the driver list has it.
if ! odbcinst -q -d -n FreeTDS >/dev/null 2>&1; then
  register=(odbcinst -i -d -f /usr/share/tdsodbc/odbcinst.ini)
  [ "$(id -u)" -eq 0 ] || register=(sudo "${register[@]}")
  "${register[@]}" >/dev/null
fi

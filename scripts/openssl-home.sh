#!/usr/bin/env bash
# The key generation looks for OpenSSL first in $HOME/OpenSSL/bin: when that place has no openssl,
# link the system's one there.
set -euo pipefail
carpeta="$HOME/OpenSSL/bin"
if [ -x /usr/bin/openssl ] && [ ! -e "$carpeta/openssl" ]; then
  mkdir -p "$carpeta"
  ln -sfn /usr/bin/openssl "$carpeta/openssl"
  echo "OpenSSL enlazado en $carpeta"
fi

#!/usr/bin/env bash
# Redraws assets/pictures/ and assets/pictures.rc from the table in make-pictures.py.
set -euo pipefail
exec python3 "$(dirname "${BASH_SOURCE[0]}")/make-pictures.py" "$@"

#!/usr/bin/env bash
# Installs what the program needs, builds it and starts it. Without arguments it creates the demo
# database build/demo/shop.db afresh and opens it through the plug-in host DVNReplacerHost; any
# arguments go to the host instead (see src/app/DVNReplacerHost.cpp), e.g.
#     bash scripts/run.sh --connection "DRIVER=SQLite3;Database=/path/file.db" --table Orders
# The stand-alone program is build/bin/DVNReplacer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
if [ $# -eq 0 ]; then
    db=$(bash scripts/make-demo-db.sh build/demo/shop.db)
    exec build/bin/DVNReplacerHost --connection "DRIVER=SQLite3;Database=$db" --dsn-name "shop.db"
fi
exec build/bin/DVNReplacerHost "$@"

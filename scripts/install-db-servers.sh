#!/usr/bin/env bash
# Installs the database servers and their ODBC drivers that the server tests run against (Debian 12).
# The package scripts must not start the system's own server instances: the tests start theirs.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get install -y -qq --no-install-recommends \
    postgresql odbc-postgresql mariadb-server mariadb-client odbc-mariadb iproute2 >/dev/null

#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Dorvane need.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
    g++ cmake make pkg-config clang-format \
    qt6-base-dev libgl-dev \
    unixodbc unixodbc-dev odbcinst libsqliteodbc sqlite3 odbc-mdbtools \
    libpcre2-dev \
    qt6-translations-l10n \
    dpkg-dev file desktop-file-utils groff-base \
    xvfb xauth >/dev/null

#!/usr/bin/env bash
# Installs what is missing (Debian 12), then configures and builds into build/.
# Usage: scripts/setup.sh [run|headless]   -- "run" also installs what the window needs;
# without an argument, also what the tests need (a JDK, Maven, MariaDB, Python, the jars).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake g++ make qt6-base-dev libqt6sql6-sqlite libgl-dev libgtest-dev qt6-translations-l10n)
# import-mdb reads Access databases with mdb-export; import-db reads MariaDB/MySQL and
# PostgreSQL schemas through Qt's drivers.
packages+=(mdbtools libqt6sql6-mysql libqt6sql6-psql)
# The compile test builds generated Java projects: a JDK and Maven, unless the machine has them.
command -v javac >/dev/null || packages+=(default-jdk-headless)
command -v mvn >/dev/null || packages+=(maven)
# "run": the window; "headless": the headless command only; none: everything ./test needs.
mode="${1:-test}"
if [ "$mode" = run ]; then
    packages+=(fonts-noto-cjk)
elif [ "$mode" = test ]; then
    # The live test serves a generated project against a private MariaDB server.
    packages+=(python3 mariadb-server mariadb-client)
    # The import-db test reads a schema from a private PostgreSQL server too.
    packages+=(postgresql)
    # The install test validates the installed desktop entry and AppStream file.
    packages+=(desktop-file-utils appstream)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2
# The libraries of the compile test; the program itself does not need them.
if [ "$mode" = test ]; then
    scripts/java-libs.sh
    # The Access database of the legacy import test, written with Jackcess.
    scripts/mdb-fixture.sh
fi

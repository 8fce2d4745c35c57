#!/usr/bin/env bash
# Fetches the jars a pom names from Maven Central into a folder: by default the libraries a
# generated project compiles against (tests/java/pom.xml) into build/javalib. Maven keeps its
# own cache; the copy is redone only when the pom changes. With MAVEN_OFFLINE set, Maven uses
# its local cache only.
# Usage: scripts/java-libs.sh [POM FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
pom=${1:-tests/java/pom.xml}
target=${2:-build/javalib}
stamp="$target/.pom.sha256"
sum=$(sha256sum "$pom" | cut -d' ' -f1)
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$sum" ]; then
    exit 0
fi
rm -rf "$target"
mkdir -p "$target"
mvn -B -q ${MAVEN_OFFLINE:+-o} -f "$pom" dependency:copy-dependencies -DoutputDirectory="$PWD/$target"
echo "$sum" >"$stamp"

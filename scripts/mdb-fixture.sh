#!/usr/bin/env bash
# Writes the Access database that the legacy import test reads (tests/mdb: a Java program using
# Jackcess from Maven Central) to build/mdb/projects.mdb, or to the file given. Maven keeps its
# own cache; the database is rewritten only when tests/mdb changes. With MAVEN_OFFLINE set, Maven
# uses its local cache only.
set -euo pipefail
out=$(realpath -m "${1:-$(dirname "$0")/../build/mdb/projects.mdb}")
cd "$(dirname "$0")/.."
stamp="$out.sha256"
sum=$(find tests/mdb -type f -print0 | sort -z | xargs -0 sha256sum | sha256sum | cut -d' ' -f1)
if [ -f "$out" ] && [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$sum" ]; then
    exit 0
fi
rm -f "$stamp"
mvn -B -q ${MAVEN_OFFLINE:+-o} -f tests/mdb/pom.xml -Dfixture.build="$(dirname "$out")/maven" -Dfixture.out="$out" \
    compile exec:java
echo "$sum" >"$stamp"

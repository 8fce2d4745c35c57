#!/usr/bin/env bash
# The store and generator suites under the thread sanitizer, built in build-tsan/.
# Not part of ./test: run it after changing how threads share data.
set -euo pipefail
cd "$(dirname "$0")/.."
sanitize="-fsanitize=thread"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$sanitize" \
    -DCMAKE_EXE_LINKER_FLAGS="$sanitize" >/dev/null
cmake --build build-tsan -j2 --target store_tests generator_tests
cd build-tsan
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
ctest --output-on-failure -j2 -R '^(store|generator)_tests$'

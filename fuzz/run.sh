#!/bin/sh
# Runs the address-book fuzz target for a bounded time.
#   fuzz/run.sh FUZZER SECONDS WORKDIR
# New inputs go to WORKDIR/corpus (the seeds in fuzz/corpus stay as committed); a failing
# input is left in WORKDIR as crash-*, leak-* or timeout-*. A finding exits with 1, not
# libFuzzer's 77, which CTest would take for "skipped".
fuzzer=$1 seconds=${2:-60} work=${3:-fuzz-work}
here=$(cd "$(dirname "$0")" && pwd)
[ -n "$fuzzer" ] && [ -x "$fuzzer" ] ||
    { echo "FAILED: the fuzz target was not built; it needs clang++ and libclang-rt-14-dev (make deps)."; exit 1; }
mkdir -p "$work/corpus" && cd "$work" || exit 1
exec "$fuzzer" -max_total_time="$seconds" -timeout=5 -max_len=65536 -print_final_stats=1 -error_exitcode=1 \
    corpus "$here/corpus"

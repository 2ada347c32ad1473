#!/usr/bin/env bash
# Differential fuzzing of the JSON field scanners against the literal regular
# expressions, with libFuzzer (clang) and AddressSanitizer.
#   scripts/fuzz.sh [SECONDS]     default 60
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=build/fuzz
mkdir -p "$out/corpus"
clang++ -std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -I. -Itests \
  tests/fuzz/json_extract_fuzz.cpp base/json_extract.cpp -o "$out/json_extract_fuzz"
printf '{"k":"v","proxy-server":"socks5://h:1","granular-storage-reset":{"a":true}}' > "$out/corpus/seed1"
printf '{"chrome-command-line":{"--proxy-server":"x\\"}"}}' > "$out/corpus/seed2"
"$out/json_extract_fuzz" -max_total_time="$seconds" -max_len=600 "$out/corpus"

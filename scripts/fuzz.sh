#!/usr/bin/env bash
# Fuzzing with libFuzzer (clang, AddressSanitizer and UBSan): one target per
# reader of text from outside (the overlay with everything that reads it, geo
# answers, the WebGL catalogue, UTF-8/UTF-16 conversion, password hiding) and
# the differential of the JSON scanners against the literal patterns. Each
# target starts from its checked-in seeds (tests/fuzz/seeds/TARGET) and runs
# SECONDS; its corpus grows under build/fuzz/corpus, and an input that makes
# it fail is kept under build/fuzz/findings. Prints the inputs run per target
# and in all; exits non-zero on any finding.
#   scripts/fuzz.sh [SECONDS]     default 60 per target (about 15 million
#                                 inputs in all on this kind of machine)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
bash scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null
out=build/fuzz
mkdir -p "$out/findings"
total=0
status=0
for target in overlay geo_answer webgl_catalogue text_encoding passwords json_extract; do
  mkdir -p "$out/corpus/$target"
  log=$out/$target.log
  # The differential target's reference patterns recurse once per character:
  # its inputs stay short.
  max_len=$([ "$target" = json_extract ] && echo 600 || echo 8192)
  if "$out/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len="$max_len" -print_final_stats=1 \
       -artifact_prefix="$out/findings/$target-" "$out/corpus/$target" "tests/fuzz/seeds/$target" >"$log" 2>&1; then
    result=ok
  else
    result="FAILED (see $log and $out/findings)"
    status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: //p' "$log" | tail -n1)
  total=$((total + ${runs:-0}))
  printf 'fuzz %-16s %10s inputs in %s s: %s\n' "$target" "${runs:-?}" "$seconds" "$result"
done
echo "fuzz: $total inputs in all"
exit $status

#!/usr/bin/env bash
# Fuzzes tqc's front end with libFuzzer, then checks that every program the run found and tqc
# accepts compiles as C++.
#   scripts/fuzz_tqc.sh [SECONDS]      (default 600)
# The fuzzer starts from the test corpus, the examples and the demo, with the dialect's keywords
# as a dictionary. Its findings (crashes, hangs, runaway memory) land in build/tqc-fuzz/findings.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
scripts/deps.sh test
# libFuzzer comes with clang's runtime libraries.
fuzz_packages=(clang libclang-rt-14-dev)
installed=$(dpkg-query -W -f='${Status}\n' "${fuzz_packages[@]}" 2>/dev/null | grep -c 'install ok installed' || true)
if [ "$installed" -ne ${#fuzz_packages[@]} ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "These Debian packages are missing: ${fuzz_packages[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq --no-install-recommends "${fuzz_packages[@]}"
fi
jobs=$(nproc)

echo "== building the fuzz target with clang"
cmake -S . -B build/tqc-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTQC_FUZZ=ON -DLIBTQ_BENCH=OFF >/dev/null
cmake --build build/tqc-fuzz -j"$jobs" --target tqc_fuzz

work=build/tqc-fuzz/run
mkdir -p "$work/corpus" "$work/seeds" build/tqc-fuzz/findings
cp tests/tqc/corpus/*.bas programs/examples/*.bas programs/cube/cube.bas "$work/seeds/"
# The dictionary: every keyword and function name the lexer knows, and the operators.
{
  for word in PRINT LET DIM SHARED AS INTEGER LONG SINGLE DOUBLE STRING _INTEGER64 CONST DEFINT DEFLNG DEFSNG \
    DEFDBL DEFSTR SWAP IF THEN ELSE ELSEIF END SELECT CASE IS TO FOR NEXT STEP DO LOOP WHILE UNTIL WEND EXIT \
    GOTO GOSUB RETURN ON SUB FUNCTION CALL SYSTEM SCREEN COLOR CLS LOCATE WIDTH PALETTE PCOPY VIEW WINDOW LINE \
    PSET PRESET POINT CIRCLE _TITLE _NEWIMAGE _FREEIMAGE _DEST _SOURCE SLEEP _DELAY _LIMIT TIMER INKEY\$ \
    _KEYHIT _KEYDOWN RANDOMIZE RND READ DATA RESTORE CSRLIN POS TAB SPC MOD NOT AND OR XOR EQV IMP REM \
    ABS SGN INT FIX SQR SIN COS TAN ATN EXP LOG CINT CLNG CSNG CDBL VAL HEX\$ OCT\$ LEFT\$ MID\$ CHR\$ STR\$ LEN; do
    printf '"%s"\n' "$word"
  done
  for op in '\"' ':' '_\x0A' '\x0A' '\x0D\x0A' "'" '(' ')' ',' ';' '=' '<>' '<=' '>=' '^' '\x5C' '%' '&' '!' '#' '$' '&&' '&H' '&O'; do
    printf '"%s"\n' "$op"
  done
} > "$work/tqc.dict"

echo "== fuzzing for $seconds s"
status=0
build/tqc-fuzz/tests/tqc/fuzz/tqc_fuzz "$work/corpus" "$work/seeds" -dict="$work/tqc.dict" \
  -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -max_len=4096 \
  -artifact_prefix=build/tqc-fuzz/findings/ -print_final_stats=1 >build/tqc-fuzz/fuzz.log 2>&1 || status=$?
tail -25 build/tqc-fuzz/fuzz.log
if [ $status -ne 0 ] || [ -n "$(ls build/tqc-fuzz/findings)" ]; then
  echo "== the fuzzer found a fault: see build/tqc-fuzz/findings"
  exit 1
fi

echo "== every accepted program of the run's corpus compiles as C++"
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j"$jobs" --target tqc >/dev/null
modules="$work/modules"
rm -rf "$modules" && mkdir -p "$modules"
accepted=0 refused=0 n=0
for input in "$work/corpus"/*; do
  n=$((n + 1))
  if build/release/tqc/tqc --emit-cpp --namespace fuzz_$n "$input" -o "$modules/m$n.cpp" 2>/dev/null; then
    accepted=$((accepted + 1))
  else
    refused=$((refused + 1))
  fi
done
echo "$accepted accepted, $refused refused"
# A few hundred modules to a translation unit, checked in parallel.
ls "$modules"/*.cpp 2>/dev/null | split -l 200 - "$modules/bundle_"
failed=0
for list in "$modules"/bundle_*; do
  sed 's/.*/#include "&"/' "$list" > "$list.cpp"
done
ls "$modules"/bundle_*.cpp | xargs -P"$jobs" -I{} sh -c \
  "g++ -std=c++20 -fsyntax-only -Wall -Wextra -Werror -I include -I. {} || { echo 'does not compile: {}'; exit 1; }" || failed=1
[ $failed -eq 0 ] || exit 1
echo "== done: no fault found"

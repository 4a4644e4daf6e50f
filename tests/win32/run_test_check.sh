#!/bin/bash
# Checks scripts/run-test, the judge of every Win32-tier test, over fake
# programs: what each prints and how it exits, and whether the judge must
# accept it. No Wine needed.
#   run_test_check.sh path/to/run-test
set -u
judge=$1
errors=0

# judged accept|reject NAME JUDGE_ARGUMENT...
judged() {
    local want=$1 name=$2 got=reject
    shift 2
    "$judge" "$@" >/dev/null 2>&1 && got=accept
    if [ "$got" = "$want" ]; then
        echo "ok   $want: $name"
    else
        echo "FAIL $name: wanted $want, got $got"
        errors=$((errors + 1))
    fi
}

# expect accept|reject NAME EXIT_STATUS OUTPUT [JUDGE_OPTION...]: a fake
# program that prints OUTPUT (printf %b escapes) and exits with EXIT_STATUS.
expect() {
    local want=$1 name=$2 status=$3 output=$4
    shift 4
    judged "$want" "$name" "$@" -- bash -c 'printf "%b" "$1"; exit "$2"' fake "$output" "$status"
}

good='[==========] 3 tests from 1 test suite ran. (10 ms total)\n[  PASSED  ] 3 tests.\n'
expect accept "GoogleTest summary, exit 0" 0 "$good"
expect accept "one test" 0 '[==========] 1 test from 1 test suite ran.\n[  PASSED  ] 1 test.\n'
expect accept "Windows line ends" 0 '[  PASSED  ] 12 tests.\r\n'
expect reject "exit 0 with no summary (killed from outside)" 0 '[ RUN      ] Suite.Test\n'
expect reject "no output at all" 0 ''
expect reject "no test ran" 0 '[==========] 0 tests from 0 test suites ran.\n[  PASSED  ] 0 tests.\n'
expect reject "every test skipped" 0 '[  PASSED  ] 0 tests.\n[  SKIPPED ] 2 tests, listed below:\n'
expect reject "a FAILED line, exit 0" 0 \
    '[  PASSED  ] 2 tests.\n[  FAILED  ] 1 test, listed below:\n[  FAILED  ] Suite.Test\n'
expect reject "a FAILED line with Windows line ends" 0 '[  PASSED  ] 2 tests.\r\n[  FAILED  ] Suite.Test\r\n'
expect reject "good summary, exit 1" 1 "$good"
expect reject "good summary, exit 44 (300 under Wine)" 44 "$good"
expect reject "summary text inside another line" 0 'note: [  PASSED  ] 3 tests.\n'
judged reject "program not found" /nonexistent/program

# An explicit success line in place of GoogleTest's (simcard_probe).
probe=(--pass '^[1-9][0-9]* passed, 0 failed$' --fail '^FAIL')
expect accept "probe: all checks passed" 0 'ok  : one\n12 passed, 0 failed\r\n' "${probe[@]}"
expect reject "probe: a check failed" 1 'FAIL: one\n11 passed, 1 failed\n' "${probe[@]}"
expect reject "probe: a FAIL line, exit 0" 0 'FAIL: one\n12 passed, 0 failed\n' "${probe[@]}"
expect reject "probe: no check ran" 0 '0 passed, 0 failed\n' "${probe[@]}"
expect reject "probe: died before its count" 0 'ok  : one\n' "${probe[@]}"

# Usage errors are rejections too, never a pass.
judged reject "no arguments"
judged reject "an option and no program" --pass x
judged reject "an unknown option" --passed x -- true

[ "$errors" -eq 0 ] && echo "run-test judged every case as it should" || echo "$errors case(s) misjudged"
[ "$errors" -eq 0 ]

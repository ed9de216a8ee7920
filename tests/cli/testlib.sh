# Shared by the command-line tests: a scratch folder, the host run under Wine against a
# handset in it, and checks that count and name their failures.
exe=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0

# run HANDSET ARGS...: stdout in $out, stderr in $err, exit code in $code.
run() {
    local handset=$1
    shift
    out=$(wine "$exe" --handset "Z:$work/$handset" "$@" 2>"$work/stderr")
    code=$?
    out=$(tr -d '\r' <<<"$out")
    err=$(tr -d '\r' <"$work/stderr")
}
check() {  # check NAME CONDITION...
    local name=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}
contains() { grep -qF -- "$2" <<<"$1"; }
lacks() { ! grep -qF -- "$2" <<<"$1"; }
exits() { [ "$code" -eq "$1" ]; }
# put_record HANDSET STORE INDEX HEX: a record as the handset keeps it, written into the
# handset's state file between sessions (its last line counts the lines before it).
put_record() {
    local state=$work/$1/handset.txt
    grep -v -e "^record $2 $3 " -e '^end ' "$state" >"$state.new"
    echo "record $2 $3 $4" >>"$state.new"
    echo "end $(($(wc -l <"$state.new") - 1))" >>"$state.new"
    mv "$state.new" "$state"
}
finish() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}

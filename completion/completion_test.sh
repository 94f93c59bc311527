#!/usr/bin/env bash
# Sources the completions of tarvix and its companions the way
# bash-completion loads them and checks what a few command lines complete to.
# Exit 77 (skipped) when bash-completion is not installed.
#   completion_test.sh COMPLETION-FOLDER
folder=$1
loader=
for candidate in /usr/share/bash-completion/bash_completion /etc/bash_completion; do
    [ -r "$candidate" ] && loader=$candidate && break
done
[ -n "$loader" ] || { echo "bash-completion is not installed"; exit 77; }
# shellcheck disable=SC1090
source "$loader" || exit 1
for program in tarvix tarvix-plot tarvix-matrix tarvix-compare; do
    # shellcheck disable=SC1090
    source "$folder/$program" || exit 1
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
touch ani.tsv ani.dst ref.txt

failed=0
passed=0
# expect 'WORDS OF THE LINE' 'EXPECTED COMPLETIONS': the last word is the one
# being completed (empty when the line ends with a blank).
expect() {
    local line=$1 want=$2
    read -r -a COMP_WORDS <<<"$line"
    [[ $line == *' ' ]] && COMP_WORDS+=('')
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    local function
    function=$(complete -p "${COMP_WORDS[0]}" | sed -E 's/.*-F ([^ ]+) .*/\1/')
    "$function" "${COMP_WORDS[0]}" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd ' ')
    if [ "$got" = "$want" ]; then
        passed=$((passed + 1))
    else
        echo "FAIL: '$line' completes to '$got', expected '$want'"
        failed=$((failed + 1))
    fi
}

expect 'tarvix -b ' '0 1 2 3 4 5 6'
expect 'tarvix -z ' '0 1'
expect 'tarvix -u 1 -m ' '0 1 2'
expect 'tarvix -a ' ''
expect 'tarvix -o r' 'ref.txt'
expect 'tarvix --v' '--version'
expect 'tarvix -o ref.txt ani.d' 'ani.dst'
expect 'tarvix-plot -' '--ani --groups --help --log-x --mark --version --xmax -o -t'
expect 'tarvix-plot --groups r' 'ref.txt'
expect 'tarvix-compare --r' '--reference-column'
expect 'tarvix-compare -r ' ''
expect 'tarvix-compare - r' 'ref.txt'
expect 'tarvix-plot -t ' ''
expect 'tarvix-matrix -i fast' 'fastani fastani-matrix'
expect 'tarvix-matrix --convert ' 'fraction none percent'
expect 'tarvix-matrix -a m' 'max mean min'
expect 'tarvix-matrix --keep' '--keep-paths'
expect 'tarvix-matrix -k ani.t' 'ani.tsv'
# tarvix offers all 27 options and the two long ones.
COMP_WORDS=(tarvix -) COMP_CWORD=1 COMP_LINE='tarvix -' COMP_POINT=8
_tarvix tarvix - tarvix
if [ "${#COMPREPLY[@]}" -eq 29 ]; then passed=$((passed + 1)); else
    echo "FAIL: tarvix offers ${#COMPREPLY[@]} options, expected 29"
    failed=$((failed + 1))
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# --help of every built program is exactly the catalogue's text (so the manual pages, written
# from the same catalogue, say what the program accepts: an option the parser has and the
# catalogue lacks, or the other way round, shows here); --version is the build's version; the
# bash completion of interlocks-check completes its options, files after file options and
# configurations or folders for its arguments.
#   help_test.sh BIN_DIR VERSION_FILE COMPLETION_FILE
set -euo pipefail
bin=$1
version=$(cat "$2")
completion=$(realpath "$3")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
fail() {
  echo "help_test: $*" >&2
  failed=1
}

for program in interlocks interlocks-check interlocks-report rtu-sim; do
  [ -x "$bin/$program" ] || continue
  for language in ru en; do
    locale=$([ $language = ru ] && echo ru_RU.UTF-8 || echo en_GB.UTF-8)
    "$bin/help-pages" --help-text "$program" $language >"$scratch/expected"
    env -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG=$locale QT_QPA_PLATFORM=offscreen "$bin/$program" --help \
      >"$scratch/actual" 2>&1 || fail "$program --help exited with $?"
    diff -u --label catalogue --label "$program --help" "$scratch/expected" "$scratch/actual" >&2 ||
      fail "$program --help ($language) differs from the help catalogue"
  done
  got=$(QT_QPA_PLATFORM=offscreen "$bin/$program" --version) || fail "$program --version exited with $?"
  [ "$got" = "$program (interlocks) $version" ] || fail "$program --version: '$got', build version $version"
done

# complete WORDS...: what the completion offers for the last word.
complete_words() {
  # compopt works only under a real completion: outside one it only complains.
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _interlocks_check 2>/dev/null
           [ ${#COMPREPLY[@]} -eq 0 ] || printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "' _ "$completion" "$@"
}
cd "$scratch"
mkdir units
touch plant.blk old.tmp notes.txt
check() {  # check EXPECTED WORDS...
  local expected=$1
  shift
  local got
  got=$(complete_words "$@")
  [ "$got" = "$expected" ] || fail "completing '$*': '$got', expected '$expected'"
}
check "--requirements " interlocks-check --req
check "--sarif --set --strict " interlocks-check --s
check "notes.txt " interlocks-check --diff no
check "" interlocks-check --block ""
check "old.tmp plant.blk units " interlocks-check ""
check "plant.blk " interlocks-check --json p

[ $failed -eq 0 ] && echo "help_test: passed"
exit $failed

#!/usr/bin/env bash
# The Debian package as a user gets it: lintian finds no error in it; installed into a scratch
# root (dpkg --root as root, else the package's files unpacked there) interlocks-check checks
# the example; the program starts on a read-only installation, loads the example given on its
# command line and, once told to end, has written its settings and autosave into the user's
# folders and nothing into the installation; removing the package leaves nothing behind.
#   tests/package/install_test.sh PACKAGE.deb
set -euo pipefail
deb=$(realpath "$1")
scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch" 2>/dev/null; rm -rf "$scratch"' EXIT
fail() {
  echo "install_test: $*" >&2
  exit 1
}

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "$deb" 2>&1 | grep -v 'running with root privileges' || true
lintian --fail-on error "$deb" >/dev/null 2>&1 || fail "lintian reports errors"

root=$scratch/root
mkdir -p "$root"
with_dpkg=0
if [ "$(id -u)" -eq 0 ]; then
  with_dpkg=1
  mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
  touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
  # The scratch root holds no other package: the dependencies are the host's.
  dpkg --root="$root" --log=/dev/null --force-depends --force-script-chrootless -i "$deb" \
    >"$scratch/dpkg.log" 2>&1 || { cat "$scratch/dpkg.log" >&2; fail "dpkg could not install the package"; }
else
  dpkg-deb -x "$deb" "$root"
fi
echo "== installed into $root ($([ $with_dpkg -eq 1 ] && echo dpkg --root || echo dpkg-deb -x))"

# The checker on PATH checks the example (status 1: it has an erroneous block on purpose).
status=0
out=$("$root/usr/bin/interlocks-check" "$root/usr/share/doc/interlocks/examples/substation.blk") || status=$?
[ "$status" -le 1 ] || fail "interlocks-check exited with $status"
grep -q '^Блоков: ' <<<"$out" || fail "interlocks-check printed no summary: $out"
"$root/usr/bin/interlocks-check" --version | grep -q '^interlocks-check (interlocks) ' || fail "no --version"
for page in interlocks interlocks-check interlocks-report rtu-sim; do
  for dir in man1 ru/man1; do
    [ -s "$root/usr/share/man/$dir/$page.1.gz" ] || fail "no manual page $dir/$page"
  done
done

# The program on a read-only installation, run by a user who cannot write there.
home=$scratch/home
mkdir -p "$home"
chmod -R a-w "$root/usr"
run_as=()
if [ "$(id -u)" -eq 0 ]; then
  chmod 0777 "$home" "$scratch"
  run_as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
cp "$root/usr/share/doc/interlocks/examples/substation.blk" "$home/plant.blk"
chmod a+r "$home/plant.blk"
touch "$scratch/before"
env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_STATE_HOME="$home/.local/state" \
  QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 "${run_as[@]}" "$root/usr/bin/interlocks" "$home/plant.blk" \
  >"$scratch/program.log" 2>&1 &
pid=$!
config=$home/.config/interlocks
for _ in $(seq 1 100); do
  [ -f "$config/templates.txt" ] && break
  sleep 0.1
done
sleep 2
kill -0 "$pid" 2>/dev/null || { cat "$scratch/program.log" >&2; fail "the program did not start"; }
kill -TERM "$pid"
wait "$pid" || { cat "$scratch/program.log" >&2; fail "the program did not end cleanly on SIGTERM"; }

cmp -s "$config/templates.txt" "$root/usr/share/interlocks/templates.txt" || fail "templates.txt not seeded"
grep -q "^file=$home/plant.blk" "$config/settings.ini" || fail "settings.ini not written by the program: $(cat "$config/settings.ini")"
grep -q '^temp_last=1' "$config/settings.ini" || fail "no autosave counted in settings.ini"
[ -f "$home/.local/state/interlocks/Temp/1.tmp" ] || fail "no autosave in the state folder"
written=$(find "$root" -newer "$scratch/before" -not -type d)
[ -z "$written" ] || fail "the program wrote into the installation: $written"
echo "== the program kept its files in $home: $(cd "$home" && find .config .local -type f | sort | tr '\n' ' ')"

chmod -R u+w "$root/usr"
if [ $with_dpkg -eq 1 ]; then
  dpkg --root="$root" --log=/dev/null --force-depends --force-script-chrootless --purge interlocks \
    >"$scratch/dpkg.log" 2>&1 || { cat "$scratch/dpkg.log" >&2; fail "dpkg could not remove the package"; }
  left=$(cd "$root" && find . -mindepth 1 -not -path './var' -not -path './var/lib' -not -path './var/lib/dpkg*')
  [ -z "$left" ] || fail "removing the package left: $left"
  echo "== removed: nothing left outside the user's folders"
fi
echo "install_test: passed"

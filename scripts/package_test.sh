#!/usr/bin/env bash
# Makes the .deb and the .tar.gz of a build with CPack and checks both: the
# package's dependencies and contents, the unpacked .tar.gz runs where it is
# unpacked, and the .deb installs with dpkg -i, its Carrack audits the
# installed sample, a reinstall keeps a changed updata.ini, and a purge
# removes it again. Needs root (or sudo) for dpkg.
#
# Usage: scripts/package_test.sh [BUILD_DIR]   (default build/)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

work=$(mktemp -d)
deb_installed=0
cleanup() {
  if [ "$deb_installed" = 1 ]; then
    "${sudo_cmd[@]}" dpkg --purge gkbrisel >/dev/null || true
    "${sudo_cmd[@]}" rm -rf /opt/gkbrisel
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "package test: $*" >&2; exit 1; }

# $1 Carrack, $2 sample, $3 tag: the audit finds violations (exit code 1)
# and appends "tag,start,end" to the day's log beside the program.
audit_logs() {
  local code=0
  "$1" "$2" "$3" >"$work/findings.csv" 2>"$work/summary.txt" || code=$?
  [ "$code" = 1 ] || fail "$1 exited with $code, expected 1: $(cat "$work/summary.txt")"
  grep -q clearance "$work/findings.csv" || fail "$1 printed no findings"
  local log
  log="$(dirname "$1")/AuditLog/$(date +%Y-%m-%d)/all.csv"
  grep -Eq "^$3,-?[0-9]+,-?[0-9]+\$" "$log" || fail "no record for $3 in $log"
}

# $1 ELF file: no RPATH or RUNPATH but $ORIGIN, no path into the build tree.
relative_run_paths() {
  local paths
  paths=$(readelf -d -W "$1" | sed -n 's/.*Library r\(un\)\{0,1\}path: \[\(.*\)\]/\2/p')
  for p in ${paths//:/ }; do
    [ "$p" = '$ORIGIN' ] || fail "$1 has the run path $p"
  done
  if ldd "$1" | grep -Fq -e "$build" -e "not found"; then fail "$1: $(ldd "$1")"; fi
}

echo "== packages: cpack"
(cd "$build" && cpack -G "DEB;TGZ" -B "$work/out" >"$work/cpack.log") || { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/out/gkbrisel_*.deb)
tgz=$(ls "$work"/out/gkbrisel-*.tar.gz)
echo "made $(basename "$deb") and $(basename "$tgz")"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for dep in libqt5widgets5 libqt5network5 libqt5xml5 libsodium23 libminizip1 libc6 libstdc++6; do
  [[ "$depends" == *"$dep"* ]] || fail "the .deb does not depend on $dep"
done
dpkg-deb -e "$deb" "$work/control"
grep -qx /opt/gkbrisel/bin/updata.ini "$work/control/conffiles" || fail "updata.ini is not a conffile"

echo "== packages: the .tar.gz unpacked and run in place"
mkdir "$work/tgz"
tar -xzf "$tgz" -C "$work/tgz"
appdir=$(dirname "$(find "$work/tgz" -path '*/bin/Carrack')")
for f in Carrack GKBriselUpdate libGkMainWidget.so libEngine.so.1; do relative_run_paths "$appdir/$f"; done
grep -q '^Application=Carrack$' "$appdir/updata.ini" || fail "updata.ini in the .tar.gz"
audit_logs "$appdir/Carrack" "$appdir/samples/violations.json" tgz-check

echo "== packages: dpkg -i of the .deb"
if dpkg-query -W -f='${Status}' gkbrisel 2>/dev/null | grep -q "install ok installed"; then
  fail "gkbrisel is already installed on this machine; remove it first (dpkg --purge gkbrisel)"
fi
deb_installed=1
"${sudo_cmd[@]}" dpkg -i "$deb" >/dev/null
for f in Carrack GKBriselUpdate libGkMainWidget.so libEngine.so.1; do relative_run_paths "/opt/gkbrisel/bin/$f"; done
audit_logs /opt/gkbrisel/bin/Carrack /opt/gkbrisel/bin/samples/violations.json deb-check

echo "== packages: a reinstall keeps changed settings, a purge removes them"
echo "; changed by the user" | "${sudo_cmd[@]}" tee -a /opt/gkbrisel/bin/updata.ini >/dev/null
"${sudo_cmd[@]}" dpkg -i "$deb" >/dev/null
grep -q '^; changed by the user$' /opt/gkbrisel/bin/updata.ini || fail "the reinstall replaced updata.ini"
[ -x /opt/gkbrisel/bin/Carrack ] || fail "reinstall"
"${sudo_cmd[@]}" dpkg --purge gkbrisel >/dev/null 2>&1
deb_installed=0
[ ! -e /opt/gkbrisel/bin/Carrack ] && [ ! -e /opt/gkbrisel/bin/updata.ini ] || fail "the purge left files behind"
"${sudo_cmd[@]}" rm -rf /opt/gkbrisel  # the audit log the check wrote
echo "== packages: ok"

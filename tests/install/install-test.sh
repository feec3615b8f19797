#!/usr/bin/env bash
# install-test.sh BUILD_DIR CMAKE APP_ID
# Installs the build with prefix /usr into a temporary DESTDIR and runs the installed zylctl
# against the installed zyl200-sim as a user with an empty home and no ZYL_HOME: the per-user
# program folder must be made and seeded from <prefix>/share/setupzyl, a page the user changed
# must stay, and nothing may be written under the installation.
set -euo pipefail
build="$1" cmake="$2" app_id="$3"

work="$(mktemp -d)"
sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

root="$work/root"
prefix="$root/usr"
DESTDIR="$root" "$cmake" --install "$build" --prefix /usr > "$work/install.log" 2>&1 ||
    { cat "$work/install.log"; fail "cmake --install"; }
data="$prefix/share/setupzyl"
for f in bin/SetupZYL bin/zylctl bin/zyl200-sim share/setupzyl/default.zy2 \
         share/setupzyl/HELP/1.rtf share/applications/"$app_id".desktop \
         share/metainfo/"$app_id".metainfo.xml share/icons/hicolor/scalable/apps/"$app_id".svg \
         share/icons/hicolor/48x48/apps/"$app_id".png share/man/man1/zylctl.1.gz \
         share/man/man1/zyl200-sim.1.gz; do
    [ -e "$prefix/$f" ] || fail "the installation has no $f"
done

# Every file and folder of the installation with its size, time and mode.
snapshot() { (cd "$root" && find . -printf '%p %s %T@ %m\n' | sort); }
snapshot > "$work/before"

"$prefix/bin/zyl200-sim" --baud 19200 --no-pacing --quiet --link "$work/port" \
    > "$work/sim.out" 2> "$work/sim.err" < /dev/null &
sim_pid=$!
for _ in $(seq 100); do
    [ -s "$work/sim.out" ] && [ -L "$work/port" ] && break
    sleep 0.05
done
[ -L "$work/port" ] || { cat "$work/sim.err" >&2; fail "the installed simulator did not start"; }

home="$work/home"
user="$home/.local/share/SetupZYL"
mkdir -p "$home" "$work/cwd"
cd "$work/cwd"
zylctl() {
    env -u ZYL_HOME -u XDG_DATA_HOME HOME="$home" \
        "$prefix/bin/zylctl" --port "$work/port" --baud 19200 --address 1 --timeout 500 "$@"
}

out="$(zylctl ping)" || fail "zylctl ping exited $?"
[ "$out" = OK ] || fail "zylctl ping printed '$out'"
[ -d "$user" ] || fail "no per-user folder $user"
(cd "$data" && find . -type f) | while read -r f; do
    cmp -s "$data/$f" "$user/$f" || fail "the per-user folder has no copy of $f"
done

# The template the user's folder was seeded with is the one a new project starts from.
zylctl read-project plant.zy2 --blocks relays > read.out || fail "read-project exited $?"
grep -qx "Relays: OK" read.out || fail "read-project printed: $(cat read.out)"
[ -s plant.zy2 ] || fail "read-project made no plant.zy2"

# A page the user changed stays; a page the user removed comes back at the next start.
echo "plant's own page" > "$user/HELP/1.rtf"
rm "$user/HELP/2.rtf"
out="$(zylctl ping)" || fail "the second zylctl ping exited $?"
[ "$(cat "$user/HELP/1.rtf")" = "plant's own page" ] || fail "seeding replaced the user's page"
cmp -s "$data/HELP/2.rtf" "$user/HELP/2.rtf" || fail "seeding did not bring back HELP/2.rtf"

snapshot > "$work/after"
diff "$work/before" "$work/after" >&2 || fail "something was written under the installation"
echo "the installed zylctl used $user"

#!/bin/sh
# Two computers carrying one root folder through a real sync engine: two
# Syncthing instances on 127.0.0.1 share the root between two private Wine
# prefixes, each with its own X server and running memopane.exe on its own
# copy of the root (tests/sync/SyncDriver.cpp types and looks on each side).
# The engines are configured before their first start so that nothing leaves
# the machine: no global or local discovery, relays, NAT traversal, usage or
# crash reports, upgrades. Scenarios: an edit on A shows in B's open note
# within a few seconds of its file arriving; edits on both at once leave both
# texts on both sides, each shown as a note, the engine's conflict copy with
# the strip that names its note; a note made on A opens on B's page;
# quitting both loses no text and leaves no temporary file in the root.
# Every wait has a limit; prints each scenario's result and exits non-zero
# when one fails. The build folder is ./build, or $MEMOPANE_BUILD_DIR;
# MEMOPANE_SYNC_KEEP=1 keeps the work folder (roots, engine logs).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="${MEMOPANE_BUILD_DIR:-$root/build}"
[ -f "$build/CMakeCache.txt" ] || "$root/scripts/build.sh" memopane memopane_sync_driver
cmake --build "$build" -j "$(nproc)" --target memopane memopane_sync_driver >/dev/null
for tool in syncthing curl jq Xvfb; do
  command -v "$tool" >/dev/null 2>&1 || { echo "sync-test: $tool is missing: run scripts/setup.sh" >&2; exit 1; }
done
. "$root/scripts/wine-env.sh"
driver="$build/bin/memopane_sync_driver.exe"
folder=memopane-root
work=$(mktemp -d "${TMPDIR:-/tmp}/memopane-sync.XXXXXX")
started=""   # pids of the engines and X servers, ended on exit
prefixes=""  # whose wineservers are ended on exit

cleanup() {
  status=$?
  for p in $prefixes; do WINEPREFIX="$p" "$WINESERVER" -k 2>/dev/null || true; done
  for pid in $started; do kill "$pid" 2>/dev/null || true; done
  for pid in $started; do
    n=0
    while kill -0 "$pid" 2>/dev/null && [ $n -lt 50 ]; do sleep 0.1; n=$((n + 1)); done
    kill -9 "$pid" 2>/dev/null || true
  done
  if [ "${MEMOPANE_SYNC_KEEP:-0}" = 1 ]; then echo "sync-test: kept $work"; else rm -rf "$work"; fi
  exit $status
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

get() { eval "printf '%s' \"\$${1}_$2\""; }  # get NAME SIDE: the side's value
other() { if [ "$1" = a ]; then echo b; else echo a; fi; }

# wait_for SECONDS WHAT COMMAND...: polls the command until it succeeds.
wait_for() {
  limit=$1; what=$2; shift 2
  deadline=$(($(date +%s) + limit))
  until "$@"; do
    if [ "$(date +%s)" -ge "$deadline" ]; then echo "timed out after ${limit}s waiting for $what"; return 1; fi
    sleep 0.2
  done
}

# Sets port to a free TCP port of the machine, none chosen before.
chosen_ports=""
free_port() {
  tries=0
  while [ $tries -lt 200 ]; do
    tries=$((tries + 1))
    port=$(($(od -An -N2 -tu2 /dev/urandom | tr -d ' ') % 20000 + 30000))
    case " $chosen_ports " in *" $port "*) continue ;; esac
    if [ -z "$(ss -Htan "sport = :$port" 2>/dev/null)" ]; then
      chosen_ports="$chosen_ports $port"
      return 0
    fi
  done
  echo "sync-test: no free port" >&2
  return 1
}

# The driver in a side's prefix, on its display.
on() {
  s=$1; shift
  DISPLAY=$(get display "$s") WINEPREFIX=$(get prefix "$s") timeout -k 5 90 "$WINE" "$driver" "$@"
}

rest() {
  curl -fsS --max-time 5 -H "X-API-Key: $(get key "$1")" "http://127.0.0.1:$(get gui "$1")$2"
}

connected() {
  rest "$1" /rest/system/connections | jq -e --arg id "$(get id "$(other "$1")")" \
    '.connections[$id].connected == true' >/dev/null 2>&1
}

# Both engines idle, nothing needed, each sure the other has everything.
in_sync() {
  for s in a b; do
    rest "$s" "/rest/db/status?folder=$folder" |
      jq -e '.state == "idle" and .needTotalItems == 0' >/dev/null 2>&1 || return 1
    rest "$s" "/rest/db/completion?folder=$folder&device=$(get id "$(other "$s")")" |
      jq -e '.completion == 100' >/dev/null 2>&1 || return 1
  done
}

# file_is PATH TEXT: the file holds exactly the text.
file_is() { [ -f "$1" ] && [ "$(cat "$1")" = "$2" ]; }

# page_holds ROOT TEXT: some note file of the page holds exactly the text.
page_holds() {
  for f in "$1"/page/*.txt; do
    file_is "$f" "$2" && return 0
  done
  return 1
}

# --- Two X servers: a window of one computer never activates the other's.
for s in a b; do
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display-$s" >"$work/xvfb-$s.log" 2>&1 &
  started="$started $!"
done
has_display() { [ -s "$work/display-$1" ]; }
for s in a b; do
  wait_for 20 "the X server of $s" has_display "$s" >&2 || exit 1
  eval "display_$s=:$(head -n1 "$work/display-$s")"
done

# --- Two Wine prefixes, made once and kept in the build folder.
prefix_a="$build/wineprefix-sync-a" prefix_b="$build/wineprefix-sync-b"
prefixes="$prefix_a $prefix_b"
root_a="$work/root-a" root_b="$work/root-b"
mkdir -p "$root_a/.stfolder" "$root_b/.stfolder"
for s in a b; do
  (
    export DISPLAY
    DISPLAY=$(get display "$s")
    wine_prepare "$(get prefix "$s")"
    "$WINESERVER" -p 2>/dev/null || true
    wine_warm_up
  ) &
  eval "prepare_$s=\$!"
done
prepared=0
for s in a b; do wait "$(get prepare "$s")" || prepared=1; done
[ $prepared = 0 ] || { echo "sync-test: the Wine prefixes did not start" >&2; exit 1; }

# --- Two engines on loopback, each knowing the other by its address.
for s in a b; do
  home="$work/st-$s"
  syncthing generate --home="$home" --no-default-folder --skip-port-probing >/dev/null 2>&1
  eval "id_$s=\$(syncthing serve --home=\"\$home\" --device-id)"
  eval "key_$s=\$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')"
  free_port && eval "gui_$s=\$port"
  free_port && eval "listen_$s=\$port"
done
for s in a b; do
  cat >"$work/st-$s/config.xml" <<EOF
<configuration version="36">
    <folder id="$folder" label="Memopane" path="$(get root "$s")" type="sendreceive" rescanIntervalS="10" fsWatcherEnabled="true" fsWatcherDelayS="1" ignorePerms="false" autoNormalize="true">
        <filesystemType>basic</filesystemType>
        <device id="$id_a" introducedBy=""></device>
        <device id="$id_b" introducedBy=""></device>
        <markerName>.stfolder</markerName>
        <maxConflicts>10</maxConflicts>
    </folder>
    <device id="$id_a" name="a" compression="metadata" introducer="false" skipIntroductionRemovals="false" introducedBy="">
        <address>tcp://127.0.0.1:$listen_a</address>
        <autoAcceptFolders>false</autoAcceptFolders>
    </device>
    <device id="$id_b" name="b" compression="metadata" introducer="false" skipIntroductionRemovals="false" introducedBy="">
        <address>tcp://127.0.0.1:$listen_b</address>
        <autoAcceptFolders>false</autoAcceptFolders>
    </device>
    <gui enabled="true" tls="false" debugging="false">
        <address>127.0.0.1:$(get gui "$s")</address>
        <apikey>$(get key "$s")</apikey>
    </gui>
    <options>
        <listenAddress>tcp://127.0.0.1:$(get listen "$s")</listenAddress>
        <globalAnnounceEnabled>false</globalAnnounceEnabled>
        <localAnnounceEnabled>false</localAnnounceEnabled>
        <relaysEnabled>false</relaysEnabled>
        <natEnabled>false</natEnabled>
        <urAccepted>-1</urAccepted>
        <crashReportingEnabled>false</crashReportingEnabled>
        <autoUpgradeIntervalH>0</autoUpgradeIntervalH>
        <startBrowser>false</startBrowser>
        <announceLANAddresses>false</announceLANAddresses>
        <stunKeepaliveStartS>0</stunKeepaliveStartS>
        <reconnectionIntervalS>1</reconnectionIntervalS>
    </options>
</configuration>
EOF
done
for s in a b; do
  STNORESTART=1 STNOUPGRADE=1 syncthing serve --home="$work/st-$s" --no-browser --no-restart --no-upgrade \
    >"$work/st-$s.log" 2>&1 &
  started="$started $!"
done
answers() { rest "$1" /rest/system/ping >/dev/null 2>&1; }
# What the engines run with, as they read it: nothing may reach outside.
private() {
  rest "$1" /rest/config/options | jq -e '.globalAnnounceEnabled == false and .localAnnounceEnabled == false
    and .relaysEnabled == false and .natEnabled == false and .urAccepted == -1
    and .crashReportingEnabled == false and .autoUpgradeIntervalH == 0
    and (.listenAddresses | all(startswith("tcp://127.0.0.1:")))' >/dev/null
}
for s in a b; do
  wait_for 30 "engine $s to answer" answers "$s" >&2 || exit 1
  private "$s" || { echo "sync-test: engine $s would reach outside the machine" >&2; exit 1; }
done
wait_for 30 "the engines to connect" connected a >&2 || exit 1

# --- The root on A, carried to B before either program starts.
printf '[Info]\r\nCurrentPage=page\r\nSplash=0\r\nAutoRun=0\r\n' >"$root_a/root.ini"
mkdir -p "$root_a/common" "$root_a/page"
printf 'base' >"$root_a/page/memo.txt"
printf 'both' >"$root_a/page/both.txt"
carried() { file_is "$root_b/page/memo.txt" base && file_is "$root_b/page/both.txt" both && [ -d "$root_b/common" ]; }
wait_for 60 "the root to reach B" carried >&2 || exit 1
wait_for 30 "the engines to be in sync" in_sync >&2 || exit 1
for s in a b; do
  on "$s" start "$(get root "$s")" >"$work/start-$s.log" 2>&1 || {
    echo "sync-test: memopane did not start on $s" >&2
    cat "$work/start-$s.log" >&2
    exit 1
  }
  on "$s" expect-text memo.txt base 10000 || exit 1
done

# --- The scenarios. Each prints its failure's cause; the next one goes on.
passed=0
failed=0
scenario() {
  title=$1; shift
  begin=$(date +%s)
  if "$@" >"$work/scenario.log" 2>&1; then
    passed=$((passed + 1))
    echo "sync-test: PASS $title ($(($(date +%s) - begin)) s)"
  else
    failed=$((failed + 1))
    echo "sync-test: FAIL $title ($(($(date +%s) - begin)) s)"
    sed 's/^/    /' "$work/scenario.log"
  fi
}

edit_reaches_open_note() {
  on a type memo.txt " edited on A" && on a save page memo.txt || return 1
  wait_for 30 "the edit to reach B's file" file_is "$root_b/page/memo.txt" "base edited on A" || return 1
  on b expect-text memo.txt "base edited on A" 3000
}

edits_at_once_keep_both() {
  # Typed on both before either saves, then saved together: whichever file
  # the engine carries first, each side has an edit of its own.
  on a type both.txt " A" && on b type both.txt " B" || return 1
  on a save page both.txt >"$work/save-a.log" 2>&1 &
  saving_a=$!
  on b save page both.txt >"$work/save-b.log" 2>&1 &
  saving_b=$!
  ok=0
  wait "$saving_a" || { ok=1; cat "$work/save-a.log"; }
  wait "$saving_b" || { ok=1; cat "$work/save-b.log"; }
  [ $ok = 0 ] || return 1
  for s in a b; do
    for text in "both A" "both B"; do
      wait_for 30 "\"$text\" in a note file of $s" page_holds "$(get root "$s")" "$text" || return 1
    done
  done
  for s in a b; do
    for text in "both A" "both B"; do
      on "$s" expect-shown "$text" 3000 || { echo "  (on $s)"; ok=1; }
    done
    # The engine's copy says whose copy it is, as the program's own do.
    for copy in "$(get root "$s")"/page/both.sync-conflict-*.txt; do
      [ -f "$copy" ] || continue
      on "$s" expect-notice "$(basename "$copy")" "「both.txt」" 3000 || { echo "  (on $s)"; ok=1; }
    done
  done
  [ $ok = 0 ]
}

new_note_opens_on_b() {
  name=$(on a new-note) || { echo "$name"; return 1; }
  on a type "$name" "made on A" && on a save page "$name" || return 1
  wait_for 30 "$name to reach B" file_is "$root_b/page/$name" "made on A" || return 1
  on b expect-note "$name" 3000 || return 1
  on b expect-text "$name" "made on A" 3000
}

quitting_loses_nothing() {
  on a quit 20000 || return 1
  on b quit 20000 || return 1
  # The engines see the last writes within their watcher's delay.
  sleep 3
  wait_for 60 "the engines to be in sync" in_sync || return 1
  ok=0
  for s in a b; do
    for text in "base edited on A" "both A" "both B" "made on A"; do
      page_holds "$(get root "$s")" "$text" || { echo "no note file of $s holds \"$text\""; ok=1; }
    done
    left=$(find "$(get root "$s")" -name '.~m*.tmp')
    [ -z "$left" ] || { echo "temporary files left on $s: $left"; ok=1; }
  done
  [ $ok = 0 ]
}

scenario "an edit on A shows in B's open note" edit_reaches_open_note
scenario "edits on both at once leave both texts on both sides, each shown as a note" edits_at_once_keep_both
scenario "a note made on A opens on B's page" new_note_opens_on_b
scenario "quitting both loses nothing and leaves no temporary file" quitting_loses_nothing

if [ $failed -eq 0 ]; then
  echo "sync-test: all $passed scenarios passed"
else
  echo "sync-test: $failed of $((passed + failed)) scenarios failed"
  exit 1
fi

#!/usr/bin/env bash
# An operator's day by keyboard alone, on a real X server with a window
# manager: taxhost is driven key by key with xdotool, each step waiting for
# the window or the log line it needs, and the database is checked after each
# step that writes.
#
#   keyboard_session.sh TAXHOST
#
# Needs Xvfb, openbox, xdotool and sqlite3. Ends itself within two minutes.
set -euo pipefail

# The whole session, whatever hangs: timeout stops it with TERM, which the
# trap below turns into a failure that still cleans up.
if [ -z "${KEYBOARD_SESSION_TIMED:-}" ]; then
  KEYBOARD_SESSION_TIMED=1 exec timeout 115 bash "$0" "$@"
fi

taxhost=$1
work=$(mktemp -d /tmp/companymgr-xsession.XXXXXX)
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'echo "keyboard session: out of time" >&2; exit 1' TERM

step=start
fail() {
  echo "keyboard session, step \"$step\": $*" >&2
  if [ -n "${DISPLAY:-}" ]; then
    echo "windows shown:" >&2
    xdotool search --onlyvisible --name . getwindowname %@ >&2 2>/dev/null || true
  fi
  for log in "$work"/*/Log/*.log; do [ -f "$log" ] && tail -n 5 "$log" >&2; done
  exit 1
}

deadline=$((SECONDS + 110))

# Polls until COMMAND succeeds; a step that waits longer than 20 seconds fails.
await() {
  local what=$1 until=$((SECONDS + 20))
  shift
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$until" ] && [ "$SECONDS" -lt "$deadline" ] || fail "no $what"
    sleep 0.05
  done
}

# xdotool's own name search misses titles outside Latin-1: they are compared here.
window_shown() {
  local id
  for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
    [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ] && return 0
  done
  return 1
}
window_gone() { ! window_shown "$1"; }
await_window() { await "window $1" window_shown "$1"; }
await_gone() { await "closing of window $1" window_gone "$1"; }

# The log file of the running folder holds LINE after the count of lines it had.
log_has() { tail -n "+$((log_mark + 1))" "$app/Log/CompanyMgr.log" | grep -qF -- "$1"; }
mark_log() { log_mark=$(wc -l <"$app/Log/CompanyMgr.log" 2>/dev/null || echo 0); }
await_log() { await "log line $1" log_has "$1"; }

sql() { sqlite3 -batch -noheader "$app/Data/main.db" "$1"; }
sql_is() { [ "$(sql "$1")" = "$2" ]; }

keys() { xdotool key --clearmodifiers "$@"; }
type_text() { xdotool type --clearmodifiers --delay 15 "$1"; }

# A display of its own, and a window manager on it.
Xvfb -displayfd 1 -screen 0 1366x768x24 -nolisten tcp >"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
await "X display" test -s "$work/display"
export DISPLAY=":$(head -n 1 "$work/display")"
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
await "window manager" xdotool get_num_desktops

# Starts taxhost on a new demo folder (with the given options) and logs in
# with Enter on the first company.
start_host() {
  app="$work/$1"
  shift
  QT_QPA_PLATFORM=offscreen "$taxhost" --make-demo "$app" --companies 5 "$@" >/dev/null
  [ -z "${prepare:-}" ] || sql "$prepare"
  log_mark=0
  env -u QT_QPA_PLATFORM "$taxhost" --app-dir "$app" >"$app.out" 2>&1 &
  host_pid=$!
  pids+=("$host_pid")
  step="log-in"
  await_window 单位选择
  keys Return
  await_gone 单位选择
  await_log "选择了单位"
}

quit_host() {
  step="exit"
  keys alt+s
  keys x
  await "exit of taxhost" sh -c "! kill -0 $host_pid"
}

# A company the demo does not have, with its check character.
new_tax_id=91110108MA01KB7X2B

start_host plain

step="the manager's add"
mark_log
keys alt+c m
await_log "模块窗口已嵌入"
keys Insert
await_window 企业新增
type_text "$new_tax_id"
keys Tab
type_text "Keyboard Trading"
keys Return
await_gone 企业新增
await_window 提示
keys Return
await_gone 提示
await "the added row" sql_is "select QYMC from XT_QYXX where QYSBH='$new_tax_id'" "Keyboard Trading"

step="Enter on a focused toolbar button, Esc back to the list"
# From the list Tab wraps to the toolbar: 查找..., then 新增.
keys Tab Tab Return
await_window 企业新增
keys Escape
await_gone 企业新增
keys Escape

step="the manager's delete"
# The list took the added row as the one the keys work on.
keys Delete
await_window 提示
# The question defaults to 否: Enter keeps the company.
keys Return
await_gone 提示
sql_is "select count(*) from XT_QYXX where QYSBH='$new_tax_id'" 1 || fail "Enter deleted"
keys Delete
await_window 提示
keys alt+y
await "the deleted row" sql_is "select count(*) from XT_QYXX where QYSBH='$new_tax_id'" 0
await_window 提示
keys Return
await_gone 提示

step="an information edit closed with Ctrl+W"
mark_log
keys alt+c i
await_log "模块窗口已嵌入"
keys End
type_text "ABC"
keys ctrl+w
# Asked, the operator cancels: he keeps his edits and stays on the page.
await_window 提示
keys Escape
await_gone 提示

step="a save with Ctrl+S"
keys ctrl+s
await_window 提示
keys Return
await_gone 提示
await "the saved edit" sql_is "select count(*) from XT_QYXX where QYMC like '%ABC'" 1
keys ctrl+w
quit_host

step="a local-tax-only page"
# Every company has a local-tax row and no state-tax row: the panel covers
# the basic fields, which take neither focus nor typing.
prepare="delete from XT_QYGSXX; insert into XT_QYDSXX(QYID, NSRSBH, GSGBZE) select QYID, 'DS', 1
  from XT_QYXX where QYID not in (select QYID from XT_QYDSXX)"
start_host localonly
prepare=
covered="select QYMC||'|'||QYDHHM||'|'||YYDZ||'|'||ZCDZ||'|'||ifnull(QYCZHM,'')||'|'||YZBM from XT_QYXX"
before=$(sql "$covered")
mark_log
keys alt+c i
await_log "模块窗口已嵌入"
# The page opens in the panel's e-mail; one Tab on, typing reaches no
# covered field either.
keys ctrl+a
type_text "kb@example.cn"
keys Tab
type_text "7"
keys ctrl+s
await_window 提示
keys Return
await_gone 提示
await "the saved e-mail" sql_is "select count(*) from XT_QYXX where EMAIL='kb@example.cn'" 1
[ "$(sql "$covered")" = "$before" ] || fail "a covered field was changed"
quit_host

step="a switch given up for a page's edits"
start_host agency --agency
target=$(sql "select QYSBH from XT_QYXX where LBDM=10 order by QYID desc" | head -n 1)
recent=$(grep "^Ids=" "$app/Config/Users/0001.ini")
mark_log
keys alt+o b
await_log "模块窗口已嵌入"
type_text "X"
keys alt+c t
await_window 单位选择
type_text "$target"
keys Return
# Asked about the officer page's edits, the operator keeps them: no switch.
await_window 提示
keys Escape
await_gone 提示
[ "$(grep "^Ids=" "$app/Config/Users/0001.ini")" = "$recent" ] || fail "a switch given up was remembered"
keys ctrl+w
await_window 提示
keys alt+n
await_gone 提示

step="a company switch on an agency folder"
keys alt+c t
await_window 单位选择
type_text "$target"
keys Return
await_gone 单位选择
target_id=$(sql "select QYID from XT_QYXX where QYSBH='$target'")
await "the switch to $target" log_has "$target"
grep -q "^Ids=$target_id" "$app/Config/Users/0001.ini" || fail "the switch was not remembered"
quit_host

echo "keyboard session passed"

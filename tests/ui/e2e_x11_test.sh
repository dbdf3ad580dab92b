#!/usr/bin/env bash
# The desktop program on a real X server: a task due now fires and its message window
# appears; a second start on the same folder hands over and exits; SIGTERM ends the program
# through the normal shutdown; a "Run Program" task's script waits for the xterm it started and
# types into it; under a window manager the frame reopens where it was left. Usage: e2e_x11_test.sh CHRONOMATE CHRONOMATE_CLI ARTIFACT_DIR
set -euo pipefail
app=$1 cli=$2 artifacts=$3
[[ -n ${DISPLAY:-} ]] || { echo "no X display"; exit 1; }
mkdir -p "$artifacts"
data=$(mktemp -d)
desk=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  # The script's xterm belongs to the finished program.
  for w in $(xdotool search --name "^CM Desk Target$" 2>/dev/null); do
    kill "$(xdotool getwindowpid "$w" 2>/dev/null)" 2>/dev/null || true
  done
  rm -rf "$data" "$desk"
}
trap cleanup EXIT

if command -v trayer >/dev/null 2>&1; then
  trayer --edge top --align right --widthtype pixel --width 120 --height 24 >/dev/null 2>&1 &
  pids+=($!)
fi

"$cli" --data-dir "$data" config set LogEvents 1 >/dev/null
"$cli" --data-dir "$data" config set UseModalMessage 1 >/dev/null
"$cli" --data-dir "$data" add "TaskType=Display Message" "Description=E2E reminder" ScheduleType=Once \
  "Date=$(date +%F)" "Time=$(date -d '-2 sec' +%H:%M:%S)" "Message=Time for the end-to-end check." >/dev/null

"$app" --data-dir "$data" &
app_pid=$!
pids+=($app_pid)

log="$data/CM97Evnt.LOG"
found=""
for _ in $(seq 1 100); do
  if grep -q "^.\{20\}Message" "$log" 2>/dev/null &&
     xdotool search --onlyvisible --name "E2E reminder|^Message$" >/dev/null 2>&1; then
    found=yes
    break
  fi
  sleep 0.2
done
sleep 0.5
import -window root "$artifacts/e2e_x11_message.png" || true
[[ -n $found ]] || { echo "the message window did not appear"; cat "$log" 2>/dev/null; exit 1; }
grep -q "^.\{20\}Started" "$log" || { echo "no Started event"; exit 1; }

# A second start hands over to the running program.
timeout 10 "$app" --data-dir "$data" || { echo "second start did not hand over"; exit 1; }
kill -0 "$app_pid"

kill -TERM "$app_pid"
wait "$app_pid" || { echo "chronomate exited with $?"; exit 1; }
grep -q "^.\{20\}Exit Chronomate" "$log" || { echo "no exit event"; cat "$log"; exit 1; }
grep -q "^\[Main\]" "$data/POSITION.INI" || { echo "placement not saved"; exit 1; }

# Scripts: the task starts an xterm, its script waits for that window and types into it.
typed="$desk/typed.txt"
"$cli" --data-dir "$desk" add "TaskType=Run Program" "Description=Type desk" \
  "Command=xterm -T \"CM Desk Target\" -e sh -c 'cat > $typed'" >/dev/null
"$cli" --data-dir "$desk" script add 1 wait "WaitForWindow=CM Desk Target" >/dev/null
"$cli" --data-dir "$desk" script add 1 "send keystrokes" "KeyStrokes=desk[ENTER]" >/dev/null
"$app" --data-dir "$desk" &
desk_pid=$!
pids+=($desk_pid)
for _ in $(seq 1 100); do
  [[ $(cat "$typed" 2>/dev/null) == desk ]] && break
  sleep 0.2
done
import -window root "$artifacts/e2e_x11_script.png" || true
kill -TERM "$desk_pid"
wait "$desk_pid" || { echo "chronomate exited with $? after the script"; exit 1; }
[[ $(cat "$typed" 2>/dev/null) == desk ]] || { echo "the script did not type: \"$(cat "$typed" 2>/dev/null)\""; exit 1; }
# Placement under a window manager: a frame that is started and closed twice must not creep
# by its decoration.
if command -v openbox >/dev/null 2>&1; then
  place=$(mktemp -d)
  openbox >/dev/null 2>&1 &
  wm_pid=$!
  pids+=($wm_pid)
  sleep 1
  main_section() { sed -n '/^\[Main\]/,/^\[/p' "$place/POSITION.INI" | grep -E '^(XPosit|YPosit)='; }
  for round in 1 2; do
    "$app" --data-dir "$place" &
    p=$!
    sleep 2
    kill -TERM "$p"
    wait "$p" || { echo "chronomate exited with $? in placement round $round"; exit 1; }
    positions[$round]=$(main_section | tr '\n' ' ')
  done
  kill "$wm_pid" 2>/dev/null || true
  wait "$wm_pid" 2>/dev/null || true
  rm -rf "$place"
  [[ ${positions[1]} == "${positions[2]}" ]] ||
    { echo "the frame moved between starts: ${positions[1]} then ${positions[2]}"; exit 1; }
fi
echo "ok"

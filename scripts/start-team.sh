#!/usr/bin/env bash
# Starts a whole team against a simulation server: the goalie, ten players and the
# coach, each once the one before has connected. Ctrl-C or SIGTERM stops them all, and
# each player says "(bye)" to the server on its way out. Each process's id and, once it
# has ended, its exit status are left in the log directory for whoever watches the team.
set -euo pipefail

usage() {
  echo "Usage: $0 [--host HOST] [--port PORT] [--team NAME] [--logdir DIR] [--workdir DIR]"
  echo "       [--binary FILE]"
  echo "  --host HOST    server host (default: localhost)"
  echo "  --port PORT    server port for players (default: 6000); the coach uses PORT + 2"
  echo "  --team NAME    team name (default: the name in Configs/Agent.conf)"
  echo "  --logdir DIR   where each process's output, id and exit status go (default: logs/"
  echo "                 in the repository)"
  echo "  --workdir DIR  where the processes run: they read DIR/Configs/ and write their log"
  echo "                 files there (default: the repository)"
  echo "  --binary FILE  the executable (default: build/tovren in the repository)"
}

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
host="localhost"
port=6000
team=""
logdir="$root/logs"
workdir="$root"
binary="$root/build/tovren"

while [[ $# -gt 0 ]]; do
  case "$1" in
    --host | --port | --team | --logdir | --workdir | --binary)
      if [[ $# -lt 2 ]]; then
        usage >&2
        exit 1
      fi
      case "$1" in
        --host) host="$2" ;;
        --port) port="$2" ;;
        --team) team="$2" ;;
        --logdir) logdir="$2" ;;
        --workdir) workdir="$2" ;;
        --binary) binary="$2" ;;
      esac
      shift 2
      ;;
    -h | --help)
      usage
      exit 0
      ;;
    *)
      usage >&2
      exit 1
      ;;
  esac
done

if ! [[ "$port" =~ ^[0-9]+$ ]]; then
  echo "start-team: the port must be a number, not \"$port\"" >&2
  exit 1
fi

if [[ ! -x "$binary" ]]; then
  echo "start-team: $binary not found; build it first (see README.md)" >&2
  exit 1
fi
# The processes run elsewhere: a relative path must not change its meaning.
binary="$(cd "$(dirname "$binary")" && pwd)/$(basename "$binary")"
if [[ ! -d "$workdir/Configs" ]]; then
  echo "start-team: $workdir/Configs not found; the processes read their settings there" >&2
  exit 1
fi

mkdir -p "$logdir"
logdir="$(cd "$logdir" && pwd)"
# The processes read ./Configs/Agent.conf and write their log files from here.
cd "$workdir"

team_options=()
if [[ -n "$team" ]]; then
  team_options=(--team "$team")
fi

pids=()
names=()

# Waits for the process with the given index unless its end is already recorded, and
# records its exit status (128 + N for a process that signal N ended) in NAME.status.
record_end() {
  local name="${names[$1]}" status=0
  [[ -e "$logdir/$name.status" ]] && return 0
  wait "${pids[$1]}" 2>/dev/null || status=$?
  echo "$status" >"$logdir/$name.status"
}

# Stops every process once with SIGTERM, waits for each, and ends with the given status.
stop_all() {
  trap '' INT TERM
  echo "start-team: stopping the team"
  for pid in "${pids[@]}"; do
    kill -TERM "$pid" 2>/dev/null || true
  done
  for i in "${!pids[@]}"; do
    record_end "$i"
  done
  exit "$1"
}
trap 'stop_all 0' INT TERM

# Each process in a session of its own, so that Ctrl-C in the terminal reaches this
# script only: a second signal during a player's shutdown could end it before "(bye)".
launch() {
  local name="$1"
  shift
  rm -f "$logdir/$name.pid" "$logdir/$name.status"
  setsid "$binary" "$@" "${team_options[@]+"${team_options[@]}"}" >"$logdir/$name.out" 2>&1 \
    </dev/null &
  pids+=($!)
  names+=("$name")
  echo "$!" >"$logdir/$name.pid"
}

# Shows the last lines of a process's output: why it ended, or where it hangs.
show_last_lines() {
  echo "start-team: the last lines of $1:" >&2
  tail -n 5 "$1" | sed 's/^/  /' >&2
}

# Waits until the output file holds a line that matches the pattern, the process's
# sign that it has connected. Fails, showing why, when the process ends first or hangs
# without that line for 15 seconds.
wait_connected() {
  local name="$1" pid="$2" output="$3" pattern="$4"
  local tries=0
  while ! grep -q "$pattern" "$output" 2>/dev/null; do
    if ! kill -0 "$pid" 2>/dev/null; then
      # The line may have come just before the end.
      if grep -q "$pattern" "$output" 2>/dev/null; then
        return 0
      fi
      echo "start-team: $name ended before it connected" >&2
      show_last_lines "$output"
      return 1
    fi
    if [[ $tries -ge 150 ]]; then
      echo "start-team: $name hangs: still not connected after 15 s" >&2
      show_last_lines "$output"
      return 1
    fi
    tries=$((tries + 1))
    sleep 0.1
  done
}

start_player() {
  local name="$1"
  shift
  local output="$logdir/$name.out"
  launch "$name" "$@" --host "$host" --player-port "$port"
  if ! wait_connected "$name" "${pids[-1]}" "$output" "^Player [0-9]* connected\.$"; then
    stop_all 1
  fi
  echo "start-team: $name: $(grep -m 1 "connected\.$" "$output")"
}

start_player player-01 --goalie
for n in 02 03 04 05 06 07 08 09 10 11; do
  start_player "player-$n"
done

# The players can play on without their coach.
launch coach --coach --host "$host" --coach-port "$((port + 2))"
if wait_connected coach "${pids[-1]}" "$logdir/coach.out" "^Coach is connected\.$"; then
  echo "start-team: coach started; outputs in $logdir"
else
  echo "start-team: the team plays without its coach; outputs in $logdir"
fi

# Until every process has ended (a silent server ends the players by itself) or a stop.
for i in "${!pids[@]}"; do
  record_end "$i"
done

#!/usr/bin/env bash
# libAPlayerCaller.so against the mpv command on the same 60 s 720p file, under Xvfb,
# both on software output (the engine's render mode 2, mpv's vo=x11), no sound output:
#  - open: from APlayer_OpenA to state 5, against mpv from loadfile to its first
#    playback-restart (mpv started idle with its window already open, as the engine's
#    video window is, driven over its IPC socket); median of rounds;
#  - play: CPU time (user + system) of the whole process playing the file to its end.
# Builds nothing; run after building APlayerCaller and bench_video_engine.
#
#   scripts/bench-video-engine.sh [build folder]      (default: build; ROUNDS=10)
set -euo pipefail

build=${1:-build}
rounds=${ROUNDS:-10}
bench="$build/bench/video/bench_video_engine"
library_folder="$(realpath "$build/engines/video")"
[[ -x $bench ]] || { echo "bench-video-engine: $bench is not built" >&2; exit 1; }
for command in mpv Xvfb ffmpeg python3; do
  command -v $command >/dev/null || { echo "bench-video-engine: $command is missing" >&2; exit 1; }
done

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  if [[ -n $xvfb_pid ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

clip="$work/lesson_720p.mkv"
ffmpeg -v error -f lavfi -i testsrc2=size=1280x720:rate=25 -f lavfi -i sine=frequency=440 \
  -t 60 -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -b:a 96k "$clip"
cat "$clip" >/dev/null

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || { echo "bench-video-engine: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
export QT_QPA_PLATFORM=xcb TESSAL_APLAYER_MPV_OPTIONS=ao=null

engine_open=$("$bench" "$library_folder" "$clip" open "$rounds" 2>/dev/null | awk '/open_to_playing_ms/ { print $2 }')

mpv_open=$(python3 - "$clip" "$rounds" "$work/mpv.sock" <<'PY'
import json, socket, subprocess, statistics, sys, time
clip, rounds, path = sys.argv[1], int(sys.argv[2]), sys.argv[3]
mpv = subprocess.Popen(["mpv", "--no-config", "--idle=yes", "--force-window=yes", "--vo=x11", "--ao=null",
                        "--geometry=1280x720", "--really-quiet", "--input-ipc-server=" + path])
try:
    for _ in range(100):
        try:
            sock = socket.socket(socket.AF_UNIX); sock.connect(path); break
        except OSError:
            time.sleep(0.05)
    reader = sock.makefile("r")
    def send(*command):
        sock.sendall((json.dumps({"command": list(command)}) + "\n").encode())
    def wait_for(event):
        for line in reader:
            if json.loads(line).get("event") == event:
                return
    times = []
    for _ in range(rounds):
        start = time.perf_counter()
        send("loadfile", clip)
        wait_for("playback-restart")
        times.append((time.perf_counter() - start) * 1000)
        send("stop")
        wait_for("idle")
    print("%.1f" % statistics.median(times))
finally:
    mpv.terminate(); mpv.wait()
PY
)

engine_cpu=$("$bench" "$library_folder" "$clip" play 2>/dev/null | awk '/cpu_seconds/ { print $2 }')
TIMEFORMAT='%U %S'
mpv_cpu=$({ time mpv --no-config --vo=x11 --ao=null --geometry=1280x720 --really-quiet "$clip" >/dev/null 2>&1; } 2>&1 | awk '{ printf "%.2f", $1 + $2 }')

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "file: 60 s, 1280x720, H.264 + AAC; window 1280x720 under Xvfb; software output"
printf "open to first frame:  engine %s ms   mpv %s ms   ratio %s (target <= 1.20)\n" \
  "$engine_open" "$mpv_open" "$(ratio "$engine_open" "$mpv_open")"
printf "CPU for 60 s playback: engine %s s    mpv %s s    ratio %s (target <= 1.20)\n" \
  "$engine_cpu" "$mpv_cpu" "$(ratio "$engine_cpu" "$mpv_cpu")"

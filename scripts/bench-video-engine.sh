#!/usr/bin/env bash
# libAPlayerCaller.so against the mpv command on the same 60 s 720p file, under Xvfb, no
# sound output, in both render modes, each against mpv's own output of the same kind:
#  - render mode 1 (the player's default: mpv's OpenGL renderer into an offscreen
#    framebuffer, read back and painted) against mpv --vo=gpu, both on Mesa's llvmpipe
#    (mpv through EGL, which is its only OpenGL context on X11; Qt through GLX);
#  - render mode 2 (mpv's software renderer into memory) against mpv --vo=x11.
# mpv runs with the options the engine gives itself: no configuration, no built-in
# scripts, no on-screen controls, and the engine's decoding of the mode (hardware
# decoding where available, hwdec=auto-safe, in mode 1; software decoding in mode 2).
# Figures per mode:
#  - open: from APlayer_OpenA to state 5, against mpv from loadfile to its first
#    playback-restart (mpv started idle with its window already open, as the engine's
#    video window is, driven over its IPC socket); median of rounds; reported, with
#    no target;
#  - play: CPU time (user + system) of the whole process playing the file to its end,
#    with the fewest frames the engine painted and the most frames mpv dropped, so that
#    neither saves CPU by showing fewer frames; median of PLAYS runs, the engine's and
#    mpv's taking turns, so that other load on the machine falls on both alike.
#    Target: engine at most 1.2 times mpv.
# Builds nothing; run after building APlayerCaller and bench_video_engine. Takes about
# 4 x PLAYS minutes.
#
#   scripts/bench-video-engine.sh [build folder]   (default: build; ROUNDS=10, PLAYS=5)
set -euo pipefail

build=${1:-build}
rounds=${ROUNDS:-10}
plays=${PLAYS:-5}
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

Xvfb -displayfd 3 -noreset -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || { echo "bench-video-engine: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
export QT_QPA_PLATFORM=xcb TESSAL_APLAYER_MPV_OPTIONS=ao=null

# The mpv command, driven over its IPC socket:
#   mpv_driver.py open <rounds> <mpv options...>  -> median ms from loadfile to playback
#   mpv_driver.py play <mpv options...>           -> "<cpu seconds> <frames dropped>"
cat >"$work/mpv_driver.py" <<'PY'
import json, os, socket, statistics, subprocess, sys, time
clip, socket_path, what = sys.argv[1], sys.argv[2], sys.argv[3]
rounds = int(sys.argv[4]) if what == "open" else 0
options = sys.argv[5:] if what == "open" else sys.argv[4:]
base = ["mpv", "--no-config", "--no-osc", "--load-stats-overlay=no", "--load-osd-console=no",
        "--load-auto-profiles=no", "--ytdl=no", "--ao=null", "--geometry=1280x720",
        "--really-quiet", "--input-ipc-server=" + socket_path] + options
extra = ["--idle=yes", "--force-window=yes"] if what == "open" else ["--keep-open=yes", clip]
mpv = subprocess.Popen(base + extra)
for _ in range(200):
    try:
        sock = socket.socket(socket.AF_UNIX); sock.connect(socket_path); break
    except OSError:
        time.sleep(0.05)
reader = sock.makefile("r")
def send(*command):
    sock.sendall((json.dumps({"command": list(command)}) + "\n").encode())
def wait_for(check):
    for line in reader:
        message = json.loads(line)
        if check(message):
            return message
def get(name):
    send("get_property", name)
    return wait_for(lambda m: "error" in m and "event" not in m).get("data") or 0
if what == "open":
    times = []
    for _ in range(rounds):
        start = time.perf_counter()
        send("loadfile", clip)
        wait_for(lambda m: m.get("event") == "playback-restart")
        times.append((time.perf_counter() - start) * 1000)
        send("stop")
        wait_for(lambda m: m.get("event") == "idle")
    send("quit"); mpv.wait()
    print("%.1f" % statistics.median(times))
else:
    send("observe_property", 1, "eof-reached")
    wait_for(lambda m: m.get("event") == "property-change" and m.get("data") is True)
    dropped = get("frame-drop-count") + get("vo-drop-frame-count")
    send("quit")
    _, _, usage = os.wait4(mpv.pid, 0)
    print("%.2f %d" % (usage.ru_utime + usage.ru_stime, dropped))
PY

engine() {  # engine <render mode> <bench arguments...>
  TESSAL_BENCH_RENDER_MODE=$1 "$bench" "$library_folder" "$clip" "${@:2}" 2>/dev/null
}
mpv_driver() {
  python3 "$work/mpv_driver.py" "$clip" "$work/mpv.sock" "$@"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
median() { printf "%s\n" "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
verdict() { awk -v r="$1" 'BEGIN { print (r <= 1.2) ? "met" : "NOT met" }'; }

echo "file: 60 s, 1280x720 at 25 fps (1500 frames), H.264 + AAC; window 1280x720 under Xvfb; no sound"
for mode in 1 2; do
  if [[ $mode == 1 ]]; then
    vo=(--vo=gpu --gpu-context=x11egl --hwdec=auto-safe)
    echo "render mode 1 (mpv's OpenGL renderer, read back) against mpv ${vo[*]} on llvmpipe:"
  else
    vo=(--vo=x11 --hwdec=no)
    echo "render mode 2 (mpv's software renderer) against mpv ${vo[*]}:"
  fi
  engine_open=$(engine $mode open "$rounds" | awk '/open_to_playing_ms/ { print $2 }')
  mpv_open=$(mpv_driver open "$rounds" "${vo[@]}")
  engine_cpus=() mpv_cpus=() engine_frames=() mpv_dropped=()
  for _ in $(seq "$plays"); do
    read -r cpu frames < <(engine $mode play |
      awk '/cpu_seconds/ { c = $2 } /frames_painted/ { f = $2 } END { print c, f }')
    engine_cpus+=("$cpu") engine_frames+=("$frames")
    read -r cpu dropped < <(mpv_driver play "${vo[@]}")
    mpv_cpus+=("$cpu") mpv_dropped+=("$dropped")
  done
  engine_cpu=$(median "${engine_cpus[@]}")
  mpv_cpu=$(median "${mpv_cpus[@]}")
  open_ratio=$(ratio "$engine_open" "$mpv_open")
  cpu_ratio=$(ratio "$engine_cpu" "$mpv_cpu")
  printf "  open to first frame:   engine %6s ms  mpv %6s ms  ratio %s (no target)\n" \
    "$engine_open" "$mpv_open" "$open_ratio"
  printf "  CPU for 60 s playback: engine %6s s   mpv %6s s   ratio %s (target <= 1.20): %s\n" \
    "$engine_cpu" "$mpv_cpu" "$cpu_ratio" "$(verdict "$cpu_ratio")"
  printf "  runs: engine %s s, mpv %s s\n" "${engine_cpus[*]}" "${mpv_cpus[*]}"
  printf "  frames: engine painted at least %s, mpv dropped at most %s\n" \
    "$(printf "%s\n" "${engine_frames[@]}" | sort -g | head -n1)" \
    "$(printf "%s\n" "${mpv_dropped[@]}" | sort -g | tail -n1)"
done

#!/usr/bin/env bash
# TessalPlayer, the installed program, against the mpv command on the same 60 s 720p
# lesson file (H.264 + AAC, named *.tessal), under Xvfb, no sound output, in both render
# modes, each against mpv's output of the same kind (as scripts/bench-video-engine.sh
# pairs them): mode 1 (mpv's OpenGL renderer, read back and painted) against
# mpv --vo=gpu --gpu-context=x11egl, both on Mesa's llvmpipe, and mode 2 (mpv's software
# renderer) against mpv --vo=x11. mpv gets the engine's own options (no configuration,
# scripts or on-screen controls, the engine's decoding of the mode) and a window of the
# size of the player's video area, so both scale the picture alike. The player's render
# mode is `[PlayerSet] Render` of UserInfo.ini; its playlist, play progress and viewing
# history are reset before every start, so that each start is a first one.
# Figures per mode:
#  - start to first frame: from the start of the process, given the lesson's path,
#    to the first frame painted: the player's developer trace "aplayer: first frame"
#    (TESSAL_TRACE=1), mpv's "first video frame after restart shown" (its verbose
#    log), each read from the process's output as it comes; the file read once before
#    each start, so both start from the same page cache. The process is ended then
#    (SIGTERM) and waited for, which also frees the player's single-instance lock.
#    Median of ROUNDS, the two programs taking turns (and which goes first).
#    Target: player at most 1.2 times mpv.
#  - CPU for the 60 s file: user + system time of the whole process from its start
#    with the lesson's path to its end, the file played to its end (mpv's end-file event,
#    on an IPC socket the engine's mpv gets too, through TESSAL_APLAYER_MPV_OPTIONS);
#    mpv then quits by itself, the player is ended with SIGTERM. Both report the frames
#    their mpv dropped (decoder and video output), so that neither saves CPU by
#    showing fewer frames. Median of PLAYS, taking turns. Target: player at most 1.2
#    times mpv.
# Builds nothing; run after building everything (TessalPlayer, the video engine, the
# installation data); installs the build into a temporary folder. Takes about 4 x PLAYS minutes.
#
#   scripts/bench-player.sh [build folder]   (default: build; ROUNDS=10, PLAYS=3)
set -euo pipefail

build=${1:-build}
rounds=${ROUNDS:-10}
plays=${PLAYS:-3}
[[ -x $build/player/TessalPlayer ]] || {
  echo "bench-player: $build is not built" >&2
  exit 1
}
for command in mpv Xvfb ffmpeg python3 cmake; do
  command -v $command >/dev/null || { echo "bench-player: $command is missing" >&2; exit 1; }
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

cmake --install "$build" --prefix "$work/install" >/dev/null
lesson="$work/lessons/lesson_720p.tessal"
mkdir -p "$work/lessons"
ffmpeg -v error -f lavfi -i testsrc2=size=1280x720:rate=25 -f lavfi -i sine=frequency=440 \
  -t 60 -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -b:a 96k -f matroska "$lesson"

Xvfb -displayfd 3 -noreset -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || { echo "bench-player: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 0700 "$work/runtime"
# Boxes (a missing engine, a broken database) are logged and answered, never waited for.
export TESSAL_TEST_BOX_LOG="$work/boxes.log"

# bench_player.py <install> <lesson> <work> <mode> <rounds> <plays>
cat >"$work/bench_player.py" <<'PY'
import ctypes, ctypes.util, json, os, shutil, signal, socket, statistics, struct, subprocess, sys
import threading, time
install, lesson, work, mode, rounds, plays = sys.argv[1:4] + [int(a) for a in sys.argv[4:7]]
pristine_cache = os.path.join(work, "cache.dll")
if not os.path.exists(pristine_cache):
    shutil.copy(os.path.join(install, "cache", "cache.dll"), pristine_cache)
socket_path = os.path.join(work, "mpv.sock")
mpv_output = {1: ["--vo=gpu", "--gpu-context=x11egl", "--hwdec=auto-safe"],
              2: ["--vo=x11", "--hwdec=no"]}[mode]

def reset_player():
    """A first start: no playlist, no stored position, no viewing history."""
    for name in ("PlayerList.ini", os.path.join("codecs", "Handle.dll")):
        if os.path.exists(os.path.join(install, name)):
            os.remove(os.path.join(install, name))
    shutil.rmtree(os.path.join(install, "cache", "History"), ignore_errors=True)
    shutil.copy(pristine_cache, os.path.join(install, "cache", "cache.dll"))
    with open(os.path.join(install, "UserInfo.ini"), "w") as ini:
        ini.write("[PlayerSet]\nRender=%d\n" % mode)

def read_lesson():
    with open(lesson, "rb") as f:
        while f.read(1 << 20):
            pass

def player(extra_mpv_options=""):
    reset_player()
    env = dict(os.environ, TESSAL_TRACE="1",
               TESSAL_APLAYER_MPV_OPTIONS="ao=null" + extra_mpv_options)
    return [os.path.join(install, "TessalPlayer"), lesson], env, install

def mpv(geometry, extra):
    return (["mpv", "--no-config", "--load-scripts=no", "--no-osc", "--load-stats-overlay=no",
             "--load-osd-console=no", "--load-auto-profiles=no", "--ytdl=no", "--ao=null",
             "--geometry=" + geometry] + mpv_output + extra + [lesson]), dict(os.environ), work

def end(process, timeout_s=30):
    """SIGTERM, then the process's rusage once it is gone; SIGKILL if it hangs."""
    if process.poll() is None:
        process.send_signal(signal.SIGTERM)
    deadline = time.monotonic() + timeout_s
    while time.monotonic() < deadline:
        pid, status, usage = os.wait4(process.pid, os.WNOHANG)
        if pid:
            process.returncode = os.waitstatus_to_exitcode(status)
            return usage
        time.sleep(0.01)
    process.kill()
    os.wait4(process.pid, 0)
    sys.exit("bench-player: %s did not end within %d s of SIGTERM" % (process.args[0], timeout_s))

def first_frame_ms(command, env, cwd, marker, on_frame=None):
    read_lesson()
    start = time.perf_counter()
    process = subprocess.Popen(command, env=env, cwd=cwd, stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT)
    shown, seen = [], threading.Event()
    def read():
        for line in process.stdout:
            if not shown and marker in line:
                shown.append(time.perf_counter())
                seen.set()
        seen.set()
    reader = threading.Thread(target=read)
    reader.start()
    seen.wait(60)
    if shown and on_frame:
        on_frame()
    end(process)
    reader.join()
    if not shown:
        sys.exit("bench-player: no %r from %s" % (marker, command[0]))
    return (shown[0] - start) * 1000

def child_window_sizes():
    """Sizes of the windows inside the top-level windows of the display (libX11)."""
    x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    window_list = ctypes.POINTER(ctypes.c_ulong)
    x11.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                               ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(window_list),
                               ctypes.POINTER(ctypes.c_uint)]
    x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_char_p]
    x11.XFree.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    def children(window):
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        found, count = window_list(), ctypes.c_uint()
        if not x11.XQueryTree(display, window, root, parent, found, count):
            return []
        windows = [found[i] for i in range(count.value)]
        if found:
            x11.XFree(found)
        return windows
    sizes = []
    for top_level in children(x11.XDefaultRootWindow(display)):
        for window in children(top_level):
            attributes = ctypes.create_string_buffer(256)  # XWindowAttributes: x, y, w, h, ...
            if x11.XGetWindowAttributes(display, window, attributes):
                sizes.append(struct.unpack_from("4i", attributes.raw)[2:])
    x11.XCloseDisplay(display)
    return sizes

def video_area_size():
    """The size of the player's video window: the largest window inside its main window."""
    sizes = []
    command, env, cwd = player()
    first_frame_ms(command, env, cwd, b"aplayer: first frame",
                   lambda: sizes.extend(child_window_sizes()))
    width, height = max(sizes, key=lambda s: s[0] * s[1]) if sizes else (1280, 720)
    return "%dx%d" % (width, height)

def connect():
    for _ in range(400):
        try:
            sock = socket.socket(socket.AF_UNIX)
            sock.connect(socket_path)
            return sock
        except OSError:
            time.sleep(0.025)
    raise SystemExit("bench-player: no IPC socket at " + socket_path)

def play(command, env, cwd):
    """CPU seconds of the process playing the lesson to its end, frames mpv dropped."""
    read_lesson()
    if os.path.exists(socket_path):
        os.remove(socket_path)
    process = subprocess.Popen(command, env=env, cwd=cwd, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        dropped = watch_to_end()
    except BaseException:
        end(process)
        raise
    if command[0] == "mpv":  # mpv quits by itself after its only file
        _, _, usage = os.wait4(process.pid, 0)
        process.returncode = 0
    else:  # the player stays open with its playlist
        usage = end(process)
    return usage.ru_utime + usage.ru_stime, dropped

def watch_to_end():
    """Frames dropped by the time mpv reports the end of the file."""
    sock = connect()
    sock.settimeout(180)
    for number, name in enumerate(("frame-drop-count", "vo-drop-frame-count"), 1):
        sock.sendall((json.dumps({"command": ["observe_property", number, name]}) +
                      "\n").encode())
    dropped = {}
    for line in sock.makefile("r"):
        message = json.loads(line)
        if message.get("event") == "property-change" and message.get("data") is not None:
            dropped[message["name"]] = max(dropped.get(message["name"], 0), message["data"])
        if message.get("event") == "end-file" and message.get("reason") == "eof":
            break
    sock.close()
    return sum(dropped.values())

def median(values):
    return statistics.median(values)

def verdict(player_value, mpv_value):
    ratio = player_value / mpv_value
    return "ratio %.2f (target <= 1.20): %s" % (ratio, "met" if ratio <= 1.2 else "NOT met")

def taking_turns(count):
    """Who runs next, the two programs taking turns and which goes first."""
    for number in range(count):
        yield from (["player", "mpv"] if number % 2 == 0 else ["mpv", "player"])

def report(title, unit, values, digits):
    print("  %s: player %6.*f %s   mpv %6.*f %s   %s" % (
        title, digits, median(values["player"]), unit, digits, median(values["mpv"]), unit,
        verdict(median(values["player"]), median(values["mpv"]))))

geometry = video_area_size()
print("  video area %s (mpv's window the same size)" % geometry)
starts = {"player": [], "mpv": []}
for who in taking_turns(rounds):
    if who == "player":
        command, env, cwd = player()
        marker = b"aplayer: first frame"
    else:
        command, env, cwd = mpv(geometry, ["--msg-level=all=warn,cplayer=v"])
        marker = b"first video frame after restart shown"
    starts[who].append(first_frame_ms(command, env, cwd, marker))
if rounds:
    report("start to first frame", "ms", starts, 1)
    print("  rounds (ms): player %s; mpv %s" % tuple(
        " ".join("%.0f" % t for t in starts[who]) for who in ("player", "mpv")))
sys.stdout.flush()
cpus = {"player": [], "mpv": []}
drops = {"player": [], "mpv": []}
for who in taking_turns(plays):
    if who == "player":
        command, env, cwd = player(",input-ipc-server=" + socket_path)
    else:
        command, env, cwd = mpv(geometry, ["--really-quiet", "--input-ipc-server=" + socket_path])
    cpu, dropped = play(command, env, cwd)
    cpus[who].append(cpu)
    drops[who].append(dropped)
if plays:
    report("CPU for 60 s playback", "s", cpus, 2)
    print("  runs (s): player %s; mpv %s" % tuple(
        " ".join("%.2f" % c for c in cpus[who]) for who in ("player", "mpv")))
    print("  frames dropped (decoder + video output): player at most %d, mpv at most %d" % (
        max(drops["player"]), max(drops["mpv"])))
PY

echo "lesson: 60 s, 1280x720 at 25 fps (1500 frames), H.264 + AAC, a .tessal file"
echo "Xvfb 1920x1080, no sound output"
for mode in 1 2; do
  if [[ $mode == 1 ]]; then
    echo "render mode 1 (mpv's OpenGL renderer, read back) against"
    echo "mpv --vo=gpu --gpu-context=x11egl, both on llvmpipe:"
  else
    echo "render mode 2 (mpv's software renderer) against mpv --vo=x11:"
  fi
  python3 "$work/bench_player.py" "$work/install" "$lesson" "$work" $mode "$rounds" "$plays"
done
if [[ -s $TESSAL_TEST_BOX_LOG ]]; then
  echo "the player showed message boxes:"
  sort "$TESSAL_TEST_BOX_LOG" | uniq -c
fi

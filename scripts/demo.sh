#!/usr/bin/env bash
# Builds everything and starts the demo: the reference site on loopback (left running in
# the background), a demo installation folder whose Site.ini points at it, and
# TessalClient on that installation once the client exists.
#
#   scripts/demo.sh          build, (re)start the site, assemble demo/install, start the client
#   scripts/demo.sh --stop   stop the site a previous run left running
#
# TESSAL_BUILD_DIR chooses the build folder (default build/), TESSAL_SITE_BASE_PORT the
# site's first port (default 18700; 0 picks a free range). The download hosts trickle
# lessons at TESSAL_DEMO_RATE bytes a second (default 150000; 0: loopback speed), so a
# member queuing a course sees it come down with its speed and time left.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSAL_BUILD_DIR:-$root/build}
demo=$root/demo
install=$demo/install
pid_file=$demo/site.pid

stop_site() {
  [[ -f $pid_file ]] || return 0
  local pid
  pid=$(cat "$pid_file")
  if kill -0 "$pid" 2>/dev/null && grep -q tessal-site "/proc/$pid/cmdline" 2>/dev/null; then
    kill -TERM "$pid"
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
  fi
  rm -f "$pid_file"
}

if [[ ${1:-} == --stop ]]; then
  stop_site
  echo "demo: site stopped"
  exit 0
fi

bash "$root/scripts/install-deps.sh"
source "$root/scripts/configure.sh"
configure_build "$build"
cmake --build "$build" -j"$(nproc)"
mkdir -p "$demo"
cmake --install "$build" --prefix "$install" >/dev/null

stop_site
rm -f "$demo/Site.ini"
setsid "$build/site/server/tessal-site" --base-port "${TESSAL_SITE_BASE_PORT:-18700}" \
  --write-site-ini "$demo/Site.ini" --request-log "$demo/requests.jsonl" \
  --engine-file "$build/engines/video/libAPlayer.so" \
  </dev/null >"$demo/site.log" 2>&1 &
echo $! >"$pid_file"
for _ in $(seq 200); do
  [[ -f $demo/Site.ini ]] && break
  kill -0 "$(cat "$pid_file")" 2>/dev/null || break
  sleep 0.05
done
if [[ ! -f $demo/Site.ini ]]; then
  echo "demo: the site did not start:" >&2
  cat "$demo/site.log" >&2
  rm -f "$pid_file"
  exit 1
fi
"$build/site/builders/tessal-demo-data" install "$install" --site-ini "$demo/Site.ini"
control=$(sed -n 's/^tessal-site: .*(control \([0-9]*\)).*/\1/p' "$demo/site.log")
rate=${TESSAL_DEMO_RATE:-150000}
if [[ -n $control && $rate != 0 ]]; then
  for host in Download1 Download2 Download3; do
    curl -fsS -X POST "http://127.0.0.1:$control/faults" \
      -d "{\"host\":\"$host\",\"rate_bytes_per_second\":$rate}" >/dev/null ||
      echo "demo: the download hosts run at full speed (no throttle)" >&2
  done
fi

echo
sed -n 's/^tessal-site: //p' "$demo/site.log"
echo "Site.ini:       $demo/Site.ini (copied into the installation)"
echo "Request log:    $demo/requests.jsonl"
echo "Installation:   $install"
echo "Downloads:      lessons come at ${rate} bytes/s (TESSAL_DEMO_RATE); queue a course with"
echo "                the course tree's right-click menu (缓存课程), or 下载中心 in the main window"
echo "Members:        demo / demo123, 学员小李 / 学习123, vip / vip888 (more in data/demo/members.json)"
echo "Push messages:  each poll (at login, then every five minutes) brings the next message"
echo "                queued for the member (data/demo/pushes.json: demo has a text, a picture"
echo "                and a custom one) as a popup; 消息中心 in the main window lists them. Queue"
echo "                another: curl -X POST http://127.0.0.1:${control:-<control>}/pushes \\"
echo "                  -d '{\"uid\":\"10001\",\"mode\":\"1\",\"title\":\"T\",\"content\":\"C\"}'"
echo "Offline play:   离线播放 in the main window starts TessalPlayer; its playlist holds the"
echo "                demo's downloaded course (TessalDownload/). A lesson stopped midway resumes"
echo "                where it was left when opened again (also after the player was killed)."
echo "Stop the site:  scripts/demo.sh --stop"
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
  echo "No display (DISPLAY or WAYLAND_DISPLAY): start $install/TessalClient on a desktop."
else
  # exec: no shell of this script stays behind holding its output open.
  (cd "$install" && exec setsid ./TessalClient </dev/null >"$demo/client.log" 2>&1) &
  echo "TessalClient started (output in $demo/client.log)."
fi

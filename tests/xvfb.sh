# Sourced by the tests that need a real X server.
# start_xvfb WORK FIRST LAST: starts Xvfb on a free display numbered FIRST to
# LAST, logging into WORK/xvfb.log; sets display and xpid. Calls skip (the
# caller's) when Xvfb does not come up.
start_xvfb() {
  local work=$1 n
  for n in $(seq "$2" "$3"); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=:$n; break; }
  done
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xpid=$!
  for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X${display#:}" ] && return 0
    kill -0 "$xpid" 2>/dev/null || skip "Xvfb did not start: $(tail -n 2 "$work/xvfb.log")"
    sleep 0.1
  done
}

# xvfb_workspace NAME FIRST LAST: a work folder /tmp/NAME.XXXXXX as work, and
# Xvfb started as above; on exit the program whose pid is in ppid_ and Xvfb
# are ended and the folder removed.
xvfb_workspace() {
  work=$(mktemp -d "/tmp/$1.XXXXXX")
  xpid= ; ppid_=
  trap '[ -n "$ppid_" ] && kill "$ppid_" 2>/dev/null; [ -n "$xpid" ] && kill "$xpid" 2>/dev/null; rm -rf "$work"' EXIT
  start_xvfb "$work" "$2" "$3"
}

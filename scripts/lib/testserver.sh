# Shared by the tour and the monkey campaigns: a test server on ports the system picks, and a
# copy of the application's bundle whose main.cfg points at it.
#
# start_test_server <dir> <server> <resources> [options...]: starts <server> with the options
# (--ephemeral among them for ports of its own), writing <dir>/server.{out,log,pid}; once it has said its ports, copies
# <resources> to <dir>/bundle with main.cfg pointing at them. Returns 1 when the server did not
# start (ports in use?) within 10 s; the pid file is written either way.
start_test_server() {
  local dir=$1 server=$2 resources=$3
  shift 3
  mkdir -p "$dir"
  "$server" "$@" >"$dir/server.out" 2>"$dir/server.log" &
  local pid=$! i
  echo $pid >"$dir/server.pid"
  for i in $(seq 100); do
    grep -q '^seed ' "$dir/server.out" 2>/dev/null && break
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  grep -q '^seed ' "$dir/server.out" 2>/dev/null || return 1
  cp -rL "$resources" "$dir/bundle"
  local auth http trade
  auth=$(awk '$1 == "auth" {print $2}' "$dir/server.out")
  http=$(awk '$1 == "http" {print $2}' "$dir/server.out")
  trade=$(awk '$1 == "trade" {print $2}' "$dir/server.out")
  sed -i -e "s/:17001\$/:$auth/" -e "s/:17007\$/:$http/" -e "s/=17007\$/=$http/" \
    -e "s/:17004\$/:$trade/" "$dir/bundle/main.cfg"
}

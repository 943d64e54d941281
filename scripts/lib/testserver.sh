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
  local pid=$! i said=0 role port auth="" http="" trade=""
  echo $pid >"$dir/server.pid"
  # The server's lines are read by the shell itself: campaigns start hundreds of servers.
  for ((i = 0; i < 100; i++)); do
    # (The file may not be there yet: the server's shell makes it.)
    [ -f "$dir/server.out" ] && while read -r role port; do
      case "$role" in
        auth) auth=$port ;;
        http) http=$port ;;
        trade) trade=$port ;;
        seed) said=1 ;;
      esac
    done <"$dir/server.out"
    [ $said -eq 0 ] || break
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  [ $said -eq 1 ] || return 1
  cp -rL "$resources" "$dir/bundle"
  sed -i -e "s/:17001\$/:$auth/" -e "s/:17007\$/:$http/" -e "s/=17007\$/=$http/" \
    -e "s/:17004\$/:$trade/" "$dir/bundle/main.cfg"
}

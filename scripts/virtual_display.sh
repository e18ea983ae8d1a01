# Sourced by the scripts that need a virtual X display (bash).
#
# start_virtual_display: starts Xvfb on a display number it picks itself (one no other server
# uses), waits until it takes clients, exports DISPLAY and sets virtual_display_pid. The caller
# ends the server (end_virtual_display does, when it was started).
start_virtual_display() {
  local number_file
  number_file=$(mktemp)
  # The server writes its display number to descriptor 3 once it takes clients. It is ended when
  # this shell ends, however that happens (even by SIGKILL). Without -noreset the server starts
  # afresh each time its last client leaves, and refuses the connections that arrive meanwhile:
  # a test starting just as the one before it ended would find no display.
  setpriv --pdeathsig TERM Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  virtual_display_pid=$!
  for _ in $(seq 1 100); do
    [ -s "$number_file" ] && break
    sleep 0.1
  done
  if [ ! -s "$number_file" ]; then
    rm -f "$number_file"
    kill "$virtual_display_pid" 2>/dev/null || true
    echo "Xvfb did not start" >&2
    return 1
  fi
  DISPLAY=":$(head -n1 "$number_file")"
  export DISPLAY
  rm -f "$number_file"
}

end_virtual_display() {
  [ -z "${virtual_display_pid:-}" ] || kill "$virtual_display_pid" 2>/dev/null || true
}

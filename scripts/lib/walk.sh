# What ended a random walk, from its client's log and exit status: passed, sanitizer, hang, fault,
# or the campaign's time limit or a crash. Sourced by the scripts that run walks.

# walk_outcome <client log> <exit status>: prints the outcome.
walk_outcome() {
  local log=$1 rc=$2
  if grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$log"; then
    echo sanitizer
  elif [ "$rc" -eq 5 ]; then
    echo hang
  elif [ "$rc" -eq 4 ]; then
    echo fault
  elif [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
    echo "client stopped by the campaign's time limit"
  elif [ "$rc" -ne 0 ]; then
    echo "crash (exit status $rc)"
  else
    echo passed
  fi
}

# Shared by the benchmark scripts (sourced, not run): a private X server and the figure lines.

# Starts Xvfb on a free display and exports DISPLAY; stop_xvfb ends it.
start_xvfb() {
  command -v Xvfb >/dev/null || { echo "bench: Xvfb is not installed (scripts/install-deps)" >&2; return 1; }
  local fdfile
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" 2>/dev/null &
  XVFB_PID=$!
  local i
  for i in $(seq 1 200); do
    [ -s "$fdfile" ] && break
    sleep 0.05
  done
  [ -s "$fdfile" ] || { echo "bench: Xvfb did not start" >&2; rm -f "$fdfile"; return 1; }
  export DISPLAY=":$(head -n1 "$fdfile")"
  export QT_QPA_PLATFORM=xcb
  rm -f "$fdfile"
}

stop_xvfb() {
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
  fi
}

# figure NAME UNIT "VALUES" ["FLOOR VALUES"]: one line, name: median (min–max) unit, and the
# ratio of the medians when a floor is given; the floor's median is left in FIGURE_MEDIAN.
figure() {
  local name=$1 unit=$2 values=$3 floor=${4:-}
  local floor_median=""
  if [ -n "$floor" ]; then
    floor_median=$(printf '%s\n' $floor | sort -g | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}')
  fi
  printf '%s\n' $values | sort -g | awk -v name="$name:" -v unit="$unit" -v floor="$floor_median" '
    { v[NR] = $1 }
    END {
      m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
      fmt = (m < 10) ? "%.2f" : "%.1f"
      line = sprintf("%-44s %8s (%s–%s) %s", name, sprintf(fmt, m), sprintf(fmt, v[1]), sprintf(fmt, v[NR]), unit)
      if (floor != "" && floor > 0) line = line sprintf("  = %.2f × floor", m / floor)
      print line
    }'
}

# value KEY OUTPUT: the number after KEY in the launcher's output.
value() {
  awk -v key="$1" '$1 == key { print $2 }' <<<"$2"
}

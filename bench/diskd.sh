# Sourced by the run scripts of the bench groups: a scratch folder removed on exit, processes started for the
# run stopped by their ids, and nimbra-diskd on a free port of 127.0.0.1 with the account bench:benchpass.

# bench_scratch NAME: makes $work and arranges the cleanup.
bench_scratch() {
  work="$(mktemp -d "/tmp/nimbra-$1-bench-XXXXXX")"
  pids=()
  trap bench_cleanup EXIT
}

bench_cleanup() {
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}

# bench_start_diskd BUILD_DIR: starts the service with its data in $work/disk; sets $service to its URL.
bench_start_diskd() {
  "$1/bin/nimbra-diskd" --data "$work/disk" --listen 127.0.0.1:0 --add-account bench:benchpass \
    >"$work/diskd.log" 2>&1 &
  pids+=($!)
  service=""
  for _ in $(seq 100); do
    service="$(sed -n 's/^nimbra-diskd listening on \(http:[^ ]*\).*/\1/p' "$work/diskd.log")"
    [ -n "$service" ] && return 0
    sleep 0.1
  done
  echo "bench: nimbra-diskd did not start" >&2
  cat "$work/diskd.log" >&2
  exit 1
}

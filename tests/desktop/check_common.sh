# Sourced by the check scripts: fail records a failure and goes on; finish reports and exits.
set -u
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
finish() {
  [ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
  echo "$*"
}

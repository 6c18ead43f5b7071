#!/usr/bin/env bash
# The tray's benchmarks alone (apply round trip, soak, idle): scripts/bench.sh with those
# stages; the same options.
exec "$(dirname "$0")/bench.sh" --stages round-trip,soak,idle "$@"

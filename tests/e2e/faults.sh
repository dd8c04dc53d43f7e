#!/usr/bin/env bash
# The fault run in the session that scripts/test made: hostile scenarios,
# each ending with the check that no window was lost. scripts/faults runs the
# same scenarios in a session of its own.
. "$(dirname "$0")/common.bash"
. "$(dirname "$0")/faults.bash"
run_faults

#!/usr/bin/env bash
# The shipped table file: its invariants, and the generator's own tests.
set -euo pipefail
cd "$(dirname "$0")/../.."
python3 tools/check_table.py
python3 tools/test_make_table.py

#!/usr/bin/env bash
# The shipped table file: its invariants, and the generator's own tests; the GBK and Big5 codec tables as made.
set -euo pipefail
cd "$(dirname "$0")/../.."
python3 tools/check_table.py
python3 tools/test_make_table.py
python3 tools/make_gbk_codec.py --check
python3 tools/make_big5_codec.py --check

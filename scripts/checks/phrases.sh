#!/usr/bin/env bash
# The shipped phrase file: its format and content against OpenCC's dumps, and the generator's own tests.
set -euo pipefail
cd "$(dirname "$0")/../.."
python3 tools/check_phrases.py
python3 tools/test_make_phrases.py

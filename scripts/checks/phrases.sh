#!/usr/bin/env bash
# The shipped phrase file: its format and content against OpenCC's dumps, and the generator's own tests.
set -euo pipefail
cd "$(dirname "$0")/../.."
python3 tools/check_phrases.py
python3 tools/test_make_phrases.py
# The phrase file 2.0 for the regional conversions: built from data/opencc-1.4.2/ and checked, figures included.
regional=$(mktemp)
trap 'rm -f "$regional"' EXIT
python3 tools/make_regional.py --out "$regional" >/dev/null
python3 tools/make_regional.py --check "$regional"
python3 tools/test_make_regional.py

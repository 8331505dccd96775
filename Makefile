# Shortcuts for the scripts; each one installs what it needs first.
.PHONY: run test package bench fuzz
run:
	scripts/run.sh
test:
	scripts/test.sh
package:
	scripts/package.sh
bench:
	scripts/bench.sh
fuzz:
	scripts/fuzz.sh

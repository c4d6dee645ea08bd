# The two commands of the README. Both install what a fresh Debian 12 machine
# lacks, then build with the CMake preset "default".
.PHONY: all deps build bench check check-asan install-check demo clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	cmake --preset default
	cmake --build --preset default

# The benchmarks (bench/), which the plain build leaves out.
bench: build
	cmake --build --preset default --target aviary_benches

# Root ignores file modes and a port's exclusive mode, which every user meets:
# run as root (CI), the suite runs as the user nobody instead.
check: build
	@scripts/check-unprivileged.sh

# The whole suite under AddressSanitizer, LeakSanitizer and UBSan; any finding
# fails its test. Run it before you stop; CI keeps the plain build for speed.
check-asan: deps
	cmake --preset asan
	cmake --build --preset asan --target all aviary_benches
	ctest --preset asan

# Installs into a temporary prefix, runs the installed programs from there and
# builds and inspects the Debian package.
install-check: build
	scripts/check-install.sh

demo: build
	scripts/demo.sh

clean:
	rm -rf build build-asan demo-out

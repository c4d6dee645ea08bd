# The two commands of the README. Both install what a fresh Debian 12 machine
# lacks, then build with the CMake preset "default".
.PHONY: all deps build check install-check demo clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	cmake --preset default
	cmake --build --preset default

check: build
	ctest --preset default

# Installs into a temporary prefix, runs the installed programs from there and
# builds and inspects the Debian package.
install-check: build
	scripts/check-install.sh

demo: build
	scripts/demo.sh

clean:
	rm -rf build build-asan demo-out

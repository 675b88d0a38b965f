# The two commands of the README, and a few more. Each one starts from a fresh clone: it
# installs what is missing, configures and builds before doing its work.
.PHONY: all deps build run test test-asan test-tsan bench install package mutants clean

all: build

deps:
	@scripts/install-deps

build/build.ninja: | deps
	cmake --preset default

build-asan/build.ninja: | deps
	cmake --preset asan

build-tsan/build.ninja: | deps
	cmake --preset tsan

build: deps build/build.ninja
	cmake --build --preset default

# Starts the program on the database beside it (build/bin/Recipe.mdb); the build puts the
# starter database there only when none is there yet.
run: build
	build/bin/kitchenex

test: build
	ctest --preset default

# The same tests, built with the address and undefined-behaviour sanitizers.
test-asan: deps build-asan/build.ninja
	cmake --build --preset asan
	ctest --preset asan

# The start-up and store tests, built with the thread sanitizer: the start-up reads the file on
# a thread of its own. Reports inside Qt's and fontconfig's own code are named in tests/tsan.supp.
test-tsan: deps build-tsan/build.ninja
	cmake --build --preset tsan
	ctest --preset tsan

bench: build
	cmake --build --preset default --target bench
	bench/run-all build

# Installs the program, its tools, starter database, menu entry, icons and manual pages under
# PREFIX (default /usr/local), inside DESTDIR when it is given (for packaging).
PREFIX ?= /usr/local
install: build
	DESTDIR="$(DESTDIR)" cmake --install build --prefix "$(PREFIX)"

# The Debian package, build/kitchenex_VERSION_ARCH.deb.
package: build
	cmake --build --preset default --target package

# Mutation testing (not part of make test): each mutant of tests/mutants.list is built in a
# scratch copy under build/mutants and must make a test fail.
mutants: deps
	scripts/mutants

clean:
	rm -rf build build-asan build-tsan

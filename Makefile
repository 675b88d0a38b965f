# The two commands of the README, and a few more. Each one starts from a fresh clone: it
# installs what is missing, configures and builds before doing its work.
.PHONY: all deps build run test test-asan bench mutants clean

all: build

deps:
	@scripts/install-deps

build/build.ninja: | deps
	cmake --preset default

build-asan/build.ninja: | deps
	cmake --preset asan

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

bench: build
	cmake --build --preset default --target bench
	bench/run-all build

# Mutation testing (not part of make test): each mutant of tests/mutants.list is built in a
# scratch copy under build/mutants and must make a test fail.
mutants: deps
	scripts/mutants

clean:
	rm -rf build build-asan

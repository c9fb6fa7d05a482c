# The two commands of the README:
#   make run   - install what is missing, build, assemble build/dist/ and start the program
#   make test  - install what is missing, build, run every test
#   make deb   - build the Debian package into build-deb/
BUILD ?= build
CMAKE_FLAGS ?=

.PHONY: run test deps build deb

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)
	cmake --build $(BUILD)

run: build
	@scripts/run-program $(BUILD)/dist

test: build
	scripts/with-test-env ctest --test-dir $(BUILD) --output-on-failure -j2

deb: deps
	@scripts/install-package-deps
	scripts/build-deb

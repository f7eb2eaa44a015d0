# The two commands of the README; each one installs what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)
PREFIX ?= $(HOME)/.local
FUZZ_SECONDS ?= 600

.PHONY: all setup build run test bench fuzz format clean install uninstall

all: build

setup:
	./scripts/setup.sh

build: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

run: build
	./scripts/run.sh $(BUILD)

test: build
	cd $(BUILD) && env -u QT_QPA_PLATFORMTHEME QT_QPA_PLATFORM=offscreen \
		ctest --output-on-failure -j$(JOBS)

# Into PREFIX: the program with a new database beside it (an existing one is kept), a command
# link, a desktop entry and the icon. uninstall removes them, never the database.
install: build
	cmake --install $(BUILD) --prefix "$(PREFIX)" --strip

uninstall:
	./scripts/uninstall.sh "$(PREFIX)"

bench: build
	./scripts/bench.sh $(BUILD)

# Every fuzz target for FUZZ_SECONDS seconds, in a clang build of its own (build-fuzz).
fuzz: setup
	./scripts/fuzz.sh $(FUZZ_SECONDS)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) build-asan build-fuzz

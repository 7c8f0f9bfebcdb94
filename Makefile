# Voltaris: `make run` sets up and starts the program, `make test` sets up and runs every test.
# Both install the Debian packages the project needs when they are missing (root on Debian 12).

BUILD      ?= build
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
PACKAGES   := g++ cmake ninja-build pkg-config qt6-base-dev libqcustomplot-dev libgtest-dev \
              libgmock-dev libbenchmark-dev libfftw3-dev xvfb xauth
PORT       ?=
PREFIX     ?= /usr/local

.PHONY: all deps build run test tsan asan bench soak install clean format fuzz

all: build

# Installs only what is missing, so a machine that has everything does no apt work at all.
deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null \
	    | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing:" $$missing; \
	    SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	    $$SUDO apt-get update -qq && \
	    DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq $$missing; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_ARGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash tools/run.sh $(BUILD) $(PORT)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

tsan: deps
	TSAN_OPTIONS="suppressions=$(CURDIR)/tests/tsan.supp $(TSAN_OPTIONS)" \
	    $(MAKE) test BUILD=build-tsan CMAKE_ARGS="-DVOLTARIS_SANITIZE=thread"

# UBSan only prints by default: halting makes every undefined-behaviour report fail its test.
asan: deps
	UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1 $(UBSAN_OPTIONS)" \
	    $(MAKE) test BUILD=build-asan CMAKE_ARGS="-DVOLTARIS_SANITIZE=address"

# The programs, the report's template and logo, the menu entry and the icon under PREFIX
# (DESTDIR is honoured, for packaging).
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && echo "== $$b" && "$$b"; done; true

# Minutes each: the window in demonstration mode for 10 000 captures with its memory printed,
# then 1 000 captures from the simulator with faults switched on and off.
soak: build
	$(BUILD)/bench/soak_window
	$(BUILD)/bench/soak_faults

# The libFuzzer targets of fuzz/, built with clang in their own tree and run one after the other
# for FUZZ_SECONDS each; `make test` never builds or runs them.
FUZZ_SECONDS ?= 60
FUZZ_BUILD   ?= build-fuzz
fuzz: deps
	@$(MAKE) deps PACKAGES="clang libclang-rt-14-dev"
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DVOLTARIS_FUZZ=ON $(CMAKE_ARGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	bash fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build build-tsan build-asan build-fuzz

# make run   installs what is missing, builds, starts the windowed program
#            with the image recorder burning to ~/QuillstarDisc.bin
# make test  installs what is missing, builds, runs every test
# make test SANITIZE=address|thread   the engine's tests under a sanitizer
# make demo  burns a short list of tones to a disc image, without a window
# make format  applies .clang-format to every tracked C++ file
# make fuzz  feeds random CD info files to the loader for FUZZ_SECONDS
#            (600) with clang's libFuzzer; new finds go to build-fuzz/corpus
SANITIZE ?=
BUILD_DIR := build$(if $(SANITIZE),-$(SANITIZE))
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 600

.PHONY: deps configure build run test demo bench fuzz format check-format check-engine clean

deps:
	@scripts/install-deps

$(BUILD_DIR)/build.ninja: | deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DQUILLSTAR_SANITIZE=$(SANITIZE)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/bin/quillstar --image-recorder $(HOME)/QuillstarDisc.bin

test: build check-format check-engine
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 600

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

check-format: | deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

# The engine folders stay free of Qt: no Qt header, no Qt library.
check-engine:
	scripts/check-engine $(BUILD_DIR)

# Burns a short demo list of tones to the image recorder.
demo: build
	scripts/demo $(BUILD_DIR)

# Each bench prints its figures and exits non-zero when it misses its goal;
# all of them run, and the summary names the ones that missed.
bench: build
	@missed=""; for b in $(BUILD_DIR)/bin/bench-*; do echo "== $$b"; $$b || missed="$$missed $$(basename $$b)"; done; \
	if [ -n "$$missed" ]; then echo "missed their goal:$$missed"; exit 1; fi

fuzz:
	@scripts/install-deps --fuzz
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DQUILLSTAR_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS) --target fuzz-list-file
	mkdir -p build-fuzz/corpus
	build-fuzz/bin/fuzz-list-file -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 \
	  build-fuzz/corpus fuzz/corpus/list-file

clean:
	rm -rf build build-address build-thread build-fuzz

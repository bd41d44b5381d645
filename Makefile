# The two commands a newcomer needs are `make run` and `make test`; the rest
# are steps they call.

BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
CMAKE_FLAGS ?=

PACKAGES = qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-svg-dev qt6-qpa-plugins libgl-dev libx11-dev \
           libbenchmark-dev libboost-dev cmake ninja-build g++ make fonts-dejavu-core xvfb xauth \
           poppler-utils desktop-file-utils shared-mime-info

.PHONY: all deps fuzz-deps configure build test run bench asan-test fuzz install package clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:$$missing"; \
	    apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	  else \
	    echo "Missing packages. Run as root:"; \
	    echo "  apt-get update && apt-get install -y$$missing"; \
	    exit 1; \
	  fi; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure

run: build
	./$(BUILD)/shell/morva99

asan-test: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DMORVA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen \
	  MORVA_SOAK_CYCLES=150 QTEST_FUNCTION_TIMEOUT=1800000 \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/.ci/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure

bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DMORVA_BENCH=ON -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD)
	@for b in $(BENCH_BUILD)/bench/bench_*; do \
	  [ -f "$$b" ] && [ -x "$$b" ] || continue; echo "== $$b"; QT_QPA_PLATFORM=offscreen "$$b" || exit 1; \
	done

fuzz-deps: deps
	@dpkg-query -W -f='$${Status}\n' clang libclang-rt-14-dev 2>/dev/null | grep -c "install ok installed" | grep -q 2 || \
	  { [ "$$(id -u)" = 0 ] && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends clang libclang-rt-14-dev; } || \
	  { echo "Run as root: apt-get install -y clang libclang-rt-14-dev"; exit 1; }

# Each fuzz target runs FUZZ_SECONDS from the seed corpus; new
# inputs go to fuzz-out/, never into the repository's corpus.
fuzz: fuzz-deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DMORVA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" $(CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD)
	@for t in integer real format setup; do \
	  mkdir -p fuzz-out/$$t; \
	  echo "== fuzz_$$t for $(FUZZ_SECONDS) s"; \
	  QT_QPA_PLATFORM=offscreen $(FUZZ_BUILD)/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) \
	    -artifact_prefix=fuzz-out/ fuzz-out/$$t fuzz/corpus/$$t > fuzz-out/$$t.log 2>&1 \
	    || { tail -n 40 fuzz-out/$$t.log; exit 1; }; \
	  tail -n 1 fuzz-out/$$t.log; \
	done

install: build
	cmake --install $(BUILD) $(if $(PREFIX),--prefix $(PREFIX))

package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) fuzz-out

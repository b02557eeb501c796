# Entry points for people and CI. Every target installs what it needs first.
BUILD ?= build
SAN_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)

.PHONY: all deps deps-demo configure build demo test test-sanitize install uninstall package package-test bench fuzz clean format

all: build

deps:
	@scripts/install-deps

deps-demo:
	@scripts/install-deps --demo

# Configuring again is quick, and finds GoogleTest once the tests' packages
# are there (a build made by the demo has no tests).
configure:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps
	@$(MAKE) --no-print-directory configure
	cmake --build $(BUILD) -j $(JOBS)

# Only what the demo runs: the filter, the application, the preview tool and
# the PPD files.
demo: deps-demo
	@$(MAKE) --no-print-directory configure
	cmake --build $(BUILD) -j $(JOBS) --target rastertothermal thermal-printer-app thermal-preview ppds
	@scripts/demo $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTHERMAL_SANITIZE=ON
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  ctest --output-on-failure -j $(JOBS)

# Every fuzz target for FUZZ_SECONDS each, built with clang, AddressSanitizer
# and UndefinedBehaviorSanitizer; any finding fails.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTHERMAL_FUZZ=ON -DTHERMAL_SANITIZE=ON -DTHERMAL_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	fuzz/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Benchmarks of the image operations and encoders, then whole-process timings
# next to netpbm (needs hyperfine and netpbm, which the first step installs).
bench: build
	@scripts/install-deps --bench
	$(BUILD)/bench/thermal_bench $(BENCH_ARGS)
	bench/run.sh $(BUILD)
	bench/quality.sh $(BUILD)

# The manifest lists paths without DESTDIR; remember it, so that uninstalling
# a staged install never touches the system's own files.
install: build
	cmake --install $(BUILD)
	@printf '%s' "$(DESTDIR)" > $(BUILD)/install_destdir

uninstall:
	@if [ -f $(BUILD)/install_manifest.txt ]; then \
	  prefix=$$(cat $(BUILD)/install_destdir 2>/dev/null); \
	  sed "s|^|$$prefix|" $(BUILD)/install_manifest.txt | xargs -r rm -fv; \
	else echo "nothing installed from $(BUILD)"; fi

# The Debian package, in $(BUILD)/package/ (dpkg-shlibdeps works out the
# library dependencies; the first step installs it).
package: build
	@scripts/install-deps --package
	rm -rf $(BUILD)/package
	cd $(BUILD) && cpack --config CPackConfig.cmake
	@ls $(BUILD)/package/*.deb

# The package's file list, dependencies and maintainer scripts.
package-test: package
	tests/package/deb_check.sh $(BUILD)/package/rastertothermal_*.deb

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD) out

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

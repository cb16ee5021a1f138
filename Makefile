# Quick start:  make demo   (build, mesh the default example model)
#               make test   (sanitizer build, every test through CTest)
#               make fuzz   (model fuzzing for FUZZ_SECONDS; findings in build-fuzz/findings)
BUILD      ?= build
TEST_BUILD ?= build-test
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
DEMO_MODEL ?= examples/bracket.sur
# The interpreter of the Python tests: Debian's, which sees the packages apt-get installs.
PYTHON     ?= $(or $(wildcard /usr/bin/python3),$(shell command -v python3),/usr/bin/python3)
DEMO_DIR   := $(BUILD)/demo

.PHONY: all demo test tsan test-deps bench bench-threads bench-models bench-generator bench-cad deps clean fuzz fuzz-deps fuzz-ci fuzz-plane

all: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DKORVEX_TESTS=OFF
	cmake --build $(BUILD) -j $(JOBS)

# Installs the build tools and OpenCASCADE (for the CAD front end) with
# apt-get when a fresh machine lacks them.
deps:
	@missing=""; \
	command -v cmake >/dev/null 2>&1 || missing="$$missing cmake"; \
	command -v g++ >/dev/null 2>&1 || missing="$$missing g++"; \
	command -v make >/dev/null 2>&1 || missing="$$missing make"; \
	[ -f /usr/include/gtest/gtest.h ] || missing="$$missing libgtest-dev"; \
	for p in libocct-foundation-dev libocct-modeling-data-dev libocct-modeling-algorithms-dev libocct-data-exchange-dev; do \
	  dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update -q && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -q $$missing; \
	fi

# The packages the Python module's tests use (NumPy, meshio, Dask
# distributed, setuptools), installed with apt-get when missing; the module
# itself runs without them.
test-deps:
	@missing=""; \
	for m in numpy:python3-numpy meshio:python3-meshio distributed:python3-distributed setuptools:python3-setuptools; do \
	  $(PYTHON) -c "import $${m%%:*}" >/dev/null 2>&1 || missing="$$missing $${m#*:}"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update -q && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -q $$missing; \
	fi

demo: all
	@mkdir -p $(DEMO_DIR)
	@cp $(DEMO_MODEL) $(DEMO_DIR)/
	@model=$(DEMO_DIR)/$(notdir $(DEMO_MODEL)); base=$${model%.*}; \
	./$(BUILD)/korvex $$model; rc=$$?; \
	echo; \
	if [ $$rc -eq 0 ]; then \
	  nodes=$$(grep -c '^Node :' $$base.m3d); elems=$$(grep -c '^Element :' $$base.m3d); \
	  echo "Mesh written to $$base.m3d ($$nodes nodes, $$elems elements)"; \
	else \
	  echo "Meshing failed (exit status $$rc)"; \
	fi; \
	echo "Log written to $$base.LOG"; \
	exit $$rc

test: deps test-deps
	cmake -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEX_SANITIZE=ON -DKORVEX_TESTS=ON \
	      -DPython3_EXECUTABLE=$(PYTHON)
	cmake --build $(TEST_BUILD) -j $(JOBS)
	cd $(TEST_BUILD) && ctest --output-on-failure -j $(JOBS)

# The multi-thread model tests under ThreadSanitizer (build-tsan/): the
# engine and the test program that meshes on several threads; any data race
# fails the run.
TSAN_TESTS ?= ParallelMeshing.*:*Thread*
tsan: deps
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEX_TSAN=ON -DKORVEX_TESTS=ON \
	      -DPython3_EXECUTABLE=$(PYTHON)
	cmake --build build-tsan -j $(JOBS) --target test_end_to_end
	cd build-tsan/tests && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
	  ./test_end_to_end --gtest_filter='$(TSAN_TESTS)'

bench: deps
	@[ -f /usr/include/benchmark/benchmark.h ] || { \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update -q && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -q libbenchmark-dev; }
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKORVEX_TESTS=OFF -DKORVEX_BENCH=ON
	cmake --build build-bench -j $(JOBS)
	./build-bench/bench/korvex_bench
	python3 bench/thread_scaling.py build-bench/libkorvex.so $(if $(BENCH_LARGE),--large)

# Only the thread table (BENCH_LARGE=1 adds the 10^7-element model).
bench-threads: all
	python3 bench/thread_scaling.py $(BUILD)/libkorvex.so $(if $(BENCH_LARGE),--large)

# Whole runs of the command on generated large models: time, peak memory, mesh size.
bench-models: all
	python3 bench/run_models.py $(BUILD)/korvex 3

# The disc and L-plate families from 10^3 to 2.5 10^5 elements, with gmsh's
# all-quad run on the same geometry when gmsh is installed.
bench-generator: all
	python3 bench/generator_scaling.py $(BUILD)/korvex
# The CAD test parts, the examples and the gmsh-written corpus through korvex
# PART.step and, when installed, gmsh's pure-quad route at the same size.
bench-cad: deps
	cmake -S . -B build-bench-cad -DCMAKE_BUILD_TYPE=Release -DKORVEX_TESTS=ON
	cmake --build build-bench-cad -j $(JOBS) --target korvex_cli korvex_example_parts
	python3 bench/cad_parts.py build-bench-cad/korvex build-bench-cad/tests/korvex_example_parts --corpus \
	    --parts examples/pressure_vessel.step:2 examples/filleted_box.step:2.5

# Fuzzing: coverage-guided with clang's libFuzzer, or the plain mutation
# driver where clang is missing. Every input must end within FUZZ_TIMEOUT s.
FUZZ_SECONDS ?= 300
FUZZ_TIMEOUT ?= 1
fuzz: deps fuzz-deps
	fuzz/run_fuzz.sh $(FUZZ_SECONDS) $(FUZZ_TIMEOUT)

# clang and its runtimes, when missing and installable; without them the plain driver runs.
fuzz-deps:
	@command -v clang++ >/dev/null 2>&1 || { \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update -q && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -q clang libclang-rt-dev \
	  || echo "clang not installed: the plain mutation driver will run"; }

# The short pass of continuous integration: the plain driver of the test build
# (made by make test), so it needs nothing more than the tests do. Crashes,
# sanitizer reports and hangs fail it; the one-second limit is left to make
# fuzz, since a shared CI machine's load would make it flaky.
fuzz-ci:
	FUZZ_ENGINE=plain FUZZ_PLAIN_BUILD=$(TEST_BUILD) fuzz/run_fuzz.sh 40 30

# Random numeric changes of the plane models, then of the curved, hole and
# tree models, meshed and checked for invalid elements and for runs over 2 s
# or 1 GB. Plates may have invalid elements in 1 of 200 meshed models,
# the curved ones in 1 of 20.
FUZZ_PLANE_RUNS ?= 400
fuzz-plane: all
	python3 fuzz/plane_mutations.py --korvex $(BUILD)/korvex --runs $(FUZZ_PLANE_RUNS)
	python3 fuzz/plane_mutations.py --korvex $(BUILD)/korvex --runs $(FUZZ_PLANE_RUNS) --family curved --max-rate 0.05

clean:
	rm -rf $(BUILD) $(TEST_BUILD) build-bench build-bench-cad build-fuzz build-tsan

# Quick start:  make demo   (build, mesh the default example model)
#               make test   (sanitizer build, every test through CTest)
BUILD      ?= build
TEST_BUILD ?= build-test
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
DEMO_MODEL ?= examples/bracket.sur
DEMO_DIR   := $(BUILD)/demo

.PHONY: all demo test bench bench-models bench-generator deps clean

all: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DKORVEX_TESTS=OFF
	cmake --build $(BUILD) -j $(JOBS)

# Installs the build tools with apt-get when a fresh machine lacks them.
deps:
	@missing=""; \
	command -v cmake >/dev/null 2>&1 || missing="$$missing cmake"; \
	command -v g++ >/dev/null 2>&1 || missing="$$missing g++"; \
	command -v make >/dev/null 2>&1 || missing="$$missing make"; \
	[ -f /usr/include/gtest/gtest.h ] || missing="$$missing libgtest-dev"; \
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

test: deps
	cmake -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEX_SANITIZE=ON -DKORVEX_TESTS=ON
	cmake --build $(TEST_BUILD) -j $(JOBS)
	cd $(TEST_BUILD) && ctest --output-on-failure -j $(JOBS)

bench: deps
	@[ -f /usr/include/benchmark/benchmark.h ] || { \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update -q && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -q libbenchmark-dev; }
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKORVEX_TESTS=OFF -DKORVEX_BENCH=ON
	cmake --build build-bench -j $(JOBS)
	./build-bench/bench/korvex_bench

# Whole runs of the command on generated large models: time, peak memory, mesh size.
bench-models: all
	python3 bench/run_models.py $(BUILD)/korvex 3

# The disc and L-plate families from 10^3 to 2.5 10^5 elements, with gmsh's
# all-quad run on the same geometry when gmsh is installed.
bench-generator: all
	python3 bench/generator_scaling.py $(BUILD)/korvex

clean:
	rm -rf $(BUILD) $(TEST_BUILD) build-bench

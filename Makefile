# A thin front for CMake: `make run` and `make test` install what the build needs, then
# configure, build and run. CMake stays the real build.
BUILD ?= build
PACKAGES := cmake g++ ninja-build qt6-base-dev qt6-webengine-dev libgl-dev xdg-utils \
	fonts-liberation fonts-dejavu-core xvfb xauth desktop-file-utils \
	binutils-mingw-w64-x86-64 gcc-mingw-w64-x86-64-win32 mingw-w64-x86-64-dev \
	g++-mingw-w64-x86-64 xdotool imagemagick python3 libgl1-mesa-dri hyperfine time

.PHONY: all deps build run test clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing: $$missing"; \
		if [ "$$(id -u)" = 0 ]; then sudo=""; else sudo=sudo; fi; \
		$$sudo apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$sudo apt-get install -y -qq $$missing; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
		echo "No display to show Quaylink on: run it under a virtual one with 'xvfb-run -a make run'."; exit 1; \
	fi
	$(BUILD)/quaylink

test: build
	cd $(BUILD) && ctest --output-on-failure

clean:
	rm -rf $(BUILD)

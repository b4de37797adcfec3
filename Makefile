# A thin front for CMake: `make run` and `make test` install what the build needs, then
# configure, build and run. CMake stays the real build.
BUILD ?= build
PACKAGES := cmake g++ ninja-build qt6-base-dev qt6-webengine-dev libgl-dev xdg-utils \
	fonts-liberation fonts-dejavu-core xvfb xauth desktop-file-utils \
	binutils-mingw-w64-x86-64 gcc-mingw-w64-x86-64-win32 mingw-w64-x86-64-dev \
	g++-mingw-w64-x86-64 xdotool imagemagick python3 libgl1-mesa-dri hyperfine time \
	clang libclang-rt-14-dev util-linux libbenchmark-dev dbus-daemon python3-gi libglib2.0-bin \
	libglib2.0-dev pkg-config gvfs-backends python3-pyftpdlib python3-asyncssh python3-openssl openssl openssh-client \
	openbox x11-utils qt6-wayland binutils libxcb1-dev gir1.2-gtk-4.0 dpkg-dev file lintian appstream \
	at-spi2-core python3-pyatspi
# How long `make fuzz` runs the address-book fuzz target, in seconds.
FUZZ_SECONDS ?= 1800

.PHONY: all deps build run test fuzz bench package clean

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
	cd $(BUILD) && ctest --output-on-failure --parallel $$(nproc)

# The Debian package, $(BUILD)/quaylink_<version>_amd64.deb.
package: build
	cmake --build $(BUILD) --target package

# The address-book fuzz target at length; new inputs are kept in $(BUILD)/fuzz-work/corpus.
fuzz: build
	fuzz/run.sh $(CURDIR)/$(BUILD)/fuzz/fuzz_addressbook $(FUZZ_SECONDS) $(CURDIR)/$(BUILD)/fuzz-work

# Every benchmark figure in one run, each against a baseline measured in the same run. Under a
# virtual X display when there is no display.
bench: build
	@if [ -z "$$DISPLAY" ]; then xvfb-run -a -s "-screen 0 1280x1024x24" bench/run.py $(BUILD); \
	else bench/run.py $(BUILD); fi

clean:
	rm -rf $(BUILD)

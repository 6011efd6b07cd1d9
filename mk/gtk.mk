# The Linux program (GTK 3) and its end-to-end tests.
#
#   make run        build drelbin and start it on the Wine prefix
#                   ($WINEPREFIX, else ~/.wine)
#   make demo       a small demo prefix in build/demo, the program started on
#                   it, then the repaired tax-rate tables
#   make test-gtk   the end-to-end tests: Xvfb, xdotool, a prefix made by Wine;
#                   screenshots in build/test-gtk/shots

GTK_PROGRAM := build/linux/shell/gtk/drelbin
GTK_DEMO_DIR := build/demo

.PHONY: gtk-program gtk-display run demo test-gtk

gtk-program: deps
	cmake --preset $(CMAKE_PRESET_LINUX) >/dev/null
	cmake --build --preset $(CMAKE_PRESET_LINUX) -j $(JOBS) --target drelbin

# A window needs a display: say so instead of failing inside GTK.
gtk-display:
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "drelbin shows a window, but there is no display (DISPLAY is not set)." >&2; \
	  echo "Run it from a desktop session, or under a virtual one: xvfb-run -a make $(MAKECMDGOALS)" >&2; \
	  exit 1; \
	fi

run: gtk-program gtk-display
	$(GTK_PROGRAM)

demo: gtk-program gtk-display
	@scripts/gtk-demo $(GTK_PROGRAM) $(GTK_DEMO_DIR)

test-gtk: build wine-template
	tests/shell/gtk/e2e_test.sh build/linux

TEST_TARGETS += test-gtk

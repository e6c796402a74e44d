#!/bin/sh
# Runs a command on a screen of its own that nobody sees: a 1024 x 768
# Xvfb with no window manager. The tests run there, and Velorn where there
# is no display.
exec xvfb-run -a -s "-screen 0 1024x768x24" "$@"

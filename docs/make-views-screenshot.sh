#!/bin/sh
# Builds the views screenshot program and writes docs/views.png (the channel views and the tiled
# preview in the README). Run from the checkout after `make build`.
set -e
cmake --build build --target views_screenshot
build/docs/views_screenshot docs/views.png

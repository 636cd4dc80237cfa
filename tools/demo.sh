#!/usr/bin/env bash
# Runs the uploader against a simulated receiver. The front ends are not built yet.
echo "make demo: the desktop and terminal front ends are not built yet; until they are,"
echo "'make test' exercises the program against the simulated receiver."

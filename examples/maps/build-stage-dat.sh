#!/bin/sh
# Rebuilds ../Stage.Dat from the text maps here: NN.txt is stage NN. The
# hand-made stages are drawn by make_maps.py, 03 and 04 are random stages.
# Usage: build-stage-dat.sh path/to/stagetool
set -e
tool=${1:?usage: build-stage-dat.sh path/to/stagetool}
cd "$(dirname "$0")"
python3 make_maps.py
"$tool" random 3 --seed 2024 -o 03.txt
"$tool" random 4 --seed 777 -o 04.txt
"$tool" pack . --file ../Stage.Dat
"$tool" list --file ../Stage.Dat

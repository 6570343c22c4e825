#!/bin/sh
# Rebuilds ../Stage.Dat from the text maps here and two random stages.
# Usage: build-stage-dat.sh path/to/stagetool
set -e
tool=${1:?usage: build-stage-dat.sh path/to/stagetool}
cd "$(dirname "$0")"
python3 make_maps.py
"$tool" random 3 --seed 2024 -o 03-random.txt
"$tool" random 4 --seed 777 -o 04-random.txt
rm -f ../Stage.Dat
"$tool" new --file ../Stage.Dat --count 0
for map in 0*.txt; do
    "$tool" import "$map" --file ../Stage.Dat
done
"$tool" list --file ../Stage.Dat

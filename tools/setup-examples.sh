#!/usr/bin/env bash
# Regenerates the example setups, one per model, with the program itself:
# the fuzz target's seed corpus (fuzz/corpus/setup/) and the examples at the
# end of docs/setup-format.md (everything after its "## One example per
# model" section's first paragraph). Run after a model gains or loses an
# input or a model joins the catalogue.
# Usage: tools/setup-examples.sh [program] (default: build/shell/morva99).
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/shell/morva99}
doc=docs/setup-format.md
corpus=fuzz/corpus/setup
rm -f "$corpus"/*.morva
mkdir -p "$corpus"
# The document up to the examples' introduction (its first blank line
# after the heading), then one section per model.
head=$(awk '/^## One example per model/ {inside=1} inside && /^$/ && ++blank == 2 {exit} {print}' "$doc")
{
  printf '%s\n' "$head"
  "$program" --list-models | while IFS=$'\t' read -r id path; do
    "$program" --model "$id" --output "$corpus/$id.morva"
    printf '\n### %s (`%s`)\n\n```json\n' "$path" "$id"
    cat "$corpus/$id.morva"
    printf '```\n'
  done
} > "$doc.new"
mv "$doc.new" "$doc"

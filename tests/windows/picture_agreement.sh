#!/usr/bin/env bash
# The data pictures through the system's decoders under Wine against the
# host's: ImageMagick's convert reads JPEG with libjpeg-turbo and PNG with
# libpng, the libraries of the Linux decoders (which agree with it to a
# level, tests/platform/picture_reference_test.cpp). convert writes each
# picture as raw RGBA; picture_decode_test.exe decodes the same files with
# the OLE picture loader and WIC and holds the two to its stated tolerance.
# Needs WINE_RUN and ImageMagick; run from the Windows build folder.
set -euo pipefail
: "${WINE_RUN:?the Wine runner}"
command -v convert > /dev/null || { echo "SKIP: convert is not installed"; exit 77; }
exe="tests/picture_decode_test.exe"
[ -f "$exe" ] || { echo "FAIL: $exe has not been built" >&2; exit 1; }
[ -d data ] || { echo "FAIL: no data folder beside the build" >&2; exit 1; }

reference="$(mktemp -d)"
trap 'rm -rf "$reference"' EXIT
count=0
while IFS= read -r -d '' picture; do
  convert "$picture" -colorspace sRGB -depth 8 "rgba:$reference/$(basename "$picture").rgba"
  count=$((count + 1))
done < <(find -L data \( -name '*.jpg' -o -name '*.png' \) -print0)
[ "$count" -ge 34 ] || { echo "FAIL: only $count pictures in data" >&2; exit 1; }

# Wine sees the host's root as drive Z:.
MIVEX_PICTURE_REFERENCE="Z:$reference" "$WINE_RUN" "$exe" --gtest_filter='PictureAgreement.*' 2>&1 |
  tee "$reference/out.txt"
# Skipped is not passed: the comparison must have run.
grep -q '^\[  PASSED  \] 1 test' "$reference/out.txt" || { echo "FAIL: no agreement" >&2; exit 1; }

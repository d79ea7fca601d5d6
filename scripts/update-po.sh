#!/bin/bash
# Regenerates the translation template po/language.pot from the sources and
# the XRC files, and merges it into every po/*.po.
#
#   scripts/update-po.sh                  template and all catalogues
#   scripts/update-po.sh --template FILE  only write a fresh template to FILE
#
# After merging, new texts show up untranslated and changed ones as fuzzy:
# translate them, remove the fuzzy flags, and the catalogue check passes.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
template="$root/po/language.pot"
only_template=no
if [ "${1:-}" = "--template" ]; then
  template=$2
  only_template=yes
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# wxrc turns the labels, titles and tooltips of the resources into _()
# calls that xgettext reads like any source file.
mkdir -p "$work/Themes"
for xrc in "$root"/Themes/*.xrc; do
  name=Themes/$(basename "$xrc")
  (cd "$root" && wxrc --gettext "$name") > "$work/$name.cpp"
done

(cd "$root" && find src -name '*.cpp' -o -name '*.h' | LC_ALL=C sort) > "$work/files"
(cd "$work" && find Themes -name '*.cpp' | LC_ALL=C sort) >> "$work/files"

xgettext --language=C++ --from-code=UTF-8 --sort-by-file --no-wrap \
  --keyword=_ --keyword=wxTRANSLATE --keyword=wxPLURAL:1,2 \
  --keyword=wxGETTEXT_IN_CONTEXT:1c,2 --keyword=wxGETTEXT_IN_CONTEXT_PLURAL:1c,2,3 \
  --add-comments=TRANSLATORS: \
  --package-name="Pelagrin GIF Animator" --package-version=2.0.9 \
  --copyright-holder=Pelagrin --msgid-bugs-address=support@example.com \
  --directory="$root" --directory="$work" --files-from="$work/files" \
  --output="$work/language.pot"
# The creation date alone would make every run a change.
sed -i '/^"POT-Creation-Date:/d' "$work/language.pot"
cp "$work/language.pot" "$template"
[ "$only_template" = yes ] && exit 0

for po in "$root"/po/*.po; do
  msgmerge --quiet --update --backup=none --no-wrap "$po" "$template"
done

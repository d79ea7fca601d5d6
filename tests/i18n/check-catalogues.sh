#!/bin/bash
# The translation template matches the sources, and every catalogue
# translates every message of it, without fuzzy entries, and passes
# "msgfmt --check". Names each message that fails.
set -u
root=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

# Without locations: moving a line of code does not make the template stale.
messages() { msgcat --no-location --no-wrap --sort-output "$1"; }

"$root/scripts/update-po.sh" --template "$work/fresh.pot" || exit 1
if ! diff -u <(messages "$root/po/language.pot") <(messages "$work/fresh.pot") > "$work/diff"; then
  echo "po/language.pot is out of date with the sources (+ new, - gone); run scripts/update-po.sh:"
  cat "$work/diff"
  failed=1
fi

for po in "$root"/po/*.po; do
  lang=$(basename "$po" .po)
  msgfmt --check -o /dev/null "$po" 2>&1 || { echo "$lang: msgfmt --check failed"; failed=1; }
  # Merged with the fresh template, a message missing from the catalogue
  # shows up untranslated and a changed one fuzzy.
  msgmerge --quiet --no-wrap -o "$work/$lang.po" "$po" "$work/fresh.pot"
  for kind in untranslated only-fuzzy; do
    msgattrib --$kind --no-obsolete --no-location --no-wrap "$work/$lang.po" | sed '1,/^$/d' > "$work/$kind"
    if [ -s "$work/$kind" ]; then
      echo "$lang: ${kind#only-} messages:"
      cat "$work/$kind"
      failed=1
    fi
  done
done
# Known mistakes that must not come back: language, a pattern in the
# translations (extended regular expression) and what is wrong with it,
# separated by tabs.
while IFS=$'\t' read -r lang pattern why; do
  found=$(msgattrib --translated --no-obsolete --no-location --no-wrap "$root/po/$lang.po" \
    | sed '1,/^$/d' | grep -E '^msgstr|^"' | grep -nE -- "$pattern")
  [ -z "$found" ] || { echo "$lang: $why:"; echo "$found"; failed=1; }
done <<'MISTAKES'
fr	 [:?!;»]|« |[0-9d] (s|px|pixels)\b	before : ? ! ; » and after «, and between a number and its unit, French puts a no-break space
zh_CN	图像	"picture" is 图片 throughout
zh_TW	第 %d 影格	a frame is counted with the measure word: 第 %d 個影格
ja	原因不明の理由	"a reason of unknown reason"
it	Inviaci	the messages address the user impersonally, not with "tu"
it	Se lo salvi	the messages address the user impersonally, not with "tu"
MISTAKES

# A label glued to a colon or to other fragments in code cannot take the
# colon, spacing and word order of another language: whole strings only.
glued=$(cd "$root" && grep -rnE '_\([^()]*\) *\+ *"[^"]*[:：%]|"[^"]*" *\+ *_\(' src)
[ -z "$glued" ] || { echo "texts assembled from translated fragments:"; echo "$glued"; failed=1; }
# The C library converts a narrow literal by its locale, and in the "C"
# locale a text beyond ASCII ("Save As…") comes out empty: such texts are
# wide literals (L"Save As…").
narrow=$(cd "$root" && grep -rnP '\b(_|wxGETTEXT_IN_CONTEXT|wxPLURAL|wxTRANSLATE)\((\s*"[^"]*",)?\s*"[^"]*[^\x00-\x7F]' src)
[ -z "$narrow" ] || { echo "narrow literals beyond ASCII given to translation (write L\"...\"):"; echo "$narrow"; failed=1; }

[ $failed -eq 0 ] && echo "Template and catalogues are complete."
exit $failed

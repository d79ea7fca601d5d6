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
[ $failed -eq 0 ] && echo "Template and catalogues are complete."
exit $failed

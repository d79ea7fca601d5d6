#!/bin/sh
# The strip's seven event types are part of the executable's interface: each
# must be defined in its dynamic symbol table.
symbols=$(nm -D --defined-only "${1:?executable}" | awk '{ print $NF }') || exit 1
status=0
for kind in ITEM_SELECTED ITEM_DESELECTED LEFT_CLICK RIGHT_CLICK MIDDLE_CLICK LEFT_DCLICK RETURN; do
    printf '%s\n' "$symbols" | grep -qx "wxEVT_COMMAND_THUMBNAIL_$kind" || { echo "not exported: $kind"; status=1; }
done
exit $status

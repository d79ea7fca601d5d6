#!/bin/sh
# The strip's seven event types are part of the executable's interface: each
# must be defined in its dynamic symbol table.
# Usage: exported-event-types.sh <executable>
executable="$1"
symbols=$(nm -D --defined-only "$executable") || exit 1
status=0
for name in \
    wxEVT_COMMAND_THUMBNAIL_ITEM_SELECTED \
    wxEVT_COMMAND_THUMBNAIL_ITEM_DESELECTED \
    wxEVT_COMMAND_THUMBNAIL_LEFT_CLICK \
    wxEVT_COMMAND_THUMBNAIL_RIGHT_CLICK \
    wxEVT_COMMAND_THUMBNAIL_MIDDLE_CLICK \
    wxEVT_COMMAND_THUMBNAIL_LEFT_DCLICK \
    wxEVT_COMMAND_THUMBNAIL_RETURN
do
    if ! printf '%s\n' "$symbols" | awk -v name="$name" '$NF == name { found = 1 } END { exit !found }'; then
        echo "not exported: $name"
        status=1
    fi
done
exit $status

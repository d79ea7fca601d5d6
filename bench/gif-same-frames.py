#!/usr/bin/env python3
"""Checks that other decoders show the same frames as PIL for one GIF.

Usage: gif-same-frames.py GIF NAME=FOLDER...

Each FOLDER holds one PNG per stored frame of GIF, in name order, as another
decoder composed them (ImageMagick's -coalesce, ffmpeg's frame output). Prints
"NAME same" or "NAME differs (...)" for each, comparing RGB where PIL's frame
is opaque, since decoders disagree only about what is behind the animation.
Exits 1 when any differs.
"""
import glob
import os
import sys

import numpy
from PIL import Image, ImageSequence


def pil_frames(path):
    with Image.open(path) as gif:
        return [numpy.asarray(frame.convert("RGBA")) for frame in ImageSequence.Iterator(gif)]


def first_difference(reference, folder):
    pictures = sorted(glob.glob(os.path.join(folder, "*.png")))
    if len(pictures) != len(reference):
        return "%d frames against %d" % (len(pictures), len(reference))
    for index, (expected, path) in enumerate(zip(reference, pictures)):
        with Image.open(path) as picture:
            shown = numpy.asarray(picture.convert("RGB"))
        if shown.shape[:2] != expected.shape[:2]:
            return "frame %d is %dx%d" % (index, shown.shape[1], shown.shape[0])
        opaque = expected[:, :, 3] == 255
        wrong = numpy.any(shown[opaque] != expected[:, :, :3][opaque], axis=1)
        if wrong.any():
            return "frame %d, %d pixels" % (index, int(wrong.sum()))
    return None


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    reference = pil_frames(sys.argv[1])
    status = 0
    for argument in sys.argv[2:]:
        name, folder = argument.split("=", 1)
        difference = first_difference(reference, folder)
        print("%s %s" % (name, "same" if difference is None else "differs (%s)" % difference))
        status |= difference is not None
    return status


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Compares what an animated GIF shows with the pictures it was made from,
over the displayed timeline.

Usage: gif-psnr.py [--delay D] GIF PICTURE...

Every source picture is shown for D hundredths of a second (default 10), one
after the other. The GIF is decoded and its frames composed with their disposal
by PIL (python3-pil), a decoder independent of the program's own. For each
source picture, the GIF frame on screen at the middle of the picture's time is
compared with it, so a frame that a writer merged with its neighbours counts for
every picture it stands for, and a writer that drops or shifts frames is judged
by what the viewer sees at that moment.

Prints one line of key=value pairs:
  mean_db, min_db   PSNR over the RGB channels (an exact frame counts as 99 dB)
  exact             source pictures shown exactly, out of all of them
  frames            frames stored in the GIF
  duration_cs       the GIF's total duration against the source's, in hundredths
With a --delay of 0 or pictures of another size than the GIF, the PSNR is "n/a".
"""
import sys

import numpy
from PIL import Image, ImageSequence

EXACT_DB = 99.0


def read_arguments(argv):
    delay = 10
    if len(argv) > 1 and argv[1] == "--delay":
        delay = int(argv[2])
        argv = argv[:1] + argv[3:]
    if len(argv) < 3:
        sys.exit(__doc__)
    return delay, argv[1], argv[2:]


def displayed_frames(path):
    """The composed frames as RGB arrays, with each one's delay in hundredths."""
    frames = []
    with Image.open(path) as gif:
        for frame in ImageSequence.Iterator(gif):
            rgba = frame.convert("RGBA")
            # A pixel that no frame has covered shows what is behind the
            # animation; black stands for it, as the source pictures are opaque.
            behind = Image.new("RGBA", rgba.size, (0, 0, 0, 255))
            behind.alpha_composite(rgba)
            duration_ms = frame.info.get("duration", 0) or 0
            frames.append((numpy.asarray(behind.convert("RGB"), dtype=numpy.int16), int(round(duration_ms / 10))))
    return frames


def frame_at(frames, time_cs):
    """The index of the frame on screen at time_cs; the last one after the end."""
    start = 0
    for index, (_, delay) in enumerate(frames):
        if time_cs < start + delay:
            return index
        start += delay
    return len(frames) - 1


def psnr(a, b):
    mse = numpy.mean((a.astype(numpy.int32) - b) ** 2)
    return EXACT_DB if mse == 0 else min(EXACT_DB, 10 * numpy.log10(255.0 * 255.0 / mse))


def main():
    delay, gif_path, sources = read_arguments(sys.argv)
    frames = displayed_frames(gif_path)
    total = sum(d for _, d in frames)
    values = []
    exact = 0
    comparable = delay > 0
    for index, source_path in enumerate(sources):
        with Image.open(source_path) as picture:
            source = numpy.asarray(picture.convert("RGB"), dtype=numpy.int16)
        shown = frames[frame_at(frames, index * delay + delay / 2.0)][0]
        if not comparable or source.shape != shown.shape:
            comparable = False
            break
        value = psnr(source, shown)
        exact += value == EXACT_DB
        values.append(value)
    if comparable and values:
        quality = "mean_db=%.2f min_db=%.2f exact=%d/%d" % (numpy.mean(values), min(values), exact, len(sources))
    else:
        quality = "mean_db=n/a min_db=n/a exact=n/a"
    print("%s frames=%d duration_cs=%d/%d" % (quality, len(frames), total, delay * len(sources)))


if __name__ == "__main__":
    main()

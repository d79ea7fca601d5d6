#!/usr/bin/env python3
"""save-bench's GIFs as PIL, a decoder independent of the program's, shows them.

Usage: pil-reads-save.py SAVE_BENCH GIF_PSNR

Flat frames (a square that moves, stops for a frame, and a frame with a few
changed pixels) must be shown exactly and for their whole time, with and
without the stored differences; frames of many colours must stay close.
"""
import os
import subprocess
import sys
import tempfile

from PIL import Image, ImageDraw

DELAY = 7


def flat_frames(folder):
    paths = []
    for index, x in enumerate([4, 12, 12, 20, 20]):
        picture = Image.new("RGB", (48, 32), (30, 60, 90))
        ImageDraw.Draw(picture).rectangle([x, 8, x + 9, 17], fill=(250, 200, 0))
        if index == 4:
            picture.putpixel((1, 1), (255, 255, 255))
            picture.putpixel((46, 30), (0, 0, 0))
        paths.append(os.path.join(folder, "flat-%d.png" % index))
        picture.save(paths[-1])
    return paths


def gradient_frames(folder):
    paths = []
    for index in range(4):
        picture = Image.new("RGB", (64, 48))
        picture.putdata([((x * 4 + index * 9) % 256, y * 5, (x + y) * 2 % 256) for y in range(48) for x in range(64)])
        paths.append(os.path.join(folder, "gradient-%d.png" % index))
        picture.save(paths[-1])
    return paths


def judge(save_bench, gif_psnr, folder, name, options, pictures):
    gif = os.path.join(folder, name + ".gif")
    subprocess.run([save_bench, "--delay", str(DELAY)] + options + [gif] + pictures, check=True,
                   stdout=subprocess.DEVNULL)
    line = subprocess.run([sys.executable, gif_psnr, "--delay", str(DELAY), gif] + pictures, check=True,
                          capture_output=True, text=True).stdout
    return dict(item.split("=", 1) for item in line.split())


def main():
    save_bench, gif_psnr = sys.argv[1:3]
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        flat = flat_frames(folder)
        gradient = gradient_frames(folder)
        whole = "%d/%d" % (DELAY * len(flat), DELAY * len(flat))
        cases = [
            ("flat-changes", [], flat, lambda r: r["exact"] == "5/5" and r["duration_cs"] == whole),
            ("flat-whole-frames", ["--no-diff", "--quality", "100"], flat,
             lambda r: r["exact"] == "5/5" and r["frames"] == "5"),
            ("flat-once", ["--repeat", "1"], flat, lambda r: r["exact"] == "5/5"),
            ("gradient", [], gradient, lambda r: float(r["min_db"]) >= 30),
        ]
        for name, options, pictures, holds in cases:
            result = judge(save_bench, gif_psnr, folder, name, options, pictures)
            if not holds(result):
                failures.append("%s: %s" % (name, result))
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

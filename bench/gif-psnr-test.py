#!/usr/bin/env python3
"""Checks that gif-psnr.py judges a GIF by what is on screen while each source
picture is due: merged frames count for every picture they stand for, a frame
shown late costs PSNR, and pictures of another size are not compared."""
import os
import subprocess
import sys
import tempfile

from PIL import Image

TOOL = os.path.join(os.path.dirname(os.path.abspath(__file__)), "gif-psnr.py")
RED, BLUE, DARK_RED = (200, 30, 30), (30, 30, 200), (190, 30, 30)


def picture(folder, name, colour, size=(8, 6)):
    path = os.path.join(folder, name)
    Image.new("RGB", size, colour).save(path)
    return path


def gif(folder, name, colours, durations_ms):
    path = os.path.join(folder, name)
    frames = [Image.new("RGB", (8, 6), c).quantize(colors=4) for c in colours]
    frames[0].save(path, save_all=True, append_images=frames[1:], duration=durations_ms, loop=0, optimize=False)
    return path


def measure(delay, gif_path, pictures):
    result = subprocess.run([sys.executable, TOOL, "--delay", str(delay), gif_path] + pictures,
                            capture_output=True, text=True, check=True)
    return dict(pair.split("=") for pair in result.stdout.split())


def main():
    failures = 0
    with tempfile.TemporaryDirectory() as folder:
        red, blue, red2 = (picture(folder, n, c) for n, c in (("r.png", RED), ("b.png", BLUE), ("r2.png", RED)))
        big = picture(folder, "big.png", RED, (16, 12))
        cases = [
            # name, delay, GIF frames with durations, source pictures, expected fields
            ("one frame per picture", 10, ([RED, BLUE], [100, 100]), [red, blue],
             {"exact": "2/2", "frames": "2", "duration_cs": "20/20"}),
            ("merged frame stands for two pictures", 10, ([RED, BLUE], [200, 100]), [red, red2, blue],
             {"exact": "3/3", "frames": "2", "duration_cs": "30/30"}),
            ("frame shown too long hides the next", 10, ([RED, BLUE], [200, 100]), [red, blue],
             {"exact": "1/2", "duration_cs": "30/20"}),
            ("close colour is not exact", 10, ([DARK_RED], [100]), [red], {"exact": "0/1"}),
            ("pictures of another size", 10, ([RED], [100]), [big], {"mean_db": "n/a"}),
        ]
        for index, (name, delay, (colours, durations), pictures, expected) in enumerate(cases):
            fields = measure(delay, gif(folder, "c%d.gif" % index, colours, durations), pictures)
            wrong = {k: fields.get(k) for k, v in expected.items() if fields.get(k) != v}
            if wrong:
                failures += 1
                print("FAILED %s: expected %s, got %s" % (name, expected, fields))
    print("%d passed, %d failed" % (len(cases) - failures, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Writes a terminal-recording-like frame set: a shell session typed a few
characters per frame, with coloured output that scrolls the screen once it is
full, then an editor that redraws the whole screen and a blinking cursor.
Monospaced text on a dark ground, drawn without anti-aliasing as a bitmap-font
terminal shows it, so that every frame has a few colours (fewer than 256).

Usage: make-term-frames.py OUTDIR [COUNT] [WxH]   (default 80 frames, 640x384)
Needs python3-pil. The frames are the same on every run on one machine; the
font comes from the system (DejaVu Sans Mono where installed).
"""
import os
import sys

from PIL import Image, ImageDraw, ImageFont

BACKGROUND = (30, 30, 30)
COLOURS = {
    "n": (204, 204, 204),  # plain text
    "p": (80, 250, 123),   # prompt
    "b": (98, 160, 234),   # directories, keywords
    "y": (241, 250, 140),  # warnings, hashes
    "r": (255, 85, 85),    # errors
    "g": (80, 200, 80),    # passed
    "d": (110, 110, 110),  # editor line numbers
}
PROMPT = [("p", "dev@box"), ("n", ":"), ("b", "~/anim"), ("n", "$ ")]

COMMITS = ["Palette of each frame from the histogram", "Writer takes a sink",
           "Frames that did not change are merged", "Fix off-by-one in the LZW code size",
           "Loop count extension", "Tests compare composed frames", "README: sizes against the peers",
           "Quantiser keeps exact colours", "Delay in hundredths", "First frame"]

# What the session does: commands typed by the user, and the output each prints.
SESSION = [
    ("ls -l", [
        [("n", "total 48")],
        [("n", "drwxr-xr-x 2 dev dev  4096 Dec  7 09:12 "), ("b", "frames")],
        [("n", "-rw-r--r-- 1 dev dev  1873 Dec  7 09:10 CMakeLists.txt")],
        [("n", "-rw-r--r-- 1 dev dev 12044 Dec  7 09:11 README.md")],
        [("n", "drwxr-xr-x 4 dev dev  4096 Dec  7 09:12 "), ("b", "src")],
    ]),
    ("cmake --build build -j2", [
        [("n", "[ 12%] Building CXX object src/CMakeFiles/anim.dir/main.cpp.o")],
        [("n", "[ 25%] Building CXX object src/CMakeFiles/anim.dir/frame.cpp.o")],
        [("n", "[ 37%] Building CXX object src/CMakeFiles/anim.dir/palette.cpp.o")],
        [("y", "src/palette.cpp:88:12: warning: unused variable 'spare'")],
        [("n", "[ 50%] Building CXX object src/CMakeFiles/anim.dir/writer.cpp.o")],
        [("n", "[ 62%] Linking CXX static library libanim.a")],
        [("n", "[ 75%] Building CXX object tests/CMakeFiles/tests.dir/writer_test.cpp.o")],
        [("n", "[100%] Linking CXX executable tests/tests")],
    ]),
    ("ctest --test-dir build", [
        [("n", "Test project /home/dev/anim/build")],
        [("n", "    Start 1: writer.header")],
        [("n", "1/4 Test #1: writer.header ....................   "), ("g", "Passed"), ("n", "    0.01 sec")],
        [("n", "2/4 Test #2: writer.palette ...................   "), ("g", "Passed"), ("n", "    0.02 sec")],
        [("n", "3/4 Test #3: writer.frames ....................***"), ("r", "Failed"), ("n", "    0.05 sec")],
        [("n", "4/4 Test #4: reader.roundtrip .................   "), ("g", "Passed"), ("n", "    0.03 sec")],
        [("y", "75% tests passed, 1 tests failed out of 4")],
    ]),
    ("git status --short", [
        [("r", " M"), ("n", " src/palette.cpp")],
        [("r", " M"), ("n", " src/writer.cpp")],
        [("r", "??"), ("n", " frames/")],
    ]),
    ("git log --oneline -10", [
        [("y", "%07x" % (0x3f9a1c2 + 7919 * k * k)), ("n", " " + message)] for k, message in enumerate(COMMITS)
    ]),
    ("du -sh frames/*", [
        [("n", "%-7s frames/f%03d.png" % ("%dK" % (40 + (k * 37) % 90), k))] for k in range(1, 9)
    ]),
    ("vim src/writer.cpp", []),
]

# The editor's screen, which replaces the shell's at once.
EDITOR_SOURCE = [
    [("b", "#include"), ("n", " \"writer.h\"")],
    [],
    [("b", "namespace"), ("n", " {")],
    [("d", "// GIF stores delays in hundredths of a second.")],
    [("b", "void"), ("n", " WriteGraphicControl(Sink& sink, int delay, int disposal)")],
    [("n", "{")],
    [("n", "    sink.Put(0x21); sink.Put(0xf9); sink.Put(4);")],
    [("n", "    sink.Put(disposal << 2);")],
    [("n", "    sink.PutWord(delay);")],
    [("n", "    sink.Put(0); sink.Put(0);")],
    [("n", "}")],
    [("n", "} "), ("d", "// namespace")],
]


def editor_screen(rows):
    lines = [[("d", "%3d " % (k + 1))] + line for k, line in enumerate(EDITOR_SOURCE)]
    lines += [[("b", "~")]] * (rows - len(lines) - 1)
    lines.append([("n", "\"src/writer.cpp\" 12L, 318B")])
    return lines


def script_steps(rows):
    """Yields the screen's lines after each frame and the cursor's state:
    typing goes a few characters a frame, output a line or two a frame."""
    lines = []
    for command, output in SESSION:
        typed = ""
        while len(typed) < len(command):
            typed = command[:len(typed) + 3]
            yield lines + [PROMPT + [("n", typed)]], "typing"
        lines.append(PROMPT + [("n", command)])
        for k in range(0, len(output), 2):
            lines.extend(output[k:k + 2])
            yield lines, "output"
    while True:
        yield editor_screen(rows), "idle"


def draw_frame(lines, cursor_on, size, font, cell):
    image = Image.new("RGB", size, BACKGROUND)
    draw = ImageDraw.Draw(image)
    draw.fontmode = "1"
    rows = size[1] // cell[1]
    x, y = 4, 2
    for line in lines[-rows:]:
        x = 4
        for colour, text in line:
            draw.text((x, y), text, font=font, fill=COLOURS[colour])
            x += len(text) * cell[0]
        y += cell[1]
    if cursor_on:
        top = y - cell[1]
        draw.rectangle((x, top + 2, x + cell[0] - 1, top + cell[1] - 1), fill=COLOURS["n"])
    return image


def load_font(size):
    for path in ("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
                 "/usr/share/fonts/truetype/noto/NotoSansMono-Regular.ttf"):
        if os.path.exists(path):
            return ImageFont.truetype(path, size)
    return ImageFont.load_default()


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 80
    width, height = (int(v) for v in (sys.argv[3] if len(sys.argv) > 3 else "640x384").split("x"))
    os.makedirs(out, exist_ok=True)
    font = load_font(13)
    cell = (int(round(font.getlength("M"))), 17)
    steps = script_steps(height // cell[1])
    for n in range(count):
        lines, state = next(steps)
        # The cursor is steady while typing, hidden while a command prints and blinks when idle.
        cursor_on = state == "typing" or (state == "idle" and (n // 2) % 2 == 0)
        draw_frame(lines, cursor_on, (width, height), font, cell).save(os.path.join(out, "f%03d.png" % (n + 1)))


if __name__ == "__main__":
    main()

#!/usr/bin/python3
"""Draws the drop-cap letters of the browser client into site/letters/.

Each capital from А to Я that has an image name gets a PNG: the letter in
DejaVu Serif Bold on a softly tinted square with a thin frame, transparent
outside it, so it sits on the light and the dark page alike. The font comes
from Debian's fonts-dejavu-core and Pillow from python3-pil; the font's
licence is copied beside the images. Run it again after changing the look:

    scripts/letters.py
"""
import os
import shutil
import sys

from PIL import Image, ImageDraw, ImageFont

FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf"
FONT_LICENSE = "/usr/share/doc/fonts-dejavu-core/copyright"

# The image names the web host writes into its <img> tags; Ъ and Ь have none.
# The files are stored in lower case: the server lower-cases every address
# before it looks for the file.
IMAGE_NAMES = {
    "А": "A", "Б": "B", "В": "V", "Г": "G", "Д": "D", "Е": "E", "Ж": "ZH",
    "З": "Z", "И": "I", "Й": "J", "К": "K", "Л": "L", "М": "M", "Н": "N",
    "О": "O", "П": "P", "Р": "R", "С": "S", "Т": "T", "У": "U", "Ф": "F",
    "Х": "H", "Ц": "C", "Ч": "CH", "Ш": "SH", "Щ": "SHCH", "Ы": "Y",
    "Э": "EH", "Ю": "YU", "Я": "YA",
}

SIZE = 144           # pixels; shown at about a third of that on a plain screen
INK = (150, 78, 42)  # the page's accent colour
FILL_ALPHA = 30
FRAME_ALPHA = 140


def fitted_font(letter):
    """The largest size up to the usual one at which the letter's ink leaves
    a margin inside the frame (Ж and Щ are wider than the rest)."""
    size = int(SIZE * 0.6)
    while True:
        font = ImageFont.truetype(FONT, size)
        left, top, right, bottom = font.getbbox(letter)
        if right - left <= SIZE * 0.7 and bottom - top <= SIZE * 0.66:
            return font
        size -= 2


def draw_letter(letter, font):
    image = Image.new("RGBA", (SIZE, SIZE), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    inset = 4
    draw.rounded_rectangle(
        (inset, inset, SIZE - 1 - inset, SIZE - 1 - inset), radius=10,
        fill=INK + (FILL_ALPHA,), outline=INK + (FRAME_ALPHA,), width=3)
    # Centre the glyph's ink, not its advance box, so wide and narrow
    # letters alike sit in the middle of the square.
    left, top, right, bottom = draw.textbbox((0, 0), letter, font=font)
    x = (SIZE - (right - left)) / 2 - left
    y = (SIZE - (bottom - top)) / 2 - top
    draw.text((x, y), letter, font=font, fill=INK + (255,))
    return image


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    folder = os.path.join(root, "site", "letters")
    os.makedirs(folder, exist_ok=True)
    for letter, name in IMAGE_NAMES.items():
        draw_letter(letter, fitted_font(letter)).save(
            os.path.join(folder, name.lower() + ".png"), optimize=True)
    shutil.copyfile(FONT_LICENSE, os.path.join(folder, "font-license.txt"))
    print(f"{len(IMAGE_NAMES)} letters written to {folder}")
    return 0


if __name__ == "__main__":
    sys.exit(main())

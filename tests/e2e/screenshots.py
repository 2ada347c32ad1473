"""Screenshots of the test display, kept as PNG artifacts and read as RGB."""
import os
import subprocess

from wine import BUILD

ARTIFACTS = os.path.join(BUILD, 'e2e-artifacts')


class Screenshot:
    """The whole X screen, kept as a PNG artifact and read as raw RGB."""

    def __init__(self, display, name):
        os.makedirs(ARTIFACTS, exist_ok=True)
        self.png = os.path.join(ARTIFACTS, name + '.png')
        subprocess.run(['import', '-display', display, '-window', 'root', self.png], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        ppm = subprocess.run(['convert', self.png, '-depth', '8', 'ppm:-'], check=True, stdout=subprocess.PIPE,
                             timeout=30).stdout
        magic, width, height, _, self.data = ppm.split(maxsplit=4)  # "P6 <w> <h> 255" then RGB triples
        self.width, self.height = int(width), int(height)

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.data[i:i + 3])

    def colours_in(self, left, top, right, bottom):
        """The set of colours inside a rectangle (right and bottom excluded)."""
        return {self.pixel(x, y) for y in range(max(top, 0), min(bottom, self.height))
                for x in range(max(left, 0), min(right, self.width))}


def hex_colour(text):
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))

#!/usr/bin/python3
"""PNG files of every colour type and depth made by other programs, with Pillow's decodes.

  png_conformance.py make DIR   writes DIR/<name>.png, DIR/<name>.rgba (Pillow's decode: rows
                                top-down, red, green, blue, opacity; 16-bit samples keep their
                                high byte) and DIR/manifest.tsv:
                                name width height colour_type bit_depth interlace chunks maker
  png_conformance.py read FILE.. writes FILE.rgba beside each file and prints
                                name width height dpi_x dpi_y mode

Pillow writes what it can; ImageMagick (/usr/bin/convert) the 2- and 4-bit grey, the 16-bit
colour, the grey with opacity at 16 bits and the interlaced files. Without ImageMagick those
files are missing from the manifest. Exits 3 when Pillow or numpy cannot be imported.
"""
import os
import struct
import subprocess
import sys
import zlib

try:
    import numpy as np
    from PIL import Image, PngImagePlugin
except ImportError:
    sys.exit(3)

CONVERT = "/usr/bin/convert"


def chunks_of(path):
    data = open(path, "rb").read()
    at, names, ihdr = 8, [], None
    while at + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        kind = kind.decode("latin-1")
        if kind == "IHDR":
            ihdr = struct.unpack(">IIBBBBB", data[at + 8:at + 21])
        if kind not in names:
            names.append(kind)
        at += 12 + length
    return ihdr, names


def with_chunk(source, target, kind, payload):
    """Copies a PNG file with one more chunk before its first IDAT."""
    data = open(source, "rb").read()
    at = data.index(b"IDAT") - 4
    chunk = struct.pack(">I", len(payload)) + kind + payload + struct.pack(">I", zlib.crc32(kind + payload))
    open(target, "wb").write(data[:at] + chunk + data[at:])


def reference(im):
    """Pillow's decode as RGBA bytes; 16-bit grey keeps its high byte."""
    if im.mode in ("I", "I;16", "I;16B"):
        grey16 = np.array(im, dtype=np.uint32)
        grey = (grey16 >> 8).astype(np.uint8)
        alpha = np.full(grey.shape, 255, np.uint8)
        if "transparency" in im.info:
            alpha[grey16 == im.info["transparency"]] = 0
        return np.dstack([grey, grey, grey, alpha]).tobytes()
    return np.array(im.convert("RGBA")).tobytes()


def picture(w, h, seed):
    rng = np.random.default_rng(seed)
    y, x = np.mgrid[0:h, 0:w]
    rgb = np.dstack([(x * 255 // max(w - 1, 1)), (y * 255 // max(h - 1, 1)), ((x + y) * 7) % 256])
    rgb = (rgb + rng.integers(0, 24, rgb.shape)).clip(0, 255).astype(np.uint8)
    return rgb


def make(out):
    w, h = 37, 23  # odd sizes: partial bytes at the ends of 1-, 2- and 4-bit rows
    rgb = picture(w, h, 7)
    alpha = ((np.arange(w)[None, :] * 7 + np.arange(h)[:, None] * 11) % 256).astype(np.uint8)
    base = Image.fromarray(rgb, "RGB")
    files = []

    def save(name, im, **kw):
        path = f"{out}/{name}.png"
        im.save(path, **kw)
        files.append((name, "pillow"))

    text = PngImagePlugin.PngInfo()
    text.add_text("Title", "conformance")
    text.add_text("Comment", "compressed text " * 20, zip=True)
    text.add_itxt("Description", "국제 문자", lang="ko")
    save("rgb8", base, pnginfo=text, dpi=(300, 300))
    save("rgba8", Image.fromarray(np.dstack([rgb, alpha]), "RGBA"))
    save("rgb8_trns", base, transparency=tuple(int(v) for v in rgb[3, 5]))
    grey = base.convert("L")
    save("grey8", grey, dpi=(96, 120))
    save("grey8_trns", grey, transparency=int(np.array(grey)[2, 2]))
    save("grey1", grey.point(lambda v: 255 if v > 128 else 0).convert("1"))
    save("greyalpha8", Image.fromarray(np.dstack([np.array(grey), alpha]), "LA"))
    grey16 = (np.array(grey, dtype=np.uint16) * 257 + np.arange(w, dtype=np.uint16)[None, :]).astype(np.uint16)
    im16 = Image.frombytes("I;16", (w, h), grey16.tobytes())
    save("grey16", im16)
    # Pillow writes no transparency for 16-bit grey: the chunk goes in beside its file.
    with_chunk(f"{out}/grey16.png", f"{out}/grey16_trns.png", b"tRNS", struct.pack(">H", int(grey16[4, 4])))
    files.append(("grey16_trns", "pillow"))
    for bits, colours in ((1, 2), (2, 4), (4, 16), (8, 256)):
        pal = base.quantize(colours, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
        save(f"palette{bits}", pal, bits=bits)
    pal = base.quantize(16, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    save("palette4_trns", pal, bits=4, transparency=3)
    pal8 = base.quantize(200, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    save("palette8_alphas", pal8, transparency=bytes((i * 37) % 256 for i in range(200)))
    second = Image.fromarray(255 - rgb, "RGB")
    save("animated", base, save_all=True, append_images=[second], duration=100)

    if os.path.exists(CONVERT):
        src = f"{out}/rgba8.png"
        grey = f"{out}/grey8.png"

        def grey_bits(bits):
            return [grey, "-colorspace", "Gray", "-posterize", str(1 << bits), "-define", f"png:bit-depth={bits}",
                    "-define", "png:color-type=0"]

        def sixteen(source, colour_type):
            return [source, "-depth", "16", "-define", "png:bit-depth=16", "-define", f"png:color-type={colour_type}"]

        made = [
            ("grey2_im", grey_bits(2)),
            ("grey4_im", grey_bits(4)),
            ("rgb16_im", sixteen(f"{out}/rgb8.png", 2)),
            ("rgba16_im", sixteen(src, 6)),
            ("greyalpha16_im", sixteen(f"{out}/greyalpha8.png", 4)),
            ("rgb8_interlaced_im", [f"{out}/rgb8.png", "-interlace", "PNG", "-define", "png:color-type=2"]),
            ("rgba16_interlaced_im", sixteen(src, 6) + ["-interlace", "PNG"]),
            ("palette_interlaced_im", [f"{out}/palette1.png", "-interlace", "PNG"]),
            ("palette16_interlaced_im", [f"{out}/rgb8.png", "+dither", "-colors", "16", "-interlace", "PNG"]),
            ("grey2_interlaced_im", grey_bits(2) + ["-interlace", "PNG"]),
            ("grey16_interlaced_im", sixteen(grey, 0) + ["-interlace", "PNG"]),
            ("gamma_im", [f"{out}/rgb8.png", "-set", "gamma", "0.8", "-define", "png:include-chunk=gAMA,tEXt",
                          "-define", "png:color-type=2"]),
        ]
        for name, args in made:
            target = f"{out}/{name}.png"
            subprocess.run([CONVERT, *args, target], check=True)
            files.append((name, "imagemagick"))

    with open(f"{out}/manifest.tsv", "w") as manifest:
        for name, maker in files:
            path = f"{out}/{name}.png"
            with Image.open(path) as im:
                im.load()
                data = reference(im)
                size = im.size
            open(f"{out}/{name}.rgba", "wb").write(data)
            ihdr, names = chunks_of(path)
            manifest.write("\t".join(str(v) for v in (name, size[0], size[1], ihdr[3], ihdr[2], ihdr[6],
                                                        ",".join(names), maker)) + "\n")


def read(paths):
    for path in paths:
        with Image.open(path) as im:
            im.load()
            open(path + ".rgba", "wb").write(reference(im))
            dpi = im.info.get("dpi", (0, 0))
            print(os.path.basename(path), im.size[0], im.size[1], round(dpi[0]), round(dpi[1]), im.mode)


if __name__ == "__main__":
    if sys.argv[1] == "make":
        make(sys.argv[2])
    else:
        read(sys.argv[2:])

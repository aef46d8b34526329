#!/usr/bin/env python3
"""Writes the hand-made fuzz seeds: small files of every kind each reader accepts, and a few it refuses.

Run from anywhere: python3 fuzz/make_seeds.py. The phase seeds come from the phase tool, and a few small
sprite sheets and pieces of music from the asset tool's output (build/data); see the README."""
import os
import struct

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def write(target, name, data):
    os.makedirs(os.path.join(ROOT, target), exist_ok=True)
    if isinstance(data, str):
        data = data.encode()
    with open(os.path.join(ROOT, target, name), "wb") as f:
        f.write(data)


# ----- BMP: 1, 4, 8 bits with a palette, 24 and 32 bits, bottom-up and top-down -----
def bmp(w, h, bpp, rows, palette=b"", colors=0, compression=0, header=40):
    stride = ((w * bpp + 31) // 32) * 4
    pixels = b"".join(r.ljust(stride, b"\0") for r in rows)
    offset = 14 + header + len(palette)
    info = struct.pack("<IiiHHIIiiII", header, w, h, 1, bpp, compression, len(pixels), 2835, 2835, colors, 0)
    info = info.ljust(header, b"\0")
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + info + palette + pixels


gray4 = b"".join(bytes((v, v, v, 0)) for v in (0, 255, 128, 64))
write("bmp_file", "1bit.bmp", bmp(9, 2, 1, [b"\xaa\x80", b"\x55\x00"], gray4[:8], 2))
write("bmp_file", "4bit.bmp", bmp(3, 2, 4, [b"\x01\x20", b"\x33\x10"], gray4, 4))
write("bmp_file", "8bit_topdown.bmp", bmp(2, -2, 8, [b"\x00\x01", b"\x02\x03"], gray4, 0))
write("bmp_file", "24bit.bmp", bmp(2, 2, 24, [b"\x00\x00\xff\x00\xff\x00", b"\xff\x00\x00\xff\xff\xff"]))
write("bmp_file", "32bit_bitfields.bmp",
      bmp(2, 1, 32, [b"\x01\x02\x03\x00\x04\x05\x06\x00"], compression=3, header=56))
write("bmp_file", "os2.bmp", bmp(1, 1, 24, [b"\x00\x00\x00"], header=12))
write("bmp_file", "rle8.bmp", bmp(2, 1, 8, [b"\x00\x01"], gray4, 4, compression=1))


# ----- WAV: 8-bit mono, 16-bit stereo, extra and odd-sized chunks, a cut data chunk -----
def chunk(tag, body):
    return tag + struct.pack("<I", len(body)) + body + (b"\0" if len(body) % 2 else b"")


def wav(channels, rate, bits, samples, extra=b"", data_size=None):
    block = channels * bits // 8
    fmt = chunk(b"fmt ", struct.pack("<HHIIHH", 1, channels, rate, rate * block, block, bits))
    data = b"data" + struct.pack("<I", len(samples) if data_size is None else data_size) + samples
    body = b"WAVE" + fmt + extra + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


write("wav_file", "mono8.wav", wav(1, 11025, 8, bytes((128, 200, 255, 60, 0, 128))))
write("wav_file", "stereo16.wav", wav(2, 22050, 16, struct.pack("<8h", 0, 0, 32767, -32768, 1000, -1000, 5, 7)))
write("wav_file", "chunks.wav", wav(1, 44100, 16, struct.pack("<3h", 1, 2, 3), chunk(b"LIST", b"INFOabc")))
write("wav_file", "cut.wav", wav(2, 48000, 16, struct.pack("<4h", 1, 2, 3, 4), data_size=4000))
write("wav_file", "float.wav", b"RIFF\x24\0\0\0WAVE" + chunk(b"fmt ", struct.pack("<HHIIHH", 3, 1, 8000, 32000, 4, 32)))


# ----- MIDI: format 0 and 1, tempo changes, running status, system exclusive, SMPTE timing -----
def track(events):
    return b"MTrk" + struct.pack(">I", len(events)) + events


def midi(fmt, division, tracks):
    return b"MThd" + struct.pack(">IHHh", 6, fmt, len(tracks), division) + b"".join(tracks)


END = b"\x00\xff\x2f\x00"
TEMPO = b"\x00\xff\x51\x03\x07\xa1\x20"  # 500,000 us a quarter note
notes = b"\x00\x90\x3c\x40\x81\x70\x3c\x00\x00\x3e\x40\x60\x80\x3e\x00"  # running status, a two-byte delta
write("midi_file", "format0.mid", midi(0, 480, [track(TEMPO + b"\x00\xc0\x05" + notes + END)]))
write("midi_file", "format1.mid", midi(1, 96, [track(TEMPO + b"\x83\x00\xff\x51\x03\x0f\x42\x40" + END),
                                                track(b"\x00\xf0\x03\x7e\x7f\xf7" + notes + END)]))
write("midi_file", "smpte.mid", midi(0, -((25 << 8) - 40), [track(notes + END)]))
write("midi_file", "no_end.mid", midi(0, 480, [track(notes)]))

# ----- Key scripts of the headless runner -----
write("key_script", "game.txt", "# start, fire, move, pause, quit\n100 press 32\n200 down 32\n\n 900 up 32\n"
      "1000 down 37\r\n1500 up 37\n2000 press 80\n2500 press 80\n3000 press 27\n")
write("key_script", "same_time.txt", "50 down 39\n50 up 39\n50 press 13\n0 press 0\n2147483647 press 32767\n")
write("key_script", "bad.txt", "10 press\n")

# ----- The desktop settings file -----
write("settings", "written.conf", "# Vartenos settings, written by the game (F11 or Alt+Enter switch full screen)\n"
      "fullscreen=0\nwindow_width=1280\nwindow_height=960\n")
write("settings", "edited.conf", "  fullscreen = 1 \r\n\n# a comment\nwindow_width=160\nwindow_height=16384\n"
      "future_setting=yes\n")
write("settings", "damaged.conf", "fullscreen=2\nwindow_width=99999999\nwindow_height\n=\n")

# ----- Soundfonts: one piano preset and one drum kit over a single short sample -----
def sf_list(kind, chunks):
    body = kind + b"".join(chunks)
    return b"LIST" + struct.pack("<I", len(body)) + body


def soundfont(sample_points=64, key_range=None):
    name = lambda s: s.encode().ljust(20, b"\0")
    info = sf_list(b"INFO", [chunk(b"ifil", struct.pack("<HH", 2, 1)), chunk(b"INAM", b"seed\0\0")])
    wave = struct.pack(f"<{sample_points}h", *((i * 997) % 4000 - 2000 for i in range(sample_points)))
    sdta = sf_list(b"sdta", [chunk(b"smpl", wave + b"\0" * 92)])
    phdr = (name("Piano") + struct.pack("<HHHIII", 0, 0, 0, 0, 0, 0) +
            name("Drums") + struct.pack("<HHHIII", 0, 128, 1, 0, 0, 0) +
            name("EOP") + struct.pack("<HHHIII", 0, 0, 2, 0, 0, 0))
    pbag = struct.pack("<6H", 0, 0, 1, 0, 2, 0)
    pgen = struct.pack("<6H", 41, 0, 41, 0, 0, 0)  # both presets play instrument 0
    igen = (struct.pack("<HBB", 43, *key_range) if key_range else b"") + struct.pack("<4H", 53, 0, 0, 0)
    inst = name("Tone") + struct.pack("<H", 0) + name("EOI") + struct.pack("<H", 1)
    ibag = struct.pack("<4H", 0, 0, len(igen) // 4 - 1, 0)
    shdr = (name("Wave") + struct.pack("<IIIIIBbHH", 0, sample_points, 8, sample_points - 8, 22050, 60, 0, 0, 1) +
            name("EOS") + struct.pack("<IIIIIBbHH", 0, 0, 0, 0, 0, 0, 0, 0, 0))
    pdta = sf_list(b"pdta", [chunk(b"phdr", phdr), chunk(b"pbag", pbag), chunk(b"pmod", b"\0" * 10),
                             chunk(b"pgen", pgen), chunk(b"inst", inst), chunk(b"ibag", ibag),
                             chunk(b"imod", b"\0" * 10), chunk(b"igen", igen), chunk(b"shdr", shdr)])
    body = b"sfbk" + info + sdta + pdta
    return b"RIFF" + struct.pack("<I", len(body)) + body


write("soundfont", "two_presets.sf2", soundfont())
write("soundfont", "key_range.sf2", soundfont(32, (48, 72)))
write("soundfont", "cut.sf2", soundfont()[:200])

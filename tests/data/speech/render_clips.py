#!/usr/bin/env python3
"""Re-renders the speech clips the codec tests, benchmarks and the recorder emulator use.

The clips are committed; the build never runs this. Run it by hand (needs espeak-ng) from any
folder:

    python3 tests/data/speech/render_clips.py

espeak-ng renders at 22050 samples per second; each clip is resampled here to 8000 samples per
second (windowed-sinc low-pass at 3600 Hz), normalised to a peak of -3 dBFS and written as mono
16-bit WAV next to this script. Only the Python standard library is used.
"""
import math
import os
import struct
import subprocess
import tempfile
import wave

RATE = 8000

# (file name, espeak-ng voice, words per minute, pitch 0-99, text)
CLIPS = [
    ("clip0_meeting.wav", "en-us", 160, 45,
     "Reminder. The project meeting starts at ten thirty in room four."),
    ("clip1_callback.wav", "en+f3", 165, 60,
     "Please call Anna back about the delivery before Friday."),
    ("clip2_shopping.wav", "en-gb+m3", 170, 40,
     "Buy milk, bread and coffee on the way home tonight."),
    ("clip3_report.wav", "en-us+f4", 165, 55,
     "The quarterly report is due next Tuesday. Send your figures soon."),
    ("clip4_train.wav", "en-gb-scotland", 160, 35,
     "Note to self: check the train times for Saturday morning."),
]


def render(voice, speed, pitch, text):
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "raw.wav")
        subprocess.run(["espeak-ng", "-v", voice, "-s", str(speed), "-p", str(pitch),
                        "-w", path, text], check=True)
        with wave.open(path, "rb") as w:
            assert w.getnchannels() == 1 and w.getsampwidth() == 2
            rate = w.getframerate()
            raw = w.readframes(w.getnframes())
    samples = struct.unpack("<%dh" % (len(raw) // 2), raw)
    return rate, samples


def resample(samples, rate_in, rate_out, cutoff=3600.0, half_width=24):
    """Band-limited interpolation with a Blackman-windowed sinc (slow, but runs once)."""
    ratio = rate_in / rate_out
    fc = cutoff / rate_in
    count = int(len(samples) / ratio)
    out = []
    for n in range(count):
        t = n * ratio
        centre = int(math.floor(t))
        acc = 0.0
        for k in range(centre - half_width * int(math.ceil(ratio)),
                       centre + half_width * int(math.ceil(ratio)) + 1):
            if k < 0 or k >= len(samples):
                continue
            x = k - t
            span = half_width * ratio
            if abs(x) >= span:
                continue
            w = 0.42 + 0.5 * math.cos(math.pi * x / span) + 0.08 * math.cos(2 * math.pi * x / span)
            s = 2 * fc if x == 0 else math.sin(2 * math.pi * fc * x) / (math.pi * x)
            acc += samples[k] * s * w
        out.append(acc)
    return out


def write_wav(path, samples):
    peak = max(1.0, max(abs(s) for s in samples))
    gain = 32767 * 10 ** (-3 / 20) / peak
    pcm = [max(-32768, min(32767, int(round(s * gain)))) for s in samples]
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(struct.pack("<%dh" % len(pcm), *pcm))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, voice, speed, pitch, text in CLIPS:
        rate, samples = render(voice, speed, pitch, text)
        write_wav(os.path.join(here, name), resample(samples, rate, RATE))
        print("%s: %.2f s" % (name, len(samples) / rate))


if __name__ == "__main__":
    main()

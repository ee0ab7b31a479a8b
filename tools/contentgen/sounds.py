"""Sound effects and the level's music, synthesised from fixed seeds.

Effects are 16-bit mono WAV at 22050 Hz; the music is a 64-second stereo
loop encoded to Ogg Vorbis with oggenc (Debian: vorbis-tools) at a fixed
stream serial, so the output depends only on the code and the encoder.
"""

import os
import subprocess
import tempfile
import wave

import numpy as np

RATE = 22050
MUSIC_RATE = 44100


def _t(seconds, rate=RATE):
    return np.arange(int(seconds * rate)) / rate


def _env(n, attack, decay_rate, rate=RATE):
    t = np.arange(n) / rate
    a = np.minimum(1.0, t / max(attack, 1e-4))
    return a * np.exp(-t * decay_rate)


def _sweep(f0, f1, seconds, rate=RATE):
    t = _t(seconds, rate)
    f = f0 * (f1 / f0) ** (t / seconds)
    return np.sin(2 * np.pi * np.cumsum(f) / rate)


def _noise(rng, n):
    return rng.uniform(-1, 1, n)


def _lowpass(x, alpha):
    y = np.empty_like(x)
    acc = 0.0
    for i, v in enumerate(x):
        acc += alpha * (v - acc)
        y[i] = acc
    return y


def _write_wav(path, x, rate=RATE):
    x = np.clip(x, -1, 1)
    data = (x * 32767).astype("<i2")
    with wave.open(path, "wb") as w:
        w.setnchannels(1 if data.ndim == 1 else 2)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(data.tobytes())


def _normal(x, peak):
    return x / max(1e-9, np.max(np.abs(x))) * peak


def effects(rng):
    out = {}
    n = int(0.07 * RATE)
    out["vulcan-primary.wav"] = _normal(_sweep(1400, 500, 0.07) * _env(n, 0.002, 45)
                                        + 0.3 * _noise(rng, n) * _env(n, 0.001, 90), 0.6)
    n = int(0.12 * RATE)
    out["vulcan-secondary.wav"] = _normal(_sweep(700, 180, 0.12) * _env(n, 0.003, 30)
                                          + 0.2 * _lowpass(_noise(rng, n), 0.3) * _env(n, 0.001, 50), 0.6)
    n = int(0.15 * RATE)
    sq = np.sign(_sweep(900, 300, 0.15))
    out["enemy-shot.wav"] = _normal(_lowpass(sq, 0.25) * _env(n, 0.004, 22), 0.5)
    n = int(0.6 * RATE)
    out["explosion-small.wav"] = _normal(_lowpass(_noise(rng, n), 0.18) * _env(n, 0.003, 7)
                                         + 0.5 * _sweep(160, 40, 0.6) * _env(n, 0.002, 9), 0.8)
    n = int(1.8 * RATE)
    rumble = _lowpass(_lowpass(_noise(rng, n), 0.08), 0.2)
    out["explosion-big.wav"] = _normal(rumble * _env(n, 0.01, 2.2)
                                       + 0.6 * _sweep(90, 28, 1.8) * _env(n, 0.005, 2.5)
                                       + 0.3 * _noise(rng, n) * _env(n, 0.001, 25), 0.9)
    n = int(0.25 * RATE)
    t = _t(0.25)
    shimmer = np.sin(2 * np.pi * 1800 * t) * (0.6 + 0.4 * np.sin(2 * np.pi * 40 * t))
    out["shield-hit.wav"] = _normal((shimmer + 0.5 * np.sin(2 * np.pi * 2700 * t)) * _env(n, 0.002, 14), 0.55)
    n = int(0.3 * RATE)
    out["hull-hit.wav"] = _normal(_lowpass(_noise(rng, n), 0.35) * _env(n, 0.001, 18)
                                  + 0.7 * np.sign(_sweep(220, 90, 0.3)) * _env(n, 0.001, 16), 0.75)
    n = int(2.5 * RATE)
    t = _t(2.5)
    horn = sum(np.sin(2 * np.pi * f * t + 0.3 * np.sin(2 * np.pi * 5 * t)) / (k + 1)
               for k, f in enumerate((55, 110, 165, 220)))
    out["warden-arrival.wav"] = _normal(horn * np.minimum(1, t / 0.6) * np.exp(-np.maximum(0, t - 1.6) * 3), 0.8)
    n = int(1.0 * RATE)
    out["warden-phase.wav"] = _normal((_sweep(110, 440, 1.0) + 0.5 * _sweep(165, 660, 1.0)) * _env(n, 0.05, 2.5), 0.7)
    n = int(2.0 * RATE)
    t = _t(2.0)
    fall = sum(np.sin(2 * np.pi * f * t * (1 - 0.25 * t)) for f in (330, 262, 196))
    out["ship-destroyed.wav"] = _normal(fall * _env(n, 0.01, 1.2)
                                        + 0.6 * _lowpass(_noise(rng, n), 0.1) * _env(n, 0.005, 2), 0.8)
    notes = (523.25, 659.25, 783.99, 1046.5)
    parts = []
    for i, f in enumerate(notes):
        d = 0.18 if i < 3 else 1.2
        tt = _t(d)
        tone = np.sin(2 * np.pi * f * tt) + 0.3 * np.sin(4 * np.pi * f * tt)
        parts.append(tone * _env(len(tt), 0.005, 3 if i == 3 else 8))
    out["level-clear.wav"] = _normal(np.concatenate(parts), 0.7)
    return out


def _midi(note):
    return 440.0 * 2 ** ((note - 69) / 12)


def music(rng):
    """64 s at 120 bpm: 32 bars of A minor, F, C, G with bass, arpeggio,
    pad and drums; the sections add and drop parts so that the loop moves."""
    bpm = 120
    beat = 60 / bpm
    bars = 32
    length = int(bars * 4 * beat * MUSIC_RATE)
    left = np.zeros(length)
    right = np.zeros(length)
    chords = [(57, 60, 64), (53, 57, 60), (48, 52, 55), (55, 59, 62)]  # Am F C G
    melody = [76, 74, 72, 71, 72, 74, 76, 79, 77, 76, 74, 72, 71, 72, 74, 71]

    def add(signal, start, pan):
        end = min(length, start + len(signal))
        signal = signal[: end - start]
        left[start:end] += signal * (1 - pan) / 2 * 2 ** 0.5
        right[start:end] += signal * (1 + pan) / 2 * 2 ** 0.5

    def tone(freq, seconds, shape, decay):
        t = np.arange(int(seconds * MUSIC_RATE)) / MUSIC_RATE
        phase = 2 * np.pi * freq * t
        if shape == "saw":
            w = sum(np.sin(k * phase) / k for k in range(1, 8))
        elif shape == "square":
            w = sum(np.sin(k * phase) / k for k in range(1, 9, 2))
        else:
            w = np.sin(phase) + 0.2 * np.sin(2 * phase)
        return w * np.minimum(1, t / 0.005) * np.exp(-t * decay)

    kick_t = np.arange(int(0.3 * MUSIC_RATE)) / MUSIC_RATE
    kick = np.sin(2 * np.pi * np.cumsum(50 + 120 * np.exp(-kick_t * 30)) / MUSIC_RATE) * np.exp(-kick_t * 9)
    hat = rng.uniform(-1, 1, int(0.05 * MUSIC_RATE))
    hat = np.diff(np.concatenate([[0], hat])) * np.exp(-np.arange(len(hat)) / MUSIC_RATE * 80)
    snare_n = rng.uniform(-1, 1, int(0.2 * MUSIC_RATE))
    snare = snare_n * np.exp(-np.arange(len(snare_n)) / MUSIC_RATE * 18)

    for bar in range(bars):
        section = bar // 8  # 0 intro-ish, 1 full, 2 break, 3 full with lead
        root, third, fifth = chords[bar % 4]
        bar_start = int(bar * 4 * beat * MUSIC_RATE)
        eighth = beat / 2
        for e in range(8):
            s = bar_start + int(e * eighth * MUSIC_RATE)
            note = root - 12 if e % 2 == 0 else root
            add(0.22 * tone(_midi(note - 12 + 12), eighth * 0.95, "saw", 6), s, 0.0)
        if section != 2 or bar % 2 == 0:
            for k in range(16):
                s = bar_start + int(k * beat / 4 * MUSIC_RATE)
                arp = (root, third, fifth, third + 12)[k % 4] + 12
                add(0.07 * tone(_midi(arp), beat / 4, "square", 14), s, 0.45 if k % 2 else -0.45)
        for n in (root, third, fifth):
            add(0.04 * tone(_midi(n), 4 * beat, "sine", 0.4), bar_start, -0.2 if n == third else 0.2)
        if section in (1, 3) or (section == 0 and bar >= 4):
            for b in range(4):
                add(0.5 * kick, bar_start + int(b * beat * MUSIC_RATE), 0)
                if b % 2 == 1:
                    add(0.18 * snare, bar_start + int(b * beat * MUSIC_RATE), 0.1)
            for e in range(8):
                add(0.05 * hat, bar_start + int((e + 0.5) * eighth * MUSIC_RATE), 0.3)
        if section == 3:
            for h in range(2):
                note = melody[((bar % 8) * 2 + h) % len(melody)]
                s = bar_start + int(h * 2 * beat * MUSIC_RATE)
                add(0.1 * tone(_midi(note), 2 * beat, "saw", 1.5), s, -0.1)
    stereo = np.stack([left, right], axis=1)
    return stereo / np.max(np.abs(stereo)) * 0.7


def generate(data_dir, encoder="oggenc"):
    out_dir = os.path.join(data_dir, "sounds")
    os.makedirs(out_dir, exist_ok=True)
    rng = np.random.default_rng(1313)
    for name, signal in effects(rng).items():
        _write_wav(os.path.join(out_dir, name), signal)
    track = music(np.random.default_rng(2026))
    with tempfile.TemporaryDirectory() as scratch:
        raw = os.path.join(scratch, "music.wav")
        _write_wav(raw, track, MUSIC_RATE)
        subprocess.run([encoder, "-Q", "-q", "3", "-s", "1313", "-o", os.path.join(out_dir, "music-level1.ogg"), raw],
                       check=True)

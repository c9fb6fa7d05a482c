#!/usr/bin/env bash
# Makes the small audio files the media tests play and measure. The files are committed;
# run this again only to change them. Needs sox, lame, twolame and python3.
set -euo pipefail
cd "$(dirname "$0")"

tone() { # tone <seconds> <rate> <channels> <out.wav>
  sox -n -r "$2" -c "$3" -b 16 "$4" synth "$1" sine 440 sine 660 gain -6
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
tone 3 44100 2 "$tmp/stereo44.wav"
tone 3 44100 1 "$tmp/mono44.wav"
tone 3 22050 2 "$tmp/stereo22.wav"
tone 3 8000 1 "$tmp/mono8.wav"
tone 0.05 44100 2 "$tmp/short.wav"
sox -n -r 44100 -c 2 -b 16 "$tmp/sweep.wav" synth 3 sine 100-8000 noise gain -9

lame --quiet -b 128 --noreplaygain "$tmp/stereo44.wav" cbr_stereo_44k.mp3
lame --quiet -b 64 -m m --noreplaygain "$tmp/mono44.wav" cbr_mono_44k.mp3
lame --quiet -b 64 --noreplaygain "$tmp/stereo22.wav" mpeg2_22k.mp3
lame --quiet -b 16 -m m --noreplaygain "$tmp/mono8.wav" mpeg25_8k.mp3
lame --quiet -V 2 --noreplaygain "$tmp/sweep.wav" vbr_xing.mp3
lame --quiet -V 2 -t --noreplaygain "$tmp/sweep.wav" vbr_no_xing.mp3
lame --quiet -b 128 --noreplaygain "$tmp/short.wav" short.mp3
lame --quiet -b 128 --noreplaygain --id3v1-only --tt "Trailer" "$tmp/stereo44.wav" id3v1.mp3
# A 1 kHz tone whose amplitude grows linearly from silence: its level on the monitor tells
# the position heard.
sox -n -r 44100 -c 2 -b 16 "$tmp/ramp.wav" synth 6 sine 1000 fade t 6 0 0 gain -1
lame --quiet -b 96 --noreplaygain "$tmp/ramp.wav" ramp_6s.mp3
twolame --quiet -b 192 "$tmp/stereo44.wav" layer2.mp3
sox -n -r 8000 -c 1 -b 16 wave_1500ms.wav synth 1.5 sine 440

# Tags in front of the CBR file, written byte by byte so their layout is exact.
python3 - <<'PY'
import struct

def synchsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])

audio = open("cbr_stereo_44k.mp3", "rb").read()
title = b"\x00" + b"Extended header"
frame = b"TIT2" + struct.pack(">I", len(title)) + b"\x00\x00" + title
padding = 300
# Extended header: size 6, flags 0, padding size; the tag size covers it and the padding.
ext = struct.pack(">IHI", 6, 0, padding)
body = ext + frame + b"\x00" * padding
open("id3v23_extended.mp3", "wb").write(b"ID3\x03\x00\x40" + synchsafe(len(body)) + body + audio)

# Version 4 tag whose text holds a false frame sync the decoder must not trust.
title = b"\x03" + b"\xff\xfb\x90\x00 false sync"
frame = b"TIT2" + synchsafe(len(title)) + b"\x00\x00" + title
body = frame + b"\x00" * 64
open("id3v24.mp3", "wb").write(b"ID3\x04\x00\x00" + synchsafe(len(body)) + body + audio)

open("truncated.mp3", "wb").write(audio[: len(audio) // 2 + 77])

import random
rng = random.Random(7)
open("random.mp3", "wb").write(bytes(rng.randrange(256) for _ in range(8192)))
open("empty.mp3", "wb").write(b"")
PY

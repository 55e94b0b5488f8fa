#!/bin/sh
# Makes the program's seven sound clips from nothing with sox; the WAV files it writes are kept in the repository.
# Run from anywhere: ./make-sounds.sh   (needs sox and python3; the program's build needs neither)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cd "$here"
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT

# -D: no dither, -R: repeatable noise, so every run writes the same bytes.
s() { sox -D -R -V1 "$@"; }

# gen FILE EFFECTS...: a working file, 32-bit mono at the clip's rate $r; mixing happens there, encoding last.
gen() { out=$1; shift; s -r "$r" -c 1 -n -b 32 -e signed-integer "$out" "$@"; }

# --- RSTART: start-up chime. Two bell notes a fifth apart (C6, then G6), 15,308 samples at 44,100 Hz.
r=44100
gen "$t/a1.wav" synth 15308s sine 1046.5 gain -6
gen "$t/a2.wav" synth 15308s sine 2093 gain -18
gen "$t/a3.wav" synth 15308s sine 2890 gain -26
s -m "$t/a1.wav" "$t/a2.wav" "$t/a3.wav" "$t/a.wav" fade p 0.004 15308s 15000s fade p 0 15308s 15000s
gen "$t/b1.wav" synth 11560s sine 1568 gain -6
gen "$t/b2.wav" synth 11560s sine 3136 gain -18
gen "$t/b3.wav" synth 11560s sine 4330 gain -26
s -m "$t/b1.wav" "$t/b2.wav" "$t/b3.wav" "$t/b.wav" fade p 0.004 11560s 11300s fade p 0 11560s 11300s pad 3748s
s -m "$t/a.wav" "$t/b.wav" "$t/start.wav" lowpass 6000
s "$t/start.wav" -r $r -c 1 -b 16 -e signed-integer RSTART.wav gain -n -3 pad 0 200s fade t 0 15308s 40s trim 0 15308s

# --- RCLICK: a short soft click, 608 samples at 44,100 Hz.
gen "$t/c1.wav" synth 608s sine 2300:1700 gain -4 fade p 0.0003 608s 590s fade p 0 608s 590s
gen "$t/c2.wav" synth 608s whitenoise highpass 2500 lowpass 8000 gain -12 fade p 0 608s 380s fade p 0 608s 380s
s -m "$t/c1.wav" "$t/c2.wav" "$t/click.wav"
s "$t/click.wav" -r $r -c 1 -b 16 -e signed-integer RCLICK.wav gain -n -4 pad 0 20s trim 0 608s

# --- RPOP: a water-drop pop, a fast upward sweep, 1,311 samples at 44,100 Hz.
gen "$t/pop.wav" synth 1311s sine 420/1500 fade p 0.001 1311s 1200s fade p 0 1311s 1200s
s "$t/pop.wav" -r $r -c 1 -b 16 -e signed-integer RPOP.wav gain -n -3 pad 0 20s trim 0 1311s

# --- REXIT: the exit sweep, a falling pair of tones fading over two seconds, 88,201 samples at 44,100 Hz.
gen "$t/e1.wav" synth 88201s sine 880/220 gain -6
gen "$t/e2.wav" synth 88201s triangle 1318.5/329.6 gain -16
s -m "$t/e1.wav" "$t/e2.wav" "$t/exit.wav" tremolo 5 25 reverb 35 50 60 fade h 0.03 88201s 1.6
s "$t/exit.wav" -r $r -c 1 -b 16 -e signed-integer REXIT.wav gain -n -4 pad 0 200s fade t 0 88201s 200s trim 0 88201s

# --- RAIR: a breath of air, band-limited pink noise swelling and fading, 26,262 samples at 44,100 Hz.
gen "$t/air1.wav" synth 26262s pinknoise sinc 250-2500 fade h 0.22 26262s 0.36
gen "$t/air2.wav" synth 26262s brownnoise sinc 120-900 gain -6 fade h 0.26 26262s 0.3
s -m "$t/air1.wav" "$t/air2.wav" "$t/air.wav"
s "$t/air.wav" -r $r -c 1 -b 16 -e signed-integer RAIR.wav gain -n -6 pad 0 200s fade t 0 26262s 100s trim 0 26262s

# --- RTICK: a wood-block tick in stereo, 679 samples at 22,050 Hz, Microsoft ADPCM in 1,024-byte blocks.
r=22050
gen "$t/t1.wav" synth 679s sine 1900 gain -4 fade p 0.0005 679s 660s fade p 0 679s 660s fade p 0 679s 660s
gen "$t/t2.wav" synth 679s sine 2850 gain -12 fade p 0.0005 679s 500s fade p 0 679s 500s
s -m "$t/t1.wav" "$t/t2.wav" "$t/tick.wav" gain -n -3
s "$t/tick.wav" "$t/tickl.wav" gain -1
s "$t/tick.wav" "$t/tickr.wav" gain -3
s -M "$t/tickl.wav" "$t/tickr.wav" -r $r -c 2 -b 16 -e signed-integer "$t/tick2.wav"
s "$t/tick2.wav" -r $r -c 2 -b 4 -e ms-adpcm RTICK.wav

# --- RSTRUM: a strummed C major chord, 4,150 samples at 22,050 Hz, mu-law.
# sox plucks only at 44,100 Hz and up: the chord is made there and halved when encoding.
r=44100
n=0
for note in C3 G3 C4 E4 G4 C5; do
    d=$((n * 520))
    gen "$t/p$n.wav" synth $((8300 - d))s pluck $note gain -10 pad ${d}s
    n=$((n + 1))
done
s -m "$t"/p[0-5].wav "$t/strum.wav" lowpass 5000 fade t 0.002 8300s 2400s
s "$t/strum.wav" -r 22050 -c 1 -b 8 -e mu-law RSTRUM.wav gain -n -3 rate 22050 pad 0 100s trim 0 4150s

# The ADPCM fact chunk must give the clip's own length (679), not whole blocks of 1,012: set it explicitly.
python3 "$here/fix-wav.py" RTICK.wav 679
python3 "$here/fix-wav.py" --check RSTART.wav RCLICK.wav RTICK.wav RPOP.wav RSTRUM.wav REXIT.wav RAIR.wav

#!/usr/bin/env bash
# Makes the media files the tests use, with Debian's ffmpeg, into the folder
# given. Skips the work when the folder already holds this recipe's output.
set -euo pipefail
out=${1:?usage: make_fixtures.sh OUTDIR}
mkdir -p "$out"
recipe=$(sha256sum "$0" | cut -d' ' -f1)
[ -f "$out/.recipe" ] && [ "$(cat "$out/.recipe")" = "$recipe" ] && exit 0
rm -f "$out/.recipe"

ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }
V="-f lavfi -i testsrc=size=320x240:rate=25:duration=2"
A="-f lavfi -i sine=frequency=440:sample_rate=44100:duration=2"
A2="-f lavfi -i sine=frequency=880:sample_rate=48000:duration=2"

# Short video with audio in the common containers.
ff $V $A -c:v mpeg4 -q:v 5 -c:a mp3 -b:a 64k -shortest "$out/clip.avi"
ff $V $A -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -b:a 64k -shortest \
   -metadata title="Clip Title" -metadata artist="Clip Artist" "$out/clip.mp4"
ff $V $A -c:v mpeg2video -b:v 500k -c:a mp2 -b:a 64k -shortest "$out/clip.ts"
# The same kind of clip cut to ten frames, for tests that convert it many
# times over (the preset catalogue).
ff -f lavfi -i testsrc=size=320x240:rate=25:duration=0.4 -f lavfi -i sine=frequency=440:sample_rate=44100:duration=0.4 \
   -c:v mpeg2video -b:v 500k -c:a mp2 -b:a 64k -shortest "$out/brief.ts"

# A second of 1080p video with sound (the preview's snapshots keep its size).
ff -f lavfi -i testsrc2=size=1920x1080:rate=10:duration=1 -f lavfi -i sine=frequency=440:sample_rate=44100:duration=1 \
   -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -b:a 64k -shortest "$out/hd1080.mp4"

# Matroska with two audio streams and a subtitle stream.
srt="$out/.subs.srt"
printf '1\n00:00:00,000 --> 00:00:01,000\nHello\n\n2\n00:00:01,000 --> 00:00:02,000\n你好\n' > "$srt"
ff $V $A $A2 -i "$srt" -map 0:v -map 1:a -map 2:a -map 3:s \
   -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -b:a 48k -c:s srt -shortest \
   -metadata:s:a:0 language=eng -metadata:s:a:1 language=chi "$out/multi.mkv"
rm -f "$srt"

# Audio only, with ID3 tags.
ff $A -c:a mp3 -b:a 64k -id3v2_version 3 -metadata title="Sine Song" \
   -metadata artist="Test Artist" -metadata album="Test Album" -metadata date=2009 \
   -metadata track=7 "$out/tone.mp3"

# Names that take care: spaces, Chinese characters, a colon.
cp "$out/clip.avi" "$out/clip with spaces.avi"
cp "$out/clip.mp4" "$out/中文 视频.mp4"
cp "$out/clip.avi" "$out/a:b.avi"

# Broken inputs.
head -c 20000 "$out/clip.mp4" > "$out/truncated.mp4"
: > "$out/empty.avi"
printf 'This is a text file, not a video.\n' > "$out/text.avi"

# The job list's folder: 30 entries of every kind a user's folder holds —
# video, audio only, names that take care (a colon, a leading "-", quotes,
# Chinese, bytes that are no UTF-8), files that are no media, and a
# sub-folder (never entered). Copies of the clips above: small and cheap.
j="$out/jobs30"
rm -rf "$j"; mkdir -p "$j/sub"
ff -f lavfi -i sine=frequency=660:sample_rate=22050:duration=0.5 -c:a pcm_s16le "$out/short.wav"
ff $V -c:v mpeg4 -q:v 9 -an "$out/silent.avi"
i=0
for src in clip.avi clip.mp4 clip.ts multi.mkv tone.mp3 short.wav silent.avi; do
  for n in 1 2; do i=$((i + 1)); cp "$out/$src" "$j/$(printf 'c%02d_' "$i")$src"; done
done
cp "$out/clip.avi" "$j/clip.avi"
cp "$out/clip.mp4" "$j/clip.mp4"
cp "$out/clip.ts" "$j/12:30 clip.mts"
cp "$out/clip.mp4" "$j/-dash.mp4"
cp "$out/clip.avi" "$j/it's \"quoted\".avi"
cp "$out/clip.mp4" "$j/中文 视频.mp4"
cp "$out/clip.avi" "$j/with  two  spaces.avi"
cp "$out/tone.mp3" "$j/bad$(printf '\377\376')name.mp3"
cp "$out/short.wav" "$j/song.wav"
cp "$out/clip.avi" "$j/UPPER CASE.AVI"
cp "$out/tone.mp3" "$j/zeta.mp3"
printf 'not a video\n' > "$j/notes.txt"
: > "$j/empty.avi"
cp "$out/truncated.mp4" "$j/truncated.mp4"
cp "$out/text.avi" "$j/text.avi"
cp "$out/clip.avi" "$j/sub/inside.avi"

echo "$recipe" > "$out/.recipe"

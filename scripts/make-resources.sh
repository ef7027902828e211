#!/usr/bin/env bash
# Rebuilds the program's generated resources: the sounds (synthesised with sox,
# encoded with lame) and the pictures (drawn with ImageMagick). The help pages
# and the speed warning text are written by hand and are not touched. The small
# pictures of things (the disk, the bin, the gears, the file pictures, the toolbars
# and the option buttons) are drawn by scripts/resource-icons.sh, sourced below.
#
#   scripts/make-resources.sh [RESOURCE_DIR]              (default: resources/)
#   scripts/make-resources.sh --pictures [RESOURCE_DIR]   the pictures only; the sounds are left alone
#
# Needs the Debian packages sox, lame, imagemagick and xplanet-images (the last for
# the picture of the Earth under the world map; none is needed to build or test the
# program: the generated files are kept in the repository). The output
# is the same byte for byte from one run to the next, so after a run git shows
# only the files whose drawing or synthesis changed.
set -euo pipefail
cd "$(dirname "$0")/.."
sounds=1
if [ "${1:-}" = --pictures ]; then
  sounds=0
  shift
fi
out=$(realpath -m "${1:-resources}")
if [ "$sounds" = 1 ]; then
  for tool in sox lame; do
    command -v "$tool" >/dev/null || { echo "make-resources: $tool is missing (apt-get install sox lame imagemagick xplanet-images)" >&2; exit 1; }
  done
fi
IM=$(command -v convert-im6.q16 || command -v magick || command -v convert) ||
  { echo "make-resources: ImageMagick is missing" >&2; exit 1; }
EARTH=/usr/share/xplanet/images/earth.jpg
[ -r "$EARTH" ] || { echo "make-resources: $EARTH is missing (apt-get install xplanet-images)" >&2; exit 1; }
FONT=DejaVu-Sans
BOLD=DejaVu-Sans-Bold
MONO=DejaVu-Sans-Mono-Bold
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out/MVimages" "$out/MVsplashscreens"

# ---- sounds ------------------------------------------------------------------------------
make_sounds() {
  mkdir -p "$out/MVsounds" "$out/MVtimerSounds" "$out/ZQsounds"
  RATE=22050
  # wav NAME SOX-ARGS...: a mono wav made by "sox -n" with the given synth and effects.
  wav() { local n=$1; shift; sox -q -n -r $RATE -c 1 -b 16 "$tmp/$n.wav" "$@"; }
  # mp3 NAME DEST-FOLDER...: encodes $tmp/NAME.wav into each folder.
  mp3() {
    local n=$1; shift
    for dir in "$@"; do lame --silent -m m -b 32 -q 2 "$tmp/$n.wav" "$out/$dir/$n.mp3"; done
  }
  # notes NAME LENGTH FREQ...: a short melody of sine notes with soft edges.
  notes() {
    local n=$1 len=$2; shift 2
    local parts=() i=0
    for f in "$@"; do
      sox -q -n -r $RATE -c 1 -b 16 "$tmp/$n.$i.wav" synth "$len" sine "$f" fade t 0.01 "$len" 0.04 vol 0.6
      parts+=("$tmp/$n.$i.wav"); i=$((i + 1))
    done
    sox -q "${parts[@]}" "$tmp/$n.wav"
  }

  wav rip synth 0.3 pinknoise sinc 800-6000 fade t 0 0.3 0.25 vol 0.7
  wav wsst synth 0.22 whitenoise gain -8 highpass 3000 fade t 0.05 0.22 0.15 vol 0.5
  wav "wssst!" synth 0.5 whitenoise gain -8 highpass 2500 fade t 0.1 0.5 0.35 vol 0.5
  wav bup synth 0.09 sine 880 fade t 0.005 0.09 0.05 vol 0.7
  wav tick synth 0.025 sine 1600 fade t 0 0.025 0.02 vol 0.8
  wav bzot synth 0.3 sawtooth 110 overdrive 10 fade t 0.01 0.3 0.08 vol 0.5
  wav upvip synth 0.18 sine 400-1200 fade t 0.01 0.18 0.05 vol 0.7
  wav downvip synth 0.18 sine 1200-400 fade t 0.01 0.18 0.05 vol 0.7
  wav scream synth 0.55 sawtooth 900-1500 tremolo 9 60 fade t 0.02 0.55 0.2 vol 0.4
  wav switch synth 0.05 square 600 fade t 0 0.05 0.03 vol 0.4
  wav click synth 0.012 whitenoise fade t 0 0.012 0.01 vol 0.7
  wav "big click" synth 0.04 brownnoise lowpass 2000 fade t 0 0.04 0.03 vol 0.9
  wav AlarmBUZZ synth 0.5 square 220 tremolo 16 80 fade t 0.01 0.5 0.05 vol 0.4
  wav Guitar synth 1.2 pluck 196 fade t 0 1.2 0.6 vol 0.8
  wav VornSound synth 0.7 sine 300-900 tremolo 6 40 fade t 0.05 0.7 0.2 vol 0.6
  wav boop synth 0.15 sine 440 fade t 0.01 0.15 0.08 vol 0.7
  wav mark synth 0.06 sine 1000 fade t 0.005 0.06 0.03 vol 0.6
  wav piiing synth 0.8 sine 2000 fade p 0.005 0.8 0.75 vol 0.5
  wav bubbles synth 0.6 sine 300-900 tremolo 14 90 fade t 0.02 0.6 0.2 vol 0.5
  wav rbubbles synth 0.6 sine 900-300 tremolo 14 90 fade t 0.02 0.6 0.2 vol 0.5
  wav cat synth 0.45 sine 800-500 tremolo 7 30 fade t 0.05 0.45 0.2 vol 0.5
  wav skid synth 0.4 whitenoise sinc 1500-3500 fade t 0.02 0.4 0.3 vol 0.5
  for k in "" 2 3 4; do
    wav "shortflies$k" synth 0.6 brownnoise sinc 150-400 tremolo $((18 + 4 * ${k:-1})) 70 fade t 0.05 0.6 0.2 vol 0.8
  done
  notes setup 0.1 660 880
  notes Sample 0.05 1000
  for b in 1 2 3 4 5; do wav "buzz$b" synth 0.25 square $((100 + 50 * b)) fade t 0.01 0.25 0.05 vol 0.4; done

  # The timer's cues: a short melody of their own for each word.
  notes start 0.12 523 784
  notes begin 0.12 587 784
  notes go 0.16 784
  notes now 0.14 698 698
  notes next 0.1 659 784 659
  notes step 0.1 880 659
  notes stop 0.12 784 523
  notes end 0.12 784 587
  notes halt 0.16 392
  notes quit 0.1 659 523 392
  notes "get on with it" 0.08 523 587 659 698 784
  notes ni 0.09 1047 1047
  notes "bring out your dead" 0.14 392 370 349 330
  notes ahem 0.12 196 247
  notes "don't try that" 0.1 440 415 392 370
  notes "don't do it" 0.12 440 392 440

  for n in rip wsst "wssst!" bup tick bzot upvip downvip scream switch click "big click" AlarmBUZZ Guitar \
           VornSound boop mark piiing bubbles rbubbles cat skid shortflies shortflies2 shortflies3 shortflies4 \
           setup Sample buzz1 buzz2 buzz3 buzz4 buzz5; do
    mp3 "$n" MVsounds
  done
  for n in start begin go now next step stop end halt quit; do mp3 "$n" MVsounds MVtimerSounds; done
  for n in "get on with it" ni "bring out your dead" ahem "don't try that" "don't do it"; do mp3 "$n" MVtimerSounds; done
  mp3 scream ZQsounds
}
if [ "$sounds" = 1 ]; then make_sounds; fi

# ---- pictures ----------------------------------------------------------------------------
img="$out/MVimages"
# PNGs are written without their time stamps, so that an unchanged picture is an unchanged file.
im() { "$IM" -define png:exclude-chunks=date,time "$@"; }

# Recording-mode pictures, 32 by 22.
im -size 32x22 xc:white -stroke '#1a237e' -fill none -draw "rectangle 0,0 31,21" \
   -stroke '#0d47a1' -strokewidth 1 -draw "polyline 2,16 7,9 11,13 16,5 21,11 25,7 29,12" \
   -stroke '#2e7d32' -draw "polyline 2,19 8,17 13,18 19,15 24,17 29,16" "$img/chart image.gif"
im -size 32x22 xc:'#0d1b5e' -stroke '#ffd600' -fill none -strokewidth 1 \
   -draw "path 'M 2,11 C 6,1 10,1 14,11 S 22,21 26,11 S 30,5 31,8'" "$img/scope image.gif"
im -size 32x22 xc:white -fill '#0d1b5e' -draw "rectangle 0,0 15,21" -stroke '#ffd600' -fill none \
   -draw "path 'M 1,11 C 4,3 7,3 9,11 S 13,19 15,11'" -stroke '#0d47a1' \
   -draw "polyline 17,15 20,9 23,12 26,6 30,10" -stroke '#1a237e' -draw "rectangle 0,0 31,21" \
   "$img/scope+chart image.gif"
# Caution (32 by 33), stop and skull (32 by 32).
im -size 32x33 xc:none -fill '#ffd600' -stroke black -strokewidth 2 -draw "polygon 16,2 30,30 2,30" \
   -stroke none -fill black -draw "rectangle 15,11 17,22" -draw "rectangle 15,25 17,27" "$img/CautionIcon.gif"
im -size 32x32 xc:none -fill '#d50000' -stroke white -strokewidth 1 \
   -draw "polygon 10,1 22,1 31,10 31,22 22,31 10,31 1,22 1,10" -stroke none -fill white \
   -draw "rectangle 7,14 25,18" "$img/stopIcon.gif"
skull() {
  local name=$1 s=$2
  im -size 64x64 xc:none -fill '#f5f5f5' -stroke black -strokewidth 2 -draw "circle 32,26 32,4" \
     -draw "roundrectangle 20,38 44,58 4,4" -stroke none -fill black -draw "circle 23,26 23,33" \
     -draw "circle 41,26 41,33" -draw "polygon 32,34 28,42 36,42" -draw "rectangle 25,50 27,58" \
     -draw "rectangle 31,50 33,58" -draw "rectangle 37,50 39,58" -resize "${s}x${s}" "$img/$name"
}
skull skullIcon.gif 32
skull "big skull.gif" 96

# Interface pictures. Each interface is drawn as a small instrument seen from the front
# and a little from above: a box whose front panel carries its display or lights, its
# connectors and its name. The pictures are made at the size the External A/D Device
# window and the connection animation show them; smaller windows scale them down.
#
# The drawing is collected in the array P by the helpers below, then written by
# picture NAME W H. Coordinates are pixels of the picture.
P=()
pen() { P+=(-fill "$1" -stroke "$2" -strokewidth "${3:-1}"); }
rect() { P+=(-draw "rectangle $1,$2 $3,$4"); }
rrect() { P+=(-draw "roundrectangle $1,$2 $3,$4 $5,$5"); }
circ() { P+=(-draw "circle $1,$2 $(($1 + $3)),$2"); }
poly() { P+=(-draw "polygon $*"); }
line() { P+=(-draw "line $1,$2 $3,$4"); }
# text X Y POINTSIZE COLOUR TEXT [FONT]: text whose top left corner is at X, Y.
text() { P+=(-stroke none -fill "$4" -font "${6:-$BOLD}" -pointsize "$3" -annotate "+$1+$2" "$5"); }
picture() {
  im -size "$2x$3" xc:none -gravity NorthWest "${P[@]}" "$img/$1"
  P=()
}

# case_box X0 Y0 X1 Y1 DEPTH FRONT TOP SIDE: a box whose front face is X0,Y0+DEPTH to X1-DEPTH,Y1,
# its top and right side drawn DEPTH pixels deep.
case_box() {
  local x0=$1
  local y0=$2
  local x1=$3
  local y1=$4
  local d=$5
  pen "$7" '#37474f' 1; poly "$x0,$((y0 + d)) $((x0 + d)),$y0 $x1,$y0 $((x1 - d)),$((y0 + d))"
  pen "$8" '#37474f' 1; poly "$((x1 - d)),$((y0 + d)) $x1,$y0 $x1,$((y1 - d)) $((x1 - d)),$y1"
  pen "$6" '#37474f' 1; rect "$x0" "$((y0 + d))" "$((x1 - d))" "$y1"
}
# bnc CX CY R: a BNC socket: bayonet lugs, metal shell, insulator and centre pin.
bnc() {
  local x=$1
  local y=$2
  local r=$3
  pen '#90a4ae' '#37474f' 1; rect "$((x - r - r / 3))" "$((y - 1))" "$((x + r + r / 3))" "$((y + 1))"
  pen '#cfd8dc' '#455a64' 1; circ "$x" "$y" "$r"
  pen '#eceff1' '#78909c' 1; circ "$x" "$y" "$((r * 2 / 3))"
  pen '#263238' none; circ "$x" "$y" "$((r / 3 > 1 ? r / 3 : 1))"
  pen '#ffca28' none; circ "$x" "$y" "$((r / 6 > 0 ? r / 6 : 1))"
}
# jack CX CY R COLOUR: a round input socket with a coloured collar.
jack() {
  pen "$4" '#263238' 1; circ "$1" "$2" "$3"
  pen '#111111' none; circ "$1" "$2" "$(($3 / 2 > 1 ? $3 / 2 : 1))"
}
# led CX CY R COLOUR
led() { pen "$4" '#263238' 1; circ "$1" "$2" "$3"; pen '#ffffffb0' none; circ "$(($1 - $3 / 3))" "$(($2 - $3 / 3))" "$(($3 / 3 > 0 ? $3 / 3 : 1))"; }
# terminals X0 Y0 X1 Y1 N COLOUR: a strip of N screw terminals, wire openings above the screws.
terminals() {
  local x0=$1
  local y0=$2
  local x1=$3
  local y1=$4
  local n=$5
  local c=$6
  local k
  local w=$(((x1 - x0) / n))
  local h=$((y1 - y0))
  pen "$c" '#1b1b1b' 1; rect "$x0" "$y0" "$((x0 + w * n))" "$y1"
  for ((k = 0; k < n; k++)); do
    local cx=$((x0 + w * k + w / 2))
    local r=$(((w < h / 2 ? w : h / 2) * 2 / 5))
    if ((r < 1)); then r=1; fi
    pen '#212121' none; rect "$((cx - r))" "$((y0 + 2))" "$((cx + r))" "$((y0 + h / 3))"
    pen '#b0bec5' '#37474f' 1; circ "$cx" "$((y0 + h * 2 / 3))" "$r"
    pen none '#37474f' 1; line "$((cx - r + 1))" "$((y0 + h * 2 / 3))" "$((cx + r - 1))" "$((y0 + h * 2 / 3))"
  done
}
# db9 X0 Y0 X1 Y1: a nine-pin D socket with its fixing screws.
db9() {
  local x0=$1
  local y0=$2
  local x1=$3
  local y1=$4
  local w=$((x1 - x0))
  local h=$((y1 - y0))
  local s=$(((y1 - y0) / 5))
  pen '#b0bec5' '#37474f' 1; rrect "$x0" "$y0" "$x1" "$y1" 2
  local sx0=$((x0 + w / 5))
  local sx1=$((x1 - w / 5))
  local sy0=$((y0 + h / 6))
  local sy1=$((y1 - h / 6))
  local t=$((w / 16))
  pen '#cfd8dc' '#263238' 1; poly "$sx0,$sy0 $sx1,$sy0 $((sx1 - t)),$sy1 $((sx0 + t)),$sy1"
  pen '#90a4ae' '#37474f' 1; circ "$((x0 + w / 10))" "$(((y0 + y1) / 2))" "$((s > 1 ? s : 1))"
  circ "$((x1 - w / 10))" "$(((y0 + y1) / 2))" "$((s > 1 ? s : 1))"
  local k
  local pr=$((h / 14 > 0 ? h / 14 : 1))
  local iw=$((sx1 - sx0 - 2 * t))
  pen '#263238' none
  for ((k = 0; k < 5; k++)); do circ "$((sx0 + t + iw * (2 * k + 1) / 10))" "$((sy0 + (sy1 - sy0) / 3))" "$pr"; done
  for ((k = 0; k < 4; k++)); do circ "$((sx0 + t + iw * (2 * k + 2) / 10))" "$((sy0 + (sy1 - sy0) * 2 / 3))" "$pr"; done
}
# lcd X0 Y0 X1 Y1 POINTSIZE TEXT...: a framed display with lines of text.
lcd() {
  local x0=$1
  local y0=$2
  local x1=$3
  local y1=$4
  local pt=$5
  shift 5
  pen '#263238' '#111111' 1; rrect "$x0" "$y0" "$x1" "$y1" 2
  pen '#b9d9a4' '#111111' 1; rect "$((x0 + 3))" "$((y0 + 3))" "$((x1 - 3))" "$((y1 - 3))"
  local y=$((y0 + 4))
  local l
  for l in "$@"; do text "$((x0 + 6))" "$y" "$pt" '#1b3a12' "$l" "$MONO"; y=$((y + pt + pt / 3)); done
}
# keys X0 Y0 COLS ROWS SIZE COLOUR: a small keypad.
keys() {
  local i j
  for ((j = 0; j < $4; j++)); do for ((i = 0; i < $3; i++)); do
    local x=$(($1 + i * ($5 + $5 / 3)))
    local y=$(($2 + j * ($5 + $5 / 3)))
    pen "$6" '#263238' 1; rrect "$x" "$y" "$((x + $5))" "$((y + $5 * 3 / 4))" 2
  done; done
}

# Sable interfaces. sable X0 Y0 X1 Y1 NAME FRONT JACKS-PER-ROW DISPLAY(0|1)
sable() {
  local x0=$1
  local y0=$2
  local x1=$3
  local y1=$4
  local name=$5
  local front=$6
  local n=$7
  local display=$8
  local d=$(((y1 - y0) / 10))
  case_box "$x0" "$y0" "$x1" "$y1" "$d" "$front" '#78909c' '#263238'
  local fx0=$x0
  local fy0=$((y0 + d))
  local fx1=$((x1 - d))
  local fy1=$y1
  local fw=$((fx1 - fx0))
  local fh=$((fy1 - fy0))
  local pt=$((fh / 7))
  local small=$((fh / 17 > 6 ? fh / 17 : 6))
  text "$((fx0 + fw / 14))" "$((fy0 + fh / 20))" "$pt" white "$name"
  text "$((fx0 + fw / 14))" "$((fy0 + fh / 20 + pt + pt / 4))" "$small" '#b0bec5' "Sable" "$FONT"
  local r=$((fh / 30 > 1 ? fh / 30 : 2))
  led "$((fx1 - fw / 8))" "$((fy0 + fh / 10))" "$r" '#76ff03'
  led "$((fx1 - fw / 4))" "$((fy0 + fh / 10))" "$r" '#ffb300'
  if ((display)); then
    lcd "$((fx0 + fw / 14))" "$((fy0 + fh * 30 / 100))" "$((fx1 - fw / 14))" "$((fy0 + fh * 50 / 100))" \
        "$((fh / 14 > 6 ? fh / 14 : 6))" "CH1  2.4861 V"
  else
    pen '#263238' '#90a4ae' 1
    rect "$((fx0 + fw / 14))" "$((fy0 + fh * 30 / 100))" "$((fx1 - fw / 14))" "$((fy0 + fh * 50 / 100))"
    text "$((fx0 + fw / 10))" "$((fy0 + fh * 34 / 100))" "$small" '#cfd8dc' "UNIVERSAL" "$FONT"
    text "$((fx0 + fw / 10))" "$((fy0 + fh * 34 / 100 + small + 2))" "$small" '#cfd8dc' "INTERFACE" "$FONT"
  fi
  # Two rows of analog input jacks.
  local k
  local row
  local jr=$((fw / (n * 4) < fh / 18 ? fw / (n * 4) : fh / 18))
  local colours=('#e53935' '#1e88e5' '#fdd835')
  if ((jr < 2)); then jr=2; fi
  for ((row = 0; row < 2; row++)); do
    for ((k = 0; k < n; k++)); do
      jack "$((fx0 + fw * (2 * k + 1) / (2 * n)))" "$((fy0 + fh * (60 + 14 * row) / 100))" "$jr" "${colours[$(((k + row) % 3))]}"
    done
  done
  # The serial port and the power socket along the bottom.
  db9 "$((fx1 - fw * 4 / 10))" "$((fy0 + fh * 84 / 100))" "$((fx1 - fw / 14))" "$((fy1 - fh / 30))"
  jack "$((fx0 + fw / 8))" "$((fy0 + fh * 90 / 100))" "$((jr + 1))" '#424242'
  text "$((fx0 + fw / 8 + jr + 4))" "$((fy0 + fh * 86 / 100))" "$small" '#b0bec5' "DC" "$FONT"
}

# DataTaker loggers. datataker X0 Y0 X1 Y1 NAME CASE STYLE [ROWS]: STYLE is leds, lcd or
# keypad; ROWS the rows of sensor terminals (2 when not given).
datataker() {
  local x0=$1
  local y0=$2
  local x1=$3
  local y1=$4
  local name=$5
  local case=$6
  local style=$7
  local d=$(((y1 - y0) / 9))
  case_box "$x0" "$y0" "$x1" "$y1" "$d" "$case" '#f5f5f5' '#9e9e9e'
  local fx0=$x0
  local fy0=$((y0 + d))
  local fx1=$((x1 - d))
  local fy1=$y1
  local fw=$((fx1 - fx0))
  local fh=$((fy1 - fy0))
  # The name band along the top.
  local band=$((fh * 24 / 100))
  local pt=$((fh * 17 / 100))
  local small=$((fh / 14 > 6 ? fh / 14 : 6))
  pen '#1b5e20' '#37474f' 1; rect "$fx0" "$fy0" "$fx1" "$((fy0 + band))"
  text "$((fx0 + fw / 25))" "$((fy0 + (band - pt) / 2 - 1))" "$pt" white "$name"
  if ((fw >= 90)); then
    text "$((fx1 - fw * 38 / 100))" "$((fy0 + (band - small) / 2))" "$small" '#c8e6c9' "dataTaker" "$FONT"
  fi
  local my0=$((fy0 + band + fh / 16))
  local my1=$((fy0 + fh * 58 / 100))
  local r=$((fh / 28 > 1 ? fh / 28 : 2))
  case $style in
    leds)
      local k
      local colours=('#76ff03' '#ffb300' '#ff3d00' '#76ff03')
      for k in 0 1 2 3; do led "$((fx0 + fw / 12 + k * fw / 10))" "$(((my0 + my1) / 2))" "$r" "${colours[$k]}"; done
      ;;
    lcd)
      lcd "$((fx0 + fw / 25))" "$my0" "$((fx0 + fw * 52 / 100))" "$my1" "$((fh / 13 > 6 ? fh / 13 : 6))" \
          "1 12.04 mV" "2 23.6 degC"
      local kz=$((fh / 12))
      local i j
      for ((j = 0; j < 2; j++)); do for ((i = 0; i < 2; i++)); do
        pen '#eceff1' '#37474f' 1
        rrect "$((fx0 + fw * 57 / 100 + i * (kz + kz / 2)))" "$((my0 + j * (kz + kz / 3)))" \
              "$((fx0 + fw * 57 / 100 + i * (kz + kz / 2) + kz))" "$((my0 + j * (kz + kz / 3) + kz * 3 / 4))" 2
      done; done
      led "$((fx0 + fw * 72 / 100))" "$((my1 - r))" "$r" '#76ff03'
      ;;
    keypad)
      lcd "$((fx0 + fw / 25))" "$my0" "$((fx0 + fw * 46 / 100))" "$my1" "$((fh / 13 > 6 ? fh / 13 : 6))" \
          "1 12.04 mV" "2 23.6 degC"
      keys "$((fx0 + fw * 50 / 100))" "$my0" 3 2 "$(((my1 - my0) * 3 / 8))" '#eceff1'
      ;;
  esac
  db9 "$((fx1 - fw * 20 / 100))" "$my0" "$((fx1 - fw / 25))" "$((my0 + (my1 - my0) * 2 / 3))"
  # Screw terminals for the sensors.
  local rows=${8:-2}
  local row
  local th=$(((fy1 - fh / 25 - (fy0 + fh * 62 / 100)) / rows))
  for ((row = 0; row < rows; row++)); do
    terminals "$((fx0 + fw / 25))" "$((fy0 + fh * 62 / 100 + row * th))" "$((fx1 - fw / 25))" \
              "$((fy0 + fh * 62 / 100 + (row + 1) * th - 1))" "$((fw / 11))" '#43a047'
  done
}

# ADAM modules on their rail. adam X0 Y0 X1 Y1 MODEL...
adam() {
  local x0=$1
  local y0=$2
  local x1=$3
  local y1=$4
  shift 4
  local n=$#
  local k=0
  local model
  local mw=$(((x1 - x0) / n))
  local h=$((y1 - y0))
  pen '#b0bec5' '#607d8b' 1; rect "$x0" "$((y0 + h * 45 / 100))" "$x1" "$((y0 + h * 55 / 100))"
  for model in "$@"; do
    local mx0=$((x0 + k * mw + 1))
    local mx1=$((x0 + (k + 1) * mw - 1))
    local d=$((mw / 8))
    case_box "$mx0" "$y0" "$mx1" "$y1" "$d" '#eceff1' '#ffffff' '#90a4ae'
    local fx0=$mx0
    local fy0=$((y0 + d))
    local fx1=$((mx1 - d))
    local fh=$((y1 - y0 - d))
    local fw=$((fx1 - fx0))
    local tb=$((fh * 16 / 100))
    terminals "$((fx0 + 2))" "$((fy0 + 2))" "$((fx1 - 2))" "$((fy0 + tb))" 5 '#212121'
    terminals "$((fx0 + 2))" "$((y1 - tb))" "$((fx1 - 2))" "$((y1 - 2))" 5 '#212121'
    pen '#1565c0' none; rect "$((fx0 + 2))" "$((fy0 + tb + fh / 14))" "$((fx1 - 2))" "$((fy0 + tb + fh / 14 + fh * 22 / 100))"
    local pt=$((fw / 5 > 7 ? fw / 5 : 7))
    local small=$((fw / 7 > 6 ? fw / 7 : 6))
    text "$((fx0 + fw / 8))" "$((fy0 + tb + fh / 14 + 2))" "$pt" white "ADAM"
    text "$((fx0 + fw / 8))" "$((fy0 + tb + fh / 14 + pt + pt / 3))" "$small" '#bbdefb' "$model"
    local r=$((fw / 16 > 1 ? fw / 16 : 2))
    led "$((fx0 + fw / 4))" "$((fy0 + fh * 62 / 100))" "$r" '#76ff03'
    led "$((fx0 + fw / 2))" "$((fy0 + fh * 62 / 100))" "$r" '#ffb300'
    text "$((fx0 + fw / 8))" "$((fy0 + fh * 67 / 100))" "$((small - 1 > 5 ? small - 1 : 5))" '#546e7a' "PWR COM" "$FONT"
    k=$((k + 1))
  done
}

# The ADC-1: a small box with four BNC inputs.
adc1() {
  local x0=$1
  local y0=$2
  local x1=$3
  local y1=$4
  local d=$(((y1 - y0) / 8))
  case_box "$x0" "$y0" "$x1" "$y1" "$d" '#263238' '#546e7a' '#111111'
  local fx0=$x0
  local fy0=$((y0 + d))
  local fx1=$((x1 - d))
  local fy1=$y1
  local fw=$((fx1 - fx0))
  local fh=$((fy1 - fy0))
  local pt=$((fh / 6))
  local small=$((fh / 12 > 6 ? fh / 12 : 6))
  text "$((fx0 + fw / 14))" "$((fy0 + fh / 14))" "$pt" '#ff9800' "ADC-1"
  text "$((fx0 + fw / 14))" "$((fy0 + fh / 14 + pt + 2))" "$small" '#b0bec5' "RMS  A-D converter" "$FONT"
  led "$((fx1 - fw / 10))" "$((fy0 + fh / 8))" "$((fh / 22 > 1 ? fh / 22 : 2))" '#76ff03'
  local k
  local r=$((fw / 16))
  for k in 0 1 2 3; do
    bnc "$((fx0 + fw * (2 * k + 1) / 8))" "$((fy0 + fh * 62 / 100))" "$r"
    text "$((fx0 + fw * (2 * k + 1) / 8 - 2))" "$((fy0 + fh * 62 / 100 + r + 3))" "$small" '#cfd8dc' "$((k + 1))" "$FONT"
  done
}

# A serial cable's nine-pin plug seen from the front, its cable leaving below.
serial_plug() {
  local x0=$1 y0=$2 x1=$3 y1=$4
  local w=$((x1 - x0))
  local h=$((y1 - y0))
  local cx=$((x0 + w / 2))
  local hb=$((y0 + h * 58 / 100))
  pen none '#37474f' "$((w / 12))"
  P+=(-draw "path 'M $cx,$((hb + h / 10)) C $cx,$((y0 + h * 85 / 100)) $((cx + w / 4)),$((y0 + h * 80 / 100)) $((cx + w / 3)),$((y1 - 2))'")
  pen '#455a64' '#263238' 1; poly "$((cx - w / 8)),$hb $((cx + w / 8)),$hb $((cx + w / 18)),$((hb + h / 8)) $((cx - w / 18)),$((hb + h / 8))"
  pen '#546e7a' '#263238' 2; rrect "$((x0 + w / 10))" "$((y0 + h / 20))" "$((x1 - w / 10))" "$hb" $((w / 14))
  db9 "$((x0 + w / 6))" "$((y0 + h * 12 / 100))" "$((x1 - w / 6))" "$((y0 + h * 44 / 100))"
  text "$((x0 + w / 5))" "$((y0 + h * 47 / 100))" "$((h / 16 > 6 ? h / 16 : 6))" white "RS-232"
}

# The simulated converter of test mode: a box whose screen shows a made-up signal.
demo_box() {
  local x0=$1
  local y0=$2
  local x1=$3
  local y1=$4
  local d=$(((y1 - y0) / 10))
  case_box "$x0" "$y0" "$x1" "$y1" "$d" '#6a1b9a' '#ab47bc' '#4a148c'
  local fx0=$x0
  local fy0=$((y0 + d))
  local fx1=$((x1 - d))
  local fy1=$y1
  local fw=$((fx1 - fx0))
  local fh=$((fy1 - fy0))
  pen '#102027' '#111111' 1; rect "$((fx0 + fw / 10))" "$((fy0 + fh / 10))" "$((fx1 - fw / 10))" "$((fy0 + fh * 58 / 100))"
  local sx0=$((fx0 + fw / 10 + 2))
  local sx1=$((fx1 - fw / 10 - 2))
  local sy=$((fy0 + fh * 34 / 100))
  local a=$((fh / 7))
  local q=$(((sx1 - sx0) / 4))
  pen none '#76ff03' 1
  P+=(-draw "path 'M $sx0,$sy Q $((sx0 + q / 2)),$((sy - 2 * a)) $((sx0 + q)),$sy T $((sx0 + 2 * q)),$sy T $((sx0 + 3 * q)),$sy T $sx1,$sy'")
  text "$((fx0 + fw / 10))" "$((fy0 + fh * 64 / 100))" "$((fh / 5))" white "DEMO"
}

# The interface pictures, at the sizes the External A/D Device window and the connection
# animation draw them.
sable 1 1 165 175 UI2 '#37474f' 4 0; picture "UI2.gif" 166 176
sable 1 1 201 194 UI3 '#1a3d63' 6 1; picture "UI3.gif" 202 195
sable 1 1 129 137 UI2 '#37474f' 4 0; picture "UI2small.gif" 130 138
sable 1 1 92 99 UI3 '#1a3d63' 6 1; picture "UI3small.gif" 93 100
sable 1 1 179 172 UI3 '#1a3d63' 6 1; picture "UI3medium.gif" 180 173
datataker 1 1 199 132 DT500 '#e0e0e0' leds; picture "DT500.gif" 200 133
datataker 1 1 121 92 DT500 '#bdbdbd' leds; picture "DT500 B.gif" 122 93
datataker 1 1 186 148 DT50 '#e0e0e0' leds; picture "DT50.gif" 187 149
datataker 1 1 186 148 DT50 '#e0e0e0' leds; picture "DT50small.gif" 187 149
datataker 1 1 199 155 DT80 '#cfd8dc' lcd; picture "DT80.gif" 200 156
datataker 1 1 199 144 DT800 '#cfd8dc' keypad 3; picture "DT800.gif" 200 145
datataker 1 1 199 141 DT85 '#cfd8dc' lcd 3; picture "DT85.gif" 200 142
datataker 38 0 103 48 DT800 '#cfd8dc' keypad; datataker 0 29 74 82 DT500 '#e0e0e0' leds; picture "DataTakers.gif" 104 83
adam 1 1 179 177 4019 4050 4520; picture "ADAM image.gif" 180 178
adam 1 1 159 157 4019 4520; picture "ADAM image B.gif" 160 158
adc1 1 1 129 104; picture "ADC1.gif" 130 105
# The External A/D Device window draws the plug 40 pixels down: its lowest rows stay empty, clear
# of the buttons there.
serial_plug 1 1 199 158; picture "DB9.gif" 200 192
demo_box 1 1 72 70; picture "demo icon.gif" 73 71
# Screen-size pictures: a screen outline with the part in use filled.
screen() {
  local name=$1 frac=$2
  im -size 60x45 xc:white -stroke '#37474f' -fill none -draw "rectangle 1,1 58,43" -stroke none \
     -fill '#90caf9' -draw "rectangle 3,3 $((3 + 54 * frac / 100)),41" "$img/$name"
}
screen "full screen.gif" 100
screen "half screen.gif" 50
screen "third screen.gif" 33
screen "quarter screen.gif" 25
screen "blank screen.gif" 0
im -size 40x24 xc:none -fill '#d50000' -draw "polygon 0,8 26,8 26,1 39,12 26,23 26,16 0,16" "$img/red arrow.gif"
im -size 60x30 xc:none -fill '#1e88e5' -draw "polygon 0,11 40,11 40,2 59,15 40,28 40,19 0,19" "$img/blue arrows.gif"
im -size 60x30 xc:none -fill '#43a047' -draw "polygon 0,11 40,11 40,2 59,15 40,28 40,19 0,19" "$img/green arrows.gif"
im -size 38x38 xc:none -stroke '#2e7d32' -strokewidth 6 -fill none -draw "polyline 4,20 14,31 34,6" "$img/checkmark.png"
im -size 10x10 xc:none -fill '#212121' -draw "ellipse 5,6 2,3 0,360" -fill '#90a4ae' \
   -draw "ellipse 2,3 2,2 0,360" -draw "ellipse 8,3 2,2 0,360" "$img/fly.png"
# Logo and mascots.
im -size 150x134 xc:none -fill '#0d47a1' -draw "roundrectangle 4,4 145,129 18,18" -fill white \
   -font "$BOLD" -pointsize 64 -gravity center -annotate +0-8 "M" -font "$FONT" -pointsize 14 \
   -annotate +0+44 "Mirevant" "$img/MVlogo.gif"
mascot() {
  local name=$1 colour=$2
  im -size 110x120 xc:none -fill "$colour" -draw "ellipse 55,70 38,44 0,360" -fill white \
     -draw "circle 42,52 42,62" -draw "circle 68,52 68,62" -fill black -draw "circle 44,54 44,58" \
     -draw "circle 70,54 70,58" -stroke black -strokewidth 2 -fill none -draw "arc 38,72 72,96 20,160" "$img/$name"
}
mascot Pladdy1.gif '#8d6e63'
mascot Pladdy2.gif '#6d4c41'
mascot Pladdy3.gif '#a1887f'
# The eye frames of the start-up picture: an eye closing and opening again.
for k in 1 2 3 4 5 6 7 8; do
  lid=$(( k <= 4 ? k * 2 : (9 - k) * 2 ))
  im -size 66x15 xc:'#5d4037' -fill white -draw "ellipse 33,7 30,7 0,360" -fill '#1b5e20' \
     -draw "circle 33,7 33,12" -fill '#5d4037' -draw "rectangle 0,0 65,$lid" "$img/vorneye$k.gif"
done

# The disk, the bin, the computer, the gears, the file pictures, the toolbars and the buttons.
# shellcheck source=scripts/resource-icons.sh
. scripts/resource-icons.sh

# The world map of the sun-cycle calculator's position picker: the equirectangular
# picture of the Earth packaged for xplanet (180 W at its left edge, 90 N at its top),
# stretched so that 360 degrees of longitude span the picker's 1080 pixels and 180 of
# latitude its 720, and reduced to 64 colours to keep the file small. The picture is
# NASA Visible Earth imagery, not copyrighted (see the package's copyright file).
im "$EARTH" -filter Triangle -resize '1080x720!' +dither -colors 64 \
   -define png:compression-level=9 "$img/world map.png"

# ---- splash pictures ---------------------------------------------------------------------
splash_names=("Arches NP" avocets BEdarner "Big Sur fog" Bosque bufflehead cactus "cholla sunrise"
  "collared lizard" "darner eyes" dipper dragonfly "dune tracks" "ferruginous flying" ferruginous
  "flying cranes" "foggy pines" "ghost flower" GOTV GPS "great horned owl" "green jay" "Halfdome winter"
  Halfdome "Ibex dunes" "king eider" manzanita monarch "Mono tufa" oakleaf "painted bunting" "PB shoreline"
  "peacock pheasant" poorwill puma "rainbow snowgeese" riflebird "sea otter" "Sumatran tiger" "sunset pines"
  "TDP Cuernos" tiger "TOV dawn" "TOV winter" "turaco feathers" turkeyfeathers TwoPeoplesBay
  "variegated meadowhawk" "Wall Street" "wandering glider" waves "Zion Canyon")
skies=('#ffcc80' '#90caf9' '#b39ddb' '#80cbc4' '#ffab91' '#e6ee9c')
lands=('#6d4c41' '#33691e' '#37474f' '#827717' '#4e342e' '#1b5e20')
i=0
for name in "${splash_names[@]}"; do
  sky=${skies[$((i % 6))]} land=${lands[$(((i / 6 + i) % 6))]}
  h1=$((150 + (i * 37) % 90)) h2=$((170 + (i * 53) % 80))
  im -size 550x297 gradient:"$sky"-white -fill "$land" \
     -draw "polygon 0,297 0,$h1 140,$((h1 - 40)) 260,$h2 390,$((h2 - 50)) 550,$((h1 + 10)) 550,297" \
     -fill '#fff59d' -draw "circle $((80 + (i * 71) % 400)),60 $((80 + (i * 71) % 400)),82" \
     -fill '#00000055' -font "$FONT" -pointsize 12 -gravity southeast -annotate +8+6 "$name" \
     -quality 60 "$out/MVsplashscreens/$name.jpg"
  i=$((i + 1))
done
im -size 550x297 xc:none -fill '#ffffffd0' -stroke '#0d47a180' -strokewidth 2 -font "$BOLD" -pointsize 54 \
   -gravity center -annotate +0+0 "Mirevant" "$out/MVsplashscreens/MV logo text.png"

made=("$out/MVimages" "$out/MVsplashscreens")
if [ "$sounds" = 1 ]; then made+=("$out/MVsounds" "$out/MVtimerSounds" "$out/ZQsounds"); fi
echo "make-resources: wrote $(find "${made[@]}" -type f | wc -l) files, $(du -shc "${made[@]}" | tail -1 | cut -f1) in $out"

#!/usr/bin/env bash
# Rebuilds the program's generated resources: the sounds (synthesised with sox,
# encoded with lame) and the pictures (drawn with ImageMagick). The help pages
# and the speed warning text are written by hand and are not touched.
#
#   scripts/make-resources.sh [RESOURCE_DIR]     (default: resources/)
#
# Needs the Debian packages sox, lame and imagemagick (not needed to build or
# test the program: the generated files are kept in the repository).
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-resources}")
for tool in sox lame; do
  command -v "$tool" >/dev/null || { echo "make-resources: $tool is missing (apt-get install sox lame imagemagick)" >&2; exit 1; }
done
IM=$(command -v convert-im6.q16 || command -v magick || command -v convert) ||
  { echo "make-resources: ImageMagick is missing" >&2; exit 1; }
FONT=DejaVu-Sans
BOLD=DejaVu-Sans-Bold
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out/MVsounds" "$out/MVtimerSounds" "$out/ZQsounds" "$out/MVimages" "$out/MVsplashscreens"

# ---- sounds ------------------------------------------------------------------------------
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

# ---- pictures ----------------------------------------------------------------------------
img="$out/MVimages"
im() { "$IM" "$@"; }
# label NAME WxH BACKGROUND FOREGROUND TEXT [POINTSIZE]: a plain framed picture with a label.
label() {
  local name=$1 size=$2 bg=$3 fg=$4 text=$5 pt=${6:-11}
  local w=${size%x*} h=${size#*x}
  im -size "$size" "xc:$bg" -fill none -stroke "$fg" -strokewidth 2 -draw "rectangle 1,1 $((w - 2)),$((h - 2))" \
     -stroke none -fill "$fg" -font "$BOLD" -pointsize "$pt" -gravity center -annotate +0+0 "$text" "$img/$name"
}

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

# Interface pictures: a box with its name.
label "UI2.gif" 100x86 '#cfd8dc' '#263238' "UI-2" 18
label "UI3.gif" 100x86 '#cfd8dc' '#263238' "UI-3" 18
label "UI2small.gif" 40x34 '#cfd8dc' '#263238' "UI2" 10
label "UI3small.gif" 40x34 '#cfd8dc' '#263238' "UI3" 10
label "UI3medium.gif" 64x55 '#cfd8dc' '#263238' "UI3" 14
label "DT500.gif" 100x80 '#eceff1' '#1b5e20' "DT500" 16
label "DT500 B.gif" 100x80 '#e8f5e9' '#1b5e20' "DT500" 16
label "DT50.gif" 100x80 '#eceff1' '#1b5e20' "DT50" 16
label "DT50small.gif" 40x32 '#eceff1' '#1b5e20' "DT50" 9
label "DT80.gif" 100x70 '#eceff1' '#1b5e20' "DT80" 16
label "DT800.gif" 100x70 '#eceff1' '#1b5e20' "DT800" 16
label "DT85.gif" 100x70 '#eceff1' '#1b5e20' "DT85" 16
label "DataTakers.gif" 104x83 '#eceff1' '#1b5e20' "DataTaker" 13
label "ADAM image.gif" 80x81 '#e3f2fd' '#0d47a1' "ADAM" 16
label "ADAM image B.gif" 80x81 '#bbdefb' '#0d47a1' "ADAM" 16
label "ADC1.gif" 70x68 '#fff3e0' '#e65100' "ADC-1" 14
label "DB9.gif" 98x82 '#f5f5f5' '#37474f' "serial" 14
label "demo icon.gif" 73x71 '#f3e5f5' '#4a148c' "demo" 14
# Buttons and file pictures.
label "acquisition params button.gif" 320x44 '#e0e0e0' '#212121' "Acquisition parameters" 16
label "change mode button.gif" 320x44 '#e0e0e0' '#212121' "Change recording mode" 16
label "make setup button.gif" 320x44 '#e0e0e0' '#212121' "Make a set-up file" 16
label "quicksave button.gif" 320x44 '#e0e0e0' '#212121' "Quick save" 16
label "quit button.gif" 115x40 '#e0e0e0' '#212121' "Quit" 16
label "restart button.gif" 320x44 '#e0e0e0' '#212121' "Record again" 16
label "save data button.png" 320x44 '#e0e0e0' '#212121' "Save data" 16
label "raw chart file.gif" 48x48 white '#1565c0' "chart" 10
label "raw scope file.gif" 48x48 white '#1565c0' "scope" 10
label "setup file image.gif" 64x64 white '#6a1b9a' "setup" 12
label "SSCF.gif" 48x48 white '#2e7d32' "SSCF" 11
label "SSCF.png" 48x48 white '#2e7d32' "SSCF" 11
label "hard drive.gif" 63x65 '#eeeeee' '#424242' "disk" 12
label "trashcan.gif" 63x78 '#eeeeee' '#424242' "trash" 12
label "sadMac.gif" 128x122 '#eeeeee' '#424242' ":-(" 36
label "blank iMac.gif" 128x122 '#fafafa' '#607d8b' "" 10
label "gears.png" 94x80 '#eceff1' '#455a64' "settings" 13
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
# Toolbars: 40-pixel icon cells with short labels, light and dark sets.
toolbar() {
  local name=$1 width=$2 bg=$3 fg=$4; shift 4
  local args=() x=0
  for cell in "$@"; do
    args+=(-fill none -stroke "$fg" -draw "roundrectangle $((x + 2)),2 $((x + 37)),37 5,5"
           -stroke none -fill "$fg" -annotate "+$((x + 20 - ${#cell} * 3))+24" "$cell")
    x=$((x + 40))
  done
  im -size "${width}x40" "xc:$bg" -font "$BOLD" -pointsize 9 "${args[@]}" "$img/$name"
}
chart_cells=(stop pause go note +time replay ref? save ref samp)
chart_x_cells=(stop pause go note +time replay "" save "" "")
both_cells=(stop pause go note +time replay ref? save ref samp scope)
both_x_cells=(stop pause go note +time replay "" save "" "" scope)
toolbar "light toolbar x.png" 404 '#eceff1' '#263238' "${chart_x_cells[@]}"
toolbar "dark toolbar.png" 404 '#263238' '#eceff1' "${chart_cells[@]}"
toolbar "dark toolbar x.png" 404 '#263238' '#eceff1' "${chart_x_cells[@]}"
toolbar "light toolbar b.png" 442 '#eceff1' '#263238' "${both_cells[@]}"
toolbar "dark scopechart.png" 442 '#263238' '#eceff1' "${both_cells[@]}"
toolbar "light toolbar bx.png" 442 '#eceff1' '#263238' "${both_x_cells[@]}"
toolbar "dark toolbar bx.png" 442 '#263238' '#eceff1' "${both_x_cells[@]}"
toolbar "light scope toolbar.png" 81 '#eceff1' '#263238' stop save
toolbar "dark scope toolbar.png" 81 '#263238' '#eceff1' stop save
toolbar "light toolbar keyboard.png" 420 '#eceff1' '#263238' "${chart_cells[@]}"
toolbar "dark toolbar keypad.png" 420 '#263238' '#eceff1' "${chart_cells[@]}"

# A world map in the Mercator projection: sea, rough continents, a grid every 30 degrees.
im -size 1125x720 gradient:'#5b8fc7'-'#2f5f97' -fill '#7a9a55' -stroke '#5f7d40' -strokewidth 2 \
   -draw "polygon 100,150 260,110 330,170 300,250 250,300 210,360 170,300 120,250" \
   -draw "polygon 250,390 320,380 340,470 300,580 270,620 250,520" \
   -draw "polygon 520,140 640,110 700,150 650,200 560,210 520,180" \
   -draw "polygon 530,250 640,240 680,330 640,460 590,500 560,400 520,320" \
   -draw "polygon 660,120 900,100 1000,160 950,260 880,300 760,290 700,220" \
   -draw "polygon 880,440 980,430 1010,500 940,530 870,500" \
   -draw "polygon 0,660 1125,660 1125,720 0,720" \
   -stroke '#ffffff80' -strokewidth 1 \
   -draw "line 0,360 1125,360" -draw "line 187,0 187,720" -draw "line 375,0 375,720" \
   -draw "line 562,0 562,720" -draw "line 750,0 750,720" -draw "line 937,0 937,720" \
   -quality 70 "$img/world relief map.jpg"

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

echo "make-resources: wrote $(find "$out" -type f | wc -l) files, $(du -sh "$out" | cut -f1) in $out"

# shellcheck shell=bash disable=SC2154  # img and tmp are set by make-resources.sh
# Sourced by make-resources.sh (not run on its own): the small pictures of the program's
# windows that show a thing rather than an instrument: the disk and the bin of the data-loss
# guard, the sad computer of a failed connection, the gears of the settings windows, the file
# pictures, the recording toolbars and the buttons of the options window.
#
# Everything here is drawn at twice its final size and scaled down, which gives smooth edges.
# Small symbols are drawn once each as an 80 by 80 tile ("icon" below) and then placed, at
# whatever size is needed, on the toolbars, the buttons and the file pictures.
# Uses im, the P drawing helpers (pen, rect, rrect, circ, poly, line), $tmp, $img and the fonts
# of make-resources.sh.

ell() { P+=(-draw "ellipse $1,$2 $3,$4 0,360"); }
polyline() { P+=(-draw "polyline $*"); }
path() { P+=(-draw "path '$1'"); }
arc() { P+=(-draw "arc $1,$2 $3,$4 $5,$6"); }
# ctext DX DY POINTSIZE COLOUR TEXT: text centred on the canvas, moved by DX, DY.
ctext() {
  P+=(-gravity center -stroke none -fill "$4" -font "$BOLD" -pointsize "$3" -annotate "$(printf '%+d%+d' "$1" "$2")" "$5"
      -gravity NorthWest)
}
# canvas FILE W H: writes the collected drawing P onto a transparent W by H canvas.
canvas() {
  im -size "$2x$3" xc:none -gravity NorthWest "${P[@]}" "$1"
  P=()
}
# half_picture NAME W H: the drawing P, made at 2W by 2H, scaled to W by H into the picture folder.
half_picture() {
  im -size "$(($2 * 2))x$(($3 * 2))" xc:none -gravity NorthWest "${P[@]}" -resize "$2x$3!" -depth 8 "$img/$1"
  P=()
}
# gear CX CY ROOT TIP TEETH PHASE FILL EDGE: a toothed wheel, the first tooth at PHASE degrees
# (clockwise from the right), with its rim, hub and axle drawn in.
gear() {
  local pts
  pts=$(awk -v cx="$1" -v cy="$2" -v r0="$3" -v r1="$4" -v n="$5" -v ph="$6" 'BEGIN {
    pi = atan2(0, -1); p = 2 * pi / n
    for (i = 0; i < n; i++) {
      a = ph * pi / 180 + i * p
      split("-0.30 -0.13 0.13 0.30", f, " ")
      for (k = 1; k <= 4; k++) {
        r = (k == 1 || k == 4) ? r0 : r1
        printf "%.1f,%.1f ", cx + r * cos(a + f[k] * p), cy + r * sin(a + f[k] * p)
      }
    }
  }')
  pen "$7" "$8" 2; poly "$pts"
  pen none "$8" 2; circ "$1" "$2" "$(($3 * 3 / 4))"
  pen "$8" none; circ "$1" "$2" "$(($3 / 3))"
  pen '#eceff1' none; circ "$1" "$2" "$(($3 / 7 > 1 ? $3 / 7 : 2))"
}

# ---- symbols, each on an 80 by 80 tile -----------------------------------------------------
page() {  # a sheet of paper with its top right corner folded
  pen white '#455a64' 2; poly "14,4 52,4 66,18 66,76 14,76"
  pen '#cfd8dc' '#455a64' 2; poly "52,4 52,18 66,18"
}
sym_stop() {
  pen '#e53935' '#7f0000' 2; poly "31,16 49,16 64,31 64,49 49,64 31,64 16,49 16,31"
  pen white none; rect 26 36 54 44
}
sym_pause() { pen '#ffb300' '#5d4037' 2; rrect 23 17 36 63 3; rrect 44 17 57 63 3; }
sym_go() { pen '#43a047' '#1b5e20' 2; poly "25,15 65,40 25,65"; }
sym_note() {
  pen white '#455a64' 2; poly "16,12 46,12 54,20 54,68 16,68"
  pen none '#90a4ae' 3; line 22 28 46 28; line 22 38 46 38; line 22 48 38 48
  pen '#fdd835' '#5d4037' 2; poly "60,22 68,30 44,58 36,50"
  pen '#ffe0b2' '#5d4037' 2; poly "36,50 44,58 31,63"
  pen '#f48fb1' '#5d4037' 2; poly "60,22 68,30 72,26 64,18"
}
sym_time() {
  pen white '#263238' 3; circ 35 45 23
  pen none '#263238' 3; line 35 24 35 29; line 35 61 35 66; line 14 45 19 45; line 51 45 56 45
  line 35 45 35 31; line 35 45 45 51
  pen '#43a047' '#1b5e20' 2; circ 60 20 14
  pen none white 5; line 60 12 60 28; line 52 20 68 20
}
# A turning arrow around the centre; the arrowhead points on clockwise at the top right.
turn_arrow() {
  pen none "$1" 7; arc 16 16 64 64 40 300
  pen "$1" "$1" 1; poly "61,24 45,26 54,9"
}
sym_replay() {
  turn_arrow '#1e88e5'
  pen none '#263238' 4; polyline 27,47 33,37 40,45 46,33 53,41
}
sym_again() {
  turn_arrow '#2e7d32'
  pen '#e53935' '#7f0000' 2; circ 40 40 11
}
sym_refq() {
  pen '#e3f2fd' '#455a64' 2; poly "22,16 52,16 52,22 41,40 52,58 52,64 22,64 22,58 33,40 22,22"
  pen '#ffb300' none; poly "26,61 48,61 37,49"; poly "29,25 45,25 37,35"
  pen '#8d6e63' '#3e2723' 2; rect 18 10 56 16; rect 18 64 56 70
  pen '#8e24aa' '#4a148c' 2; circ 61 57 14
  ctext 21 17 19 white R
}
floppy() {
  pen '#1e88e5' '#0d47a1' 2; poly "14,14 58,14 66,22 66,66 14,66"
  pen '#cfd8dc' '#455a64' 1; rect 24 14 52 33
  pen '#1e88e5' none; rect 42 18 47 29
  pen white '#90a4ae' 1; rect 22 42 58 66
  pen none '#90a4ae' 2; line 27 50 53 50; line 27 58 53 58
}
sym_save() { floppy; }
sym_quicksave() {
  floppy
  pen '#ffd600' '#5d4037' 2; poly "56,30 44,52 54,52 46,76 70,46 58,46 66,30"
}
letter_badge() { pen "$1" "$2" 2; circ 40 40 24; ctext 0 0 34 white "$3"; }
sym_ref() { letter_badge '#8e24aa' '#4a148c' R; }
sym_samp() { letter_badge '#00897b' '#004d40' S; }
scope_screen() {  # X0 Y0 X1 Y1: a dark screen with a sweep across it
  local x0=$1 y0=$2 x1=$3 y1=$4
  local m=$(((y0 + y1) / 2)) q=$(((x1 - x0) / 4)) a=$(((y1 - y0) * 2 / 5))
  pen '#0d1b5e' '#263238' 2; rrect "$x0" "$y0" "$x1" "$y1" 3
  pen none '#3949ab' 1; line "$((x0 + 2))" "$m" "$((x1 - 2))" "$m"; line "$(((x0 + x1) / 2))" "$((y0 + 2))" "$(((x0 + x1) / 2))" "$((y1 - 2))"
  pen none '#ffd600' 3
  path "M $((x0 + 3)),$m Q $((x0 + 3 + q / 2)),$((m - 2 * a)) $((x0 + 3 + q)),$m T $((x0 + 3 + 2 * q)),$m T $((x0 + 3 + 3 * q)),$m T $((x1 - 3)),$m"
}
sym_scope() {
  scope_screen 10 10 70 50
  pen '#43a047' '#1b5e20' 2; poly "33,52 47,52 47,60 56,60 40,74 24,60 33,60"
}
sym_sliders() {
  pen '#cfd8dc' '#455a64' 2; rrect 8 10 72 70 6
  local x y
  for y in 24 40 56; do
    pen none '#37474f' 4; line 16 "$y" 64 "$y"
  done
  while read -r x y; do
    pen '#ffb300' '#5d4037' 2; rrect "$((x - 5))" "$((y - 8))" "$((x + 5))" "$((y + 8))" 2
  done <<< $'30 24\n52 40\n38 56'
}
sym_setupdoc() {
  page
  local x y
  for y in 24 40 56; do pen none '#6a1b9a' 3; line 20 "$y" 56 "$y"; done
  while read -r x y; do
    pen '#ce93d8' '#4a148c' 2; circ "$x" "$y" 5
  done <<< $'28 24\n46 40\n34 56'
  gear 60 62 11 17 8 0 '#78909c' '#263238'
}
sym_chartdoc() {
  page
  pen '#1565c0' none; rect 20 10 44 16
  pen none '#cfd8dc' 1; line 20 30 60 30; line 20 42 60 42; line 20 54 60 54; line 20 66 60 66
  pen none '#1565c0' 3; polyline 20,56 27,44 33,50 40,34 47,42 53,30 60,38
  pen none '#2e7d32' 3; polyline 20,70 28,65 36,67 44,61 52,64 60,59
}
sym_scopedoc() {
  page
  pen '#1565c0' none; rect 20 10 44 16
  scope_screen 20 26 60 68
}
sym_sscfdoc() {
  page
  pen '#2e7d32' none; rect 15 22 65 38
  ctext 0 -10 15 white SSCF
  local y
  pen '#546e7a' none
  for y in 45 53 61 69; do rect 20 "$y" 31 "$((y + 3))"; rect 36 "$y" 47 "$((y + 3))"; rect 52 "$y" 61 "$((y + 3))"; done
}
sym_modes() {
  pen white '#263238' 2; rect 6 14 40 50
  pen none '#1565c0' 3; polyline 10,42 16,30 22,36 28,24 36,32
  scope_screen 40 14 74 50
  pen '#455a64' none; poly "22,58 30,52 30,56 50,56 50,52 58,58 50,64 50,60 30,60 30,64"
}
sym_quit() {
  pen '#eceff1' '#37474f' 2; rect 12 8 44 72
  pen '#263238' none; rect 16 12 40 68
  pen '#8d6e63' '#3e2723' 2; poly "12,8 30,16 30,78 12,72"
  pen '#ffd600' none; circ 26 46 2
  pen '#e53935' '#7f0000' 2; poly "38,34 54,34 54,24 72,40 54,56 54,46 38,46"
}
# icon KIND: the tile of symbol KIND, made once; prints its file name. Run it as $(icon KIND):
# the drawing being collected stays out of the tile and the tile's drawing out of it.
icon() {
  local f="$tmp/icon-$1.png"
  P=()
  if [ ! -e "$f" ]; then "sym_$1"; canvas "$f" 80 80; fi
  echo "$f"
}

# ---- pictures of the data-loss guard -------------------------------------------------------
# A hard disk with its cover off: the platter, the spindle, the head arm, the corner screws.
hard_drive() {
  pen '#b0bec5' '#37474f' 3; rrect 4 4 121 125 12
  pen '#cfd8dc' none; rrect 8 8 117 18 6
  pen '#90a4ae' '#546e7a' 2; circ 63 54 46
  pen '#e0e6ea' none; circ 63 54 43
  pen none '#b0bec5' 1; circ 63 54 34; circ 63 54 25
  pen '#ffffff90' none; path "M 63,54 L 63,11 A 43,43 0 0,1 100,32 Z"
  pen '#78909c' '#37474f' 2; circ 63 54 12
  pen '#cfd8dc' none; circ 63 54 5
  local x y
  while read -r x y; do
    pen '#eceff1' '#455a64' 2; circ "$x" "$y" 5
    pen none '#455a64' 2; line "$((x - 3))" "$((y + 3))" "$((x + 3))" "$((y - 3))"
  done <<< $'14 14\n111 14\n14 115\n111 115'
  pen '#546e7a' '#263238' 2; poly "93,104 103,104 89,26 81,26"
  pen '#263238' none; rect 79 18 91 28
  pen '#607d8b' '#263238' 2; circ 98 104 12
  pen '#cfd8dc' none; circ 98 104 4
  pen '#ffffff' '#78909c' 1; rect 14 102 62 120
  pen none '#90a4ae' 2; line 19 108 56 108; line 19 114 46 114
}
# A metal rubbish bin with its lid and handle.
trash_can() {
  pen none '#37474f' 6; rrect 48 6 78 28 6
  pen '#90a4ae' '#37474f' 3; rrect 12 22 114 38 6
  pen '#cfd8dc' none; rect 18 25 108 29
  pen '#b0bec5' '#37474f' 3; poly "20,40 106,40 96,150 30,150"
  pen '#cfd8dc' none; poly "26,44 40,44 44,146 34,146"
  pen none '#607d8b' 4; line 47 50 50 140; line 63 50 63 140; line 79 50 76 140; line 93 50 88 140
  pen '#78909c' '#37474f' 2; rect 28 146 98 152
}
hard_drive; half_picture "hard drive.gif" 63 65
trash_can; half_picture "trashcan.gif" 63 78

# ---- the computer: blank, and sad when the interface was not found -------------------------
# computer DX: the monitor, DX pixels right of the picture's left edge.
computer() {
  local d=$1
  pen '#eceff1' '#546e7a' 2; rrect "$((4 + d))" 3 "$((123 + d))" 93 8
  pen '#cfe3f3' '#37474f' 1; rect "$((12 + d))" 11 "$((115 + d))" 75
  pen '#b0bec5' '#546e7a' 1; poly "$((54 + d)),94 $((74 + d)),94 $((78 + d)),110 $((50 + d)),110"
  pen '#cfd8dc' '#546e7a' 1; rrect "$((34 + d))" 109 "$((94 + d))" 118 4
  pen '#90a4ae' none; circ "$((63 + d))" 84 3
}
computer 0; picture "blank iMac.gif" 128 122
# The connection animation leaves the blank computer 4 pixels right of where the sad one is
# drawn: the sad one is drawn as far right in its picture, so that it covers the blank one.
computer 4
pen none '#37474f' 3
line 44 26 54 36; line 44 36 54 26; line 81 26 91 36; line 81 36 91 26
arc 48 52 88 76 200 340
pen '#90caf9' '#1e88e5' 1; ell 92 44 3 5
picture "sadMac.gif" 128 122

# ---- gears, the settings picture -----------------------------------------------------------
gear 64 95 48 58 14 -25 '#90a4ae' '#37474f'
gear 133 41 29 39 9 142 '#ffb300' '#6d4c41'
half_picture "gears.png" 94 80

# ---- file pictures -------------------------------------------------------------------------
file_picture() { im "$(icon "$1")" -resize "$3x$3" -depth 8 "$img/$2"; }
file_picture chartdoc "raw chart file.gif" 48
file_picture scopedoc "raw scope file.gif" 48
file_picture sscfdoc "SSCF.gif" 48
file_picture sscfdoc "SSCF.png" 48
file_picture setupdoc "setup file image.gif" 64

# ---- recording toolbars: 40-pixel cells, light and dark sets -------------------------------
# toolbar NAME WIDTH light|dark CELL...: CELL is a symbol, or !symbol for one shown dimmed
# because it does nothing in this recording. Space left over after the cells shows a keypad,
# the sign of a toolbar for streaming serial input.
toolbar() {
  local name=$1 width=$2 scheme=$3
  shift 3
  local bg='#263238' face='#455a64' edge='#90a4ae'
  if [ "$scheme" = light ]; then bg='#eceff1' face='#ffffff' edge='#78909c'; fi
  local args=() x=0 cell kind tile
  for cell in "$@"; do
    args+=(-fill "$face" -stroke "$edge" -strokewidth 2 -draw "roundrectangle $((x + 4)),4 $((x + 74)),74 10,10")
    x=$((x + 80))
  done
  x=0
  for cell in "$@"; do
    kind=${cell#!}
    tile=$(icon "$kind")
    if [ "$kind" != "$cell" ]; then
      args+=(\( "$tile" -channel A -evaluate multiply 0.25 +channel \))
    else
      args+=("$tile")
    fi
    args+=(-geometry "+$((x - 1))-1" -composite)
    x=$((x + 80))
  done
  if ((2 * width - x >= 30)); then
    local i j
    args+=(-fill "$edge" -stroke none)
    for ((j = 0; j < 4; j++)); do for ((i = 0; i < 3; i++)); do
      args+=(-draw "roundrectangle $((x + 6 + i * 10)),$((18 + j * 12)) $((x + 13 + i * 10)),$((26 + j * 12)) 2,2")
    done; done
  fi
  im -size "$((2 * width))x80" "xc:$bg" "${args[@]}" -resize "${width}x40!" -depth 8 "$img/$name"
}
chart_cells=(stop pause go note time replay refq save ref samp)
chart_x_cells=(stop pause go note time replay !refq save !ref !samp)
both_cells=("${chart_cells[@]}" scope)
both_x_cells=("${chart_x_cells[@]}" scope)
toolbar "light toolbar x.png" 404 light "${chart_x_cells[@]}"
toolbar "dark toolbar.png" 404 dark "${chart_cells[@]}"
toolbar "dark toolbar x.png" 404 dark "${chart_x_cells[@]}"
toolbar "light toolbar b.png" 442 light "${both_cells[@]}"
toolbar "dark scopechart.png" 442 dark "${both_cells[@]}"
toolbar "light toolbar bx.png" 442 light "${both_x_cells[@]}"
toolbar "dark toolbar bx.png" 442 dark "${both_x_cells[@]}"
toolbar "light scope toolbar.png" 81 light stop scope
toolbar "dark scope toolbar.png" 81 dark stop scope
toolbar "light toolbar keyboard.png" 420 light "${chart_cells[@]}"
toolbar "dark toolbar keypad.png" 420 dark "${chart_cells[@]}"

# ---- buttons of the options window ---------------------------------------------------------
# button NAME W H SYMBOL TEXT: a raised, rounded button with its symbol at the left.
button() {
  local name=$1 w=$(($2 * 2)) h=$(($3 * 2)) label=$5
  local s=$((h - 20)) tile
  tile=$(icon "$4")
  pen '#9eaab1' none; rrect 4 7 "$((w - 2))" "$((h - 1))" 14
  pen '#e3e8eb' '#546e7a' 2; rrect 2 2 "$((w - 4))" "$((h - 5))" 14
  pen '#ffffff80' none; rrect 6 6 "$((w - 8))" "$((h / 2 - 2))" 10
  im -size "${w}x${h}" xc:none -gravity NorthWest "${P[@]}" \
     \( "$tile" -resize "${s}x${s}" \) -geometry "+12+7" -composite \
     -gravity center -stroke none -fill '#212121' -font "$BOLD" -pointsize 31 -annotate "+$((s / 2))+0" "$label" \
     -resize "$2x$3!" -depth 8 "$img/$name"
  P=()
}
button "restart button.gif" 320 44 again "Record again"
button "save data button.png" 320 44 save "Save data"
button "quicksave button.gif" 320 44 quicksave "Quick save"
button "acquisition params button.gif" 320 44 sliders "Acquisition parameters"
button "make setup button.gif" 320 44 setupdoc "Make a set-up file"
button "change mode button.gif" 320 44 modes "Change recording mode"
button "quit button.gif" 115 40 quit "Quit"

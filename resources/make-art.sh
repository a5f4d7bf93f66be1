#!/usr/bin/env bash
# Draws every picture of the launcher's windows, each twice: at its own size (stem.png) and the
# same drawing at twice the size for displays at 200 % (stem_2x.png: every coordinate, stroke and
# type size doubled, text drawn anew, not an enlargement); then the application icon and the
# resource lists that embed them; then checks sizes and PNG colour types and fails on any mismatch.
# The results are committed, so a build needs neither ImageMagick nor the font.
#
#   resources/make-art.sh            redraw everything, then check
#   resources/make-art.sh --check    only check the committed files
set -euo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# The real ImageMagick 6; a convert found earlier on PATH may be a stand-in that drops alpha.
CONVERT=/usr/bin/convert
FONT=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc

# One line per picture: stem | width | height | rgba or rgb | used by (window: component).
# Drawing, the resource list, the table in pictures.md and the check all read this list.
PICTURES="
banner|620|241|rgba|main window: imgTop
btn_min|30|27|rgba|main window: btnSmall.PngImg
btn_min_hover|30|27|rgba|main window: btnSmall.PngOver
btn_close|30|27|rgba|main window: btnClose.PngImg; failure prompt: btnClose.PngImg
btn_close_hover|30|27|rgba|main window: btnClose.PngOver; failure prompt: btnClose.PngOver
arrow_gray|14|15|rgb|main window: imgGray
btn_download_now|215|57|rgb|main window: btnDownloadNow
btn_download|196|50|rgb|main window: btnDownload
btn_dir|70|26|rgb|main window: btnDir
btn_install|194|48|rgb|main window: btnInstall
progress_track|738|19|rgb|main window: imgProcessOuter
progress_bar|736|19|rgb|main window: imgProcessInner
prompt_title|737|26|rgb|failure prompt: pnl_Titile.BackgroundPicture
prompt_info_sign|60|54|rgb|failure prompt: Image1
btn_reload|66|27|rgb|failure prompt: btnReLoad
btn_use_browser|105|17|rgb|failure prompt: btnUseIE
dlg_frame|37|17|rgb|message dialog: img1
dlg_title|737|26|rgb|message dialog: Image1
dlg_close|26|26|rgb|message dialog: Image2
dlg_button_bar|4|46|rgb|message dialog: Image3
dlg_icon_info|48|48|rgb|message dialog: imgInfo
dlg_icon_confirm|48|48|rgb|message dialog: imgConfirm
dlg_icon_error|48|48|rgb|message dialog: imgError
dlg_icon_warn|48|48|rgb|message dialog: imgWarn
"
ICON_SIZES="16 32 48 256"

# Brand colours shared by the pictures.
BLUE_LIGHT='#1E9BF5'
BLUE='#0B82E6'
BLUE_DEEP='#0A62CF'
PAGE_WHITE='#FFFFFF'
PROMPT_BAR='#F0F3F7'

die() { echo "make-art: $*" >&2; exit 1; }

# The drawing scale: 1 for stem.png, 2 for stem_2x.png.
S=1
# Every number in the arguments times S ("roundrectangle 0.5,0.5 9.5,9.5 4,4", "+17+0", "1.6").
sc() {
  if [ "$S" = 1 ]; then echo "$*"; return; fi
  echo "$*" | perl -pe "s/(\d+(?:\.\d+)?)/\$1 * $S/ge"
}
# A size WxH times S.
sz() { echo "$(($1 * S))x$(($2 * S))"; }

# Writes the image built by the given convert arguments with no time stamps or other
# varying chunks, as 8-bit RGBA (rgba) or 8-bit RGB (rgb).
emit() {
  local kind="$1" file="$2"; shift 2
  local format
  case "$kind" in
    rgba) format=PNG32 ;;
    rgb) format=PNG24 ;;
    *) die "unknown picture type $kind" ;;
  esac
  if [ "$S" = 1 ]; then
    "$CONVERT" "$@" -strip +set date:create +set date:modify \
      -define png:exclude-chunks=date,time "$format:$HERE/$file.png"
    return
  fi
  # The large drawings are compressed harder: zlib level 9 with each row filter (quality 90 to
  # 95), keeping the smallest file.
  local out="$HERE/${file}_${S}x.png" quality
  rm -f "$out"
  for quality in 90 91 92 93 94 95; do
    "$CONVERT" "$@" -strip +set date:create +set date:modify -quality "$quality" \
      -define png:exclude-chunks=date,time "$format:$out.try"
    if [ ! -f "$out" ] || [ "$(stat -c %s "$out.try")" -lt "$(stat -c %s "$out")" ]; then
      mv "$out.try" "$out"
    else
      rm -f "$out.try"
    fi
  done
}

# A rounded, vertically shaded button face with a centred caption, on the colour of the
# surface it sits on (the pictures are opaque, so the corners must match that surface).
button() {
  local file="$1" w="$2" h="$3" radius="$4" top="$5" bottom="$6" surface="$7"
  local caption="$8" size="$9" ink="${10}" edge="${11:-none}"
  emit rgb "$file" -size "$(sz "$w" "$h")" "xc:$surface" \
    \( -size "$(sz "$w" "$h")" "gradient:$top-$bottom" \
       \( -size "$(sz "$w" "$h")" xc:black -fill white \
          -draw "$(sc "roundrectangle 0,0 $((w - 1)),$((h - 1)) $radius,$radius")" \) \
       -alpha off -compose CopyOpacity -composite \) \
    -compose over -composite \
    -fill none -stroke "$edge" -strokewidth "$S" \
    -draw "$(sc "roundrectangle 0.5,0.5 $((w - 1)).5,$((h - 1)).5 $radius,$radius")" -stroke none \
    -font "$FONT" -pointsize "$(sc "$size")" -fill "$ink" -gravity center -annotate +0+0 "$caption"
}

draw_banner() {
  local w=620 h=241
  emit rgba banner -size "$(sz $w $h)" -define gradient:angle=120 \
    "gradient:$BLUE_LIGHT-$BLUE_DEEP" \
    -fill 'rgba(255,255,255,0.07)' -draw "$(sc 'circle 560,40 560,190')" \
    -fill 'rgba(255,255,255,0.06)' -draw "$(sc 'circle 40,230 40,120')" \
    -fill 'rgba(255,255,255,0.05)' -draw "$(sc 'circle 610,250 610,150')" \
    -fill 'rgba(255,255,255,0.08)' \
    -draw "$(sc "path 'M 0,206 C 150,176 300,236 450,206 S 580,190 620,196 L 620,241 L 0,241 Z'")" \
    -fill 'rgba(255,255,255,0.10)' \
    -draw "$(sc "path 'M 0,222 C 170,200 330,248 480,222 S 590,212 620,216 L 620,241 L 0,241 Z'")" \
    -fill 'rgba(255,255,255,0.35)' \
    -draw "$(sc 'circle 96,64 96,67')" -draw "$(sc 'circle 520,150 520,152')" -draw "$(sc 'circle 470,58 470,60')" \
    -draw "$(sc 'circle 140,168 140,170')" \
    -fill 'rgba(255,255,255,0.16)' -stroke 'rgba(255,255,255,0.75)' -strokewidth "$S" \
    -draw "$(sc 'roundrectangle 258.5,34.5 361.5,60.5 13,13')" -stroke none \
    -font "$FONT" -fill white -pointsize "$(sc 14)" -gravity north -annotate "$(sc +0+39)" '欢迎使用' \
    -gravity northwest \
    -fill white -draw "$(sc 'roundrectangle 194,84 256,146 16,16')" \
    -fill "$BLUE" -draw "$(sc 'polygon 217,96 233,96 233,112 242,112 225,128 208,112 217,112')" \
    -draw "$(sc 'roundrectangle 209,131 241,136 2,2')" \
    -fill white -stroke white -strokewidth "$S" -pointsize "$(sc 50)" -annotate "$(sc +270+83)" 'Tallyvo' \
    -stroke none -fill 'rgba(255,255,255,0.88)' -pointsize "$(sc 15)" -gravity north \
    -annotate "$(sc +0+165)" '桌面客户端  ·  极速下载  ·  一键安装'
}

# The corner controls sit on the blue banner and title bar: a white glyph on nothing, and the
# same glyph on a faint white veil while the mouse is over it.
draw_corner_glyphs() {
  local minus cross
  minus=$(sc 'rectangle 10,13 19,14')
  cross=$(sc 'line 10.5,8.5 19.5,17.5 line 19.5,8.5 10.5,17.5')
  [ "$S" = 1 ] || minus=$(sc 'rectangle 10,13 19.5,14.5')  # a rectangle's far edge is inclusive
  local veil='rgba(255,255,255,0.22)'
  emit rgba btn_min -size "$(sz 30 27)" xc:none -fill white -draw "$minus"
  emit rgba btn_min_hover -size "$(sz 30 27)" "xc:$veil" -fill white -draw "$minus"
  emit rgba btn_close -size "$(sz 30 27)" xc:none -stroke white -strokewidth "$(sc 1.6)" -draw "$cross"
  emit rgba btn_close_hover -size "$(sz 30 27)" "xc:$veil" -stroke white -strokewidth "$(sc 1.6)" -draw "$cross"
}

draw_main_window() {
  emit rgb arrow_gray -size "$(sz 14 15)" "xc:$PAGE_WHITE" -fill none -stroke '#8D8D8D' \
    -strokewidth "$(sc 1.7)" -draw "$(sc 'polyline 5,3.5 9.5,7.5 5,11.5')"
  button btn_download_now 215 57 8 "$BLUE_LIGHT" "$BLUE" "$PAGE_WHITE" '立即下载' 23 white
  button btn_download 196 50 7 "$BLUE_LIGHT" "$BLUE" "$PAGE_WHITE" '立即下载' 21 white
  button btn_install 194 48 7 "$BLUE_LIGHT" "$BLUE" "$PAGE_WHITE" '立即安装' 21 white
  button btn_dir 70 26 4 '#F7F7F7' '#E9E9E9' "$PAGE_WHITE" '更改' 13 '#4A4A4A' '#C9C9C9'
  # The progress pictures are flat fills: the track is stretched and the bar is uncovered
  # from the left, so any detail would be distorted or cut.
  emit rgb progress_track -size "$(sz 738 19)" 'xc:#ECE9E7'
  emit rgb progress_bar -size "$(sz 736 19)" 'xc:#009FD9'
}

draw_failure_prompt() {
  emit rgb prompt_title -size "$(sz 737 26)" 'gradient:#0B82E6-#047BDF'
  emit rgb prompt_info_sign -size "$(sz 60 54)" "xc:$PAGE_WHITE" \
    -fill '#F7931E' -draw "$(sc 'circle 30,27 30,3')" \
    -fill white -draw "$(sc 'circle 30,15.5 30,19')" -draw "$(sc 'roundrectangle 27,22 33,39 2,2')"
  button btn_reload 66 27 4 "$BLUE_LIGHT" "$BLUE" "$PROMPT_BAR" '重新下载' 12 white
  emit rgb btn_use_browser -size "$(sz 105 17)" "xc:$PROMPT_BAR" \
    -fill "$BLUE" -draw "$(sc 'circle 7,8.5 7,15.5')" \
    -fill white -draw "$(sc 'polygon 5.5,4 8.5,4 8.5,8 11,8 7,12.5 3,8 5.5,8')" \
    -font "$FONT" -pointsize "$(sc 12)" -fill '#2E73C8' -gravity west -annotate "$(sc +17+0)" '点击下载安装包'
}

# Disc icons are keyed on white by the dialog, so their white marks are drawn one step off
# white to stay opaque whatever the surface behind them.
disc_icon() {
  local file="$1" colour="$2"; shift 2
  emit rgb "$file" -size "$(sz 48 48)" xc:white -fill "$colour" -draw "$(sc 'circle 24,24 24,3')" \
    -fill '#FEFEFE' -stroke '#FEFEFE' "$@"
}

draw_message_dialog() {
  emit rgb dlg_frame -size "$(sz 37 17)" 'xc:rgb(127,127,127)'
  emit rgb dlg_title -size "$(sz 26 737)" 'gradient:rgb(11,130,230)-rgb(1,111,204)' -rotate 270
  # Drawn without smoothing: the bottom-left pixel is the key colour, and blended edge pixels
  # would show as an orange fringe once the square is keyed out.
  emit rgb dlg_close -size "$(sz 26 26)" 'xc:rgb(218,54,16)' +antialias -stroke white -strokewidth "$S" \
    -draw "$(sc 'line 8,8 17,17 line 17,8 8,17')"
  emit rgb dlg_button_bar -size "$(sz 4 23)" 'gradient:rgb(228,233,238)-rgb(239,243,248)' \
    \( +clone -flip \) -append
  disc_icon dlg_icon_info '#2D8CF0' -stroke none \
    -draw "$(sc 'circle 24,13.5 24,16.5')" -draw "$(sc 'roundrectangle 21.5,19.5 26.5,35 2,2')"
  disc_icon dlg_icon_confirm '#2D8CF0' -stroke none \
    -draw "$(sc 'roundrectangle 21.5,11 26.5,28.5 2.5,2.5')" -draw "$(sc 'circle 24,34 24,37')"
  disc_icon dlg_icon_error '#E5484D' -fill none -strokewidth "$(sc 4.5)" \
    -draw "$(sc 'stroke-linecap round line 17,17 31,31 line 31,17 17,31')"
  emit rgb dlg_icon_warn -size "$(sz 48 48)" xc:white -fill '#F5A623' -stroke '#F5A623' \
    -strokewidth "$(sc 5)" -draw "$(sc 'stroke-linejoin round polygon 24,6 43.5,40.5 4.5,40.5')" \
    -fill '#FEFEFE' -stroke none \
    -draw "$(sc 'roundrectangle 21.8,15 26.2,30 2,2')" -draw "$(sc 'circle 24,35 24,37.4')"
}

# Every picture at its own size, then at twice the size.
draw_pictures() {
  for S in 1 2; do
    draw_banner
    draw_corner_glyphs
    draw_main_window
    draw_failure_prompt
    draw_message_dialog
  done
  S=1
}

draw_application_icon() {
  local work; work="$(mktemp -d)"
  "$CONVERT" -size 512x512 xc:none \
    \( -size 512x512 -define gradient:angle=135 "gradient:$BLUE_LIGHT-$BLUE_DEEP" \
       \( -size 512x512 xc:black -fill white -draw 'roundrectangle 16,16 495,495 112,112' \) \
       -alpha off -compose CopyOpacity -composite \) -compose over -composite \
    -fill white -draw 'polygon 206,96 306,96 306,236 376,236 256,366 136,236 206,236' \
    -draw 'roundrectangle 126,390 386,428 19,19' "$work/master.png"
  local size parts=()
  for size in $ICON_SIZES; do
    "$CONVERT" "$work/master.png" -filter Lanczos -resize "${size}x${size}" -strip \
      -define png:exclude-chunks=date,time "PNG32:$work/icon$size.png"
    parts+=("$work/icon$size.png")
  done
  "$CONVERT" "${parts[@]}" "$HERE/tallyvo.ico"
  python3 "$HERE/pack-icon.py" "$HERE/tallyvo.ico" "$HERE/tallyvo.ico"
  rm -rf "$work"
}

write_resource_lists() {
  {
    echo "// Pictures of the windows, loaded by name (the upper-case file stem)."
    local stem w h kind role
    while IFS='|' read -r stem w h kind role; do
      [ -n "$stem" ] || continue
      printf '%s RCDATA "%s.png"\n' "${stem^^}" "$stem"
      printf '%s_2X RCDATA "%s_2x.png"\n' "${stem^^}" "$stem"
    done <<< "$PICTURES"
  } > "$HERE/pictures.rc"
  {
    echo "# Pictures"
    echo
    echo "Drawn by \`make-art.sh\`; embedded by \`pictures.rc\` as RCDATA under the upper-case"
    echo "file stem (\`banner.png\` -> \`BANNER\`). \"RGBA\" is 8-bit PNG colour type 6, \"RGB\" is"
    echo "8-bit colour type 2. Opaque button pictures are drawn on the colour of the surface"
    echo "they sit on: white on the main window's pages, #F0F3F7 on the failure prompt's bar."
    echo "Each picture is also drawn at twice the size, \`stem_2x.png\` as \`STEM_2X\`, for"
    echo "displays at 200 %; scales in between reduce it (gui/PictureScale.h)."
    echo
    echo "| Picture | Resource | Size | Type | Used by |"
    echo "|---|---|---|---|---|"
    local stem w h kind role
    while IFS='|' read -r stem w h kind role; do
      [ -n "$stem" ] || continue
      printf '| `%s.png` | `%s` | %s × %s | %s | %s |\n' "$stem" "${stem^^}" "$w" "$h" "${kind^^}" "$role"
    done <<< "$PICTURES"
    echo
    echo "The application icon \`tallyvo.ico\` (${ICON_SIZES// /, } px) and the manifest"
    echo "\`TallyvoLauncher.manifest\` are embedded by \`app.rc\`."
  } > "$HERE/pictures.md"
}

# Reads the IHDR of every listed picture and the directory of the icon, and checks that
# pictures.rc names exactly the listed pictures. Prints one line per fault.
check_outputs() {
  PICTURES="$PICTURES" ICON_SIZES="$ICON_SIZES" python3 - "$HERE" <<'PY'
import os, struct, sys
here = sys.argv[1]
faults = []
expected = {}
for line in os.environ["PICTURES"].strip().splitlines():
    stem, w, h, kind, _ = line.split("|")
    expected[stem] = (int(w), int(h), 6 if kind == "rgba" else 2)
    expected[stem + "_2x"] = (2 * int(w), 2 * int(h), 6 if kind == "rgba" else 2)
for stem, (w, h, colour) in expected.items():
    path = os.path.join(here, stem + ".png")
    try:
        data = open(path, "rb").read()
    except OSError as e:
        faults.append(f"{stem}.png: {e.strerror}")
        continue
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        faults.append(f"{stem}.png: not a PNG file")
        continue
    got_w, got_h, depth, got_colour = struct.unpack(">IIBB", data[16:26])
    if (got_w, got_h, depth, got_colour) != (w, h, 8, colour):
        faults.append(f"{stem}.png: {got_w}x{got_h} depth {depth} colour type {got_colour},"
                      f" wanted {w}x{h} depth 8 colour type {colour}")
    pos = 8
    while pos < len(data):
        if pos + 8 > len(data):
            faults.append(f"{stem}.png: truncated")
            break
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        if kind in (b"tIME", b"tEXt", b"zTXt", b"iTXt"):
            faults.append(f"{stem}.png: carries a {kind.decode()} chunk")
        pos += 12 + length
listed = set()
for line in open(os.path.join(here, "pictures.rc"), encoding="utf-8"):
    parts = line.split()
    if len(parts) == 3 and parts[1] == "RCDATA":
        stem = parts[2].strip('"')[:-4]
        if parts[0] != stem.upper():
            faults.append(f"pictures.rc: {parts[0]} does not name {parts[2]}")
        listed.add(stem)
for stem in sorted(set(expected) ^ listed):
    faults.append(f"pictures.rc: {stem} listed in one place only")
for name in os.listdir(here):
    if name.endswith(".png") and name[:-4] not in expected:
        faults.append(f"{name}: not a listed picture")
ico = open(os.path.join(here, "tallyvo.ico"), "rb").read()
reserved, kind, count = struct.unpack("<HHH", ico[:6])
sizes = sorted((ico[6 + 16 * i] or 256) for i in range(count)) if (reserved, kind) == (0, 1) else []
wanted = sorted(int(s) for s in os.environ["ICON_SIZES"].split())
if sizes != wanted:
    faults.append(f"tallyvo.ico: sizes {sizes}, wanted {wanted}")
for fault in faults:
    print(fault)
sys.exit(1 if faults else 0)
PY
}

# Compiles both resource scripts the way the product build does, when the cross tools exist.
check_resource_scripts() {
  local windres=x86_64-w64-mingw32-windres rc out
  if ! command -v "$windres" > /dev/null; then
    echo "make-art: $windres not found, resource scripts not compiled"
    return 0
  fi
  out="$(mktemp)"
  for rc in app pictures; do
    "$windres" -I "$HERE" "$HERE/$rc.rc" -O coff -o "$out" || { rm -f "$out"; die "$rc.rc does not compile"; }
  done
  rm -f "$out"
}

# The shipped file carries every picture: each packed with zopfli, pixels unchanged.
recompress_pictures() {
  command -v zopfli >/dev/null && command -v zopflipng >/dev/null || die "zopfli missing (Debian package zopfli)"
  local png
  for png in "$HERE"/*.png; do python3 "$HERE/recompress-png.py" "$png" "$png"; done
}

main() {
  if [ "${1:-}" != "--check" ]; then
    "$CONVERT" -version | grep -q '^Version: ImageMagick 6' || die "$CONVERT is not ImageMagick 6"
    [ -f "$FONT" ] || die "font $FONT missing (Debian package fonts-wqy-microhei)"
    draw_pictures
    recompress_pictures
    draw_application_icon
    write_resource_lists
  fi
  check_outputs || die "pictures do not match their list"
  check_resource_scripts
  echo "make-art: $(grep -c RCDATA "$HERE/pictures.rc") pictures and the icon are in order"
}

main "$@"

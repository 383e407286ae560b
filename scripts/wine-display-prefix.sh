# Sourced by the scripts that show windows in the display prefix ($WINEPREFIX): the fonts the
# windows need. Wine draws the title bar's buttons with glyphs of the Marlett font, which it does
# not find on its own here (the close button shows as the letter "r"): Wine's own marlett.ttf
# (package fonts-wine) is copied into the prefix's font folder, where Wine always looks. The
# window program asks for "MS UI Gothic", which is not on this machine: it is replaced by the
# proportional IPA Gothic, the nearest Japanese face there is.
wine_display_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -f "$fonts/marlett.ttf" ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
  fi
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "MS UI Gothic" /t REG_SZ /d "IPAPGothic" /f \
    >/dev/null 2>&1 || true
}

# Sourced by the setup of the cases over KiCad's demo projects: copies them
# from where Debian's kicad-demos package installs them into the work
# folder (a run writes its error file beside the design), or skips the case
# when the package is missing.
demos=/usr/share/kicad/demos
[ -d "$demos" ] || { echo "skipped: kicad-demos is not installed"; exit 77; }
cp -R "$demos" demos
chmod -R u+w demos

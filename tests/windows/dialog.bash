# Shared by the dialog scripts: the window scripts' helpers (sollan.exe
# under Wine on an X server of its own, windows found by caption, held keys,
# the exit code), plus the start with the setup dialog and keys pressed into
# the dialog, which reads them from the system's own message loop.
. "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/window.bash"
own_display 1024x768x24

start_setup() {
  start_sollan --setup
}

press() {
  xdotool windowfocus --sync "$1" key "$2" > /dev/null 2>&1 || xdotool key "$2"
}
